// The sample directory of Заречинск (info.db) and its real-estate listings (houses/houses.db).
// Organisations stand in the plan's houses; the map file written before tells which map object
// each house is, so addresses and marks lead to the right buildings.
#include "SampleParts.h"

#include "Dice.h"

#include "directory/Database.h"
#include "directory/DirectorySchema.h"
#include "mapdata/Cp1251.h"
#include "mapdata/MapLoader.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <cstdint>
#include <vector>

namespace tsivor::sample {

namespace {

using directory::TDatabase;

struct Rubric {
    int Id;
    const char* Name;
    const char* Prefix; // how organisations of the rubric are called
    int Count;          // organisations made for it
};

// The rubric numbers of the quick-rubric panel are fixed; the others are the directory's own.
const std::vector<Rubric>& Rubrics() {
    static const std::vector<Rubric> r = {
        {424, "Гостиницы", "Гостиница", 6},
        {855, "Театры", "Театр", 3},
        {724, "Кинотеатры", "Кинотеатр", 3},
        {1129, "Столовые", "Столовая", 8},
        {567, "Рестораны", "Ресторан", 10},
        {690, "Банки", "Банк", 9},
        {691, "Банкоматы", "Банкомат", 6},
        {471, "Больницы", "Больница", 4},
        {468, "Аптеки", "Аптека", 12},
        {718, "Поликлиники", "Поликлиника", 5},
        {1004, "Библиотеки", "Библиотека", 5},
        {562, "Сотовая связь", "Салон связи", 7},
        {985, "Газеты и журналы", "Редакция газеты", 6},
        {525, "Почтовые отделения", "Почтовое отделение №", 8},
        {532, "Спортивные клубы", "Спортивный клуб", 6},
        {530, "Спортивные центры", "Спорткомплекс", 4},
        {389, "Автосервис, СТО, автомагазины", "Автосервис", 12},
        {101, "Кафе", "Кафе", 14},
        {102, "Бары", "Бар", 6},
        {103, "Магазины продуктовые", "Магазин", 22},
        {104, "Мебель", "Салон мебели", 7},
        {105, "Компьютеры и оргтехника", "Компьютерный центр", 8},
        {106, "Парикмахерские", "Парикмахерская", 10},
        {107, "Химчистки и прачечные", "Химчистка", 4},
        {108, "Книжные магазины", "Книжный магазин", 5},
        {109, "Стоматологии", "Стоматология", 7},
        {110, "Туристические агентства", "Турагентство", 7},
        {111, "Цветы", "Цветочный салон", 6},
        {112, "Такси", "Такси", 6},
        {113, "Строительные материалы", "Строймаркет", 9},
        {114, "Обувь", "Магазин обуви", 6},
        {115, "Детские центры", "Детский центр", 5},
        {116, "Школы", "Средняя школа №", 10},
        {117, "Детские сады", "Детский сад №", 10},
        {118, "Нотариусы", "Нотариальная контора", 5},
        {119, "Юридические услуги", "Юридическая фирма", 7},
        {120, "Страхование", "Страховая компания", 6},
        {121, "Агентства недвижимости", "Агентство недвижимости", 6},
        {122, "Ремонт бытовой техники", "Мастерская", 6},
        {123, "Реклама и полиграфия", "Рекламное агентство", 7},
        {124, "Одежда", "Магазин одежды", 12},
        {125, "Ювелирные изделия", "Ювелирный салон", 4},
        {126, "Оптика", "Салон оптики", 4},
        {127, "Ветеринарные клиники", "Ветклиника", 3},
        {128, "Фотоуслуги", "Фотостудия", 5},
        {129, "Интернет-провайдеры", "Провайдер", 4},
        {130, "Органы власти", "Управление", 8},
        {131, "Музеи", "Музей", 3},
        {132, "Высшие учебные заведения", "Институт", 3},
        {133, "Транспорт", "Автовокзал", 3},
        {134, "Ёлочные украшения", "Магазин", 2},
        {135, "Прокат лодок", "", 0}, // a rubric without organisations: never listed
    };
    return r;
}

const std::vector<QString>& OwnNames() {
    static const std::vector<QString> n = {
        "Альфа",    "Берёзка",  "Весна",   "Волна",     "Восход",   "Гранит",  "Дельта", "Дружба",
        "Заря",     "Звезда",   "Импульс", "Исток",     "Калина",   "Корона",  "Лада",   "Лотос",
        "Маяк",     "Меридиан", "Мечта",   "Надежда",   "Нева",     "Орион",   "Парус",  "Победа",
        "Прогресс", "Радуга",   "Рассвет", "Рубин",     "Светлана", "Север",   "Сириус", "Союз",
        "Спектр",   "Старт",    "Темп",    "Уют",       "Факел",    "Фортуна", "Элегия", "Юность",
        "Янтарь",   "Ёлочка",   "O'Key",   "Happy Day", "Сити",     "Пчёлка",  "Трио",   "Вектор",
    };
    return n;
}

const std::vector<QString>& Comments() {
    static const std::vector<QString> c = {
        "Работаем без выходных с 9:00 до 21:00.",
        "Скидки пенсионерам и студентам.",
        "Обслуживание по безналичному расчёту, доставка по городу.",
        "Режим работы: пн-пт 8:00-17:00, обед 12:00-13:00.",
        "Круглосуточно.",
        "Принимаем заказы по телефону и по электронной почте.",
        "Гарантия качества, опыт работы более 10 лет.",
        "Бесплатная парковка для клиентов.",
        "Оптом и в розницу. Сезонные распродажи.",
        "Вход со двора, второй этаж.",
    };
    return c;
}

QString Transliterate(const QString& s) {
    static const char* const lat[] = {"a", "b",  "v",  "g",   "d", "e", "zh", "z", "i",  "y", "k",
                                      "l", "m",  "n",  "o",   "p", "r", "s",  "t", "u",  "f", "h",
                                      "c", "ch", "sh", "sch", "",  "y", "",   "e", "yu", "ya"};
    QString out;
    for (QChar ch : s.toLower()) {
        const char16_t u = ch.unicode();
        if (u >= u'а' && u <= u'я')
            out += QLatin1String(lat[u - u'а']);
        else if (u == u'ё')
            out += u'e';
        else if ((u >= 'a' && u <= 'z') || (u >= '0' && u <= '9'))
            out += ch;
    }
    return out.isEmpty() ? QStringLiteral("org") : out;
}

// Map object numbers of the houses of the map file just written, by street and house.
class HouseObjects {
public:
    explicit HouseObjects(const QString& mapFile) {
        mapdata::TMapDocument doc;
        mapdata::TMapLoadHost host;
        if (!QFile::exists(mapFile) || !mapdata::MapLoad(mapFile, doc, host)) return;
        for (int i = 0; i < doc.ObjectCount(); ++i) {
            const mapdata::TORBMapObjectMem* o = doc.Object(i);
            if (!o || o->Category > 96) continue;
            const mapdata::TAdres a = doc.DecodeAddress(*o);
            Add(a.Street, a.House, i);
            Add(a.Street1, a.House1, i);
        }
    }
    // -1 when the house is not on the map.
    int Find(const QString& street, const QString& house) const {
        return index_.value(Key(street, house), -1);
    }

private:
    static QString Key(const QString& s, const QString& h) {
        return cp1251::Key(s) + QChar(0x1f) + cp1251::Key(h);
    }
    void Add(const QString& s, const QString& h, int i) {
        if (s.isEmpty() || h.isEmpty()) return;
        const QString k = Key(s, h);
        if (!index_.contains(k)) index_.insert(k, i);
    }
    QHash<QString, int> index_;
};

class DirectoryWriter {
public:
    DirectoryWriter(const CityPlan& plan, TDatabase& db, const HouseObjects& objects)
        : plan_(plan), db_(db), objects_(objects) {}

    bool Write(QString* error) {
        error_ = error;
        if (!db_.Exec(QStringLiteral("BEGIN"), error)) return false;
        WriteStreets();
        WriteTopics();
        WriteAdvertised();
        WriteOthers();
        return ok_ && db_.Exec(QStringLiteral("COMMIT"), error);
    }

private:
    void Run(const QString& sql, const std::vector<QVariant>& values) {
        if (ok_) ok_ = db_.Exec(sql, values, error_);
    }

    void WriteStreets() {
        int id = 1;
        for (const PlanStreet& s : plan_.Streets) {
            if (streetIds_.contains(s.Name)) continue;
            streetIds_.insert(s.Name, id);
            Run("INSERT INTO Streets (id, Name) VALUES (?1, ?2)", {id++, s.Name});
        }
        // Addresses without a street (post boxes, the whole town) are filed under this name.
        noStreetId_ = id;
        Run("INSERT INTO Streets (id, Name) VALUES (?1, ?2)", {id, QStringLiteral("Приреченск")});
    }

    void WriteTopics() {
        for (const Rubric& r : Rubrics())
            Run("INSERT INTO Topics (id, Name) VALUES (?1, ?2)", {r.Id, QString::fromUtf8(r.Name)});
    }

    // Organisations 1..20 carry the banners, animations and logos.
    void WriteAdvertised() {
        static const std::vector<std::vector<int>> rubricsOf = {
            {468, 471}, {690, 691}, {101, 1129}, {104}, {389},      {103},      {105},
            {106},      {567, 102}, {532, 530},  {107}, {108},      {109, 718}, {110},
            {111},      {112, 133}, {113},       {114}, {424, 567}, {115}};
        for (int n = 1; n <= 20; ++n) {
            const size_t i = size_t(n - 1);
            const QString title = i < plan_.AdvertisedNames.size()
                                      ? plan_.AdvertisedNames[i]
                                      : QStringLiteral("Организация №%1").arg(n);
            const int house = i < plan_.Advertised.size() ? plan_.Advertised[i] : -1;
            Org o;
            o.Id = n;
            o.Title = title;
            o.Memo = dice_.Pick(Comments()) + QStringLiteral(" Наш логотип на карте города!");
            o.Color = 1;
            o.AutoLoad = n <= 8 ? 9 - n : 0;
            o.Header = QStringLiteral("head_%1").arg(n); // header/head_N.bmp or .gif
            o.File = SampleAttachmentName(n);
            o.Rubrics = rubricsOf[i];
            if (house >= 0) o.Houses.push_back(house);
            if (n % 4 == 0) o.Houses.push_back(dice_.Int(0, int(plan_.Houses.size()) - 1));
            WriteOrg(o);
        }
        nextId_ = 21;
    }

    void WriteOthers() {
        for (const Rubric& r : Rubrics()) {
            for (int k = 0; k < r.Count; ++k) {
                Org o;
                o.Id = nextId_++;
                const QString prefix = QString::fromUtf8(r.Prefix);
                if (prefix.endsWith(u'№'))
                    o.Title = prefix + QString::number(k + 1);
                else
                    o.Title = prefix + QStringLiteral(" «") + dice_.Pick(OwnNames()) +
                              QStringLiteral("»");
                if (dice_.Chance(15)) o.Title = QStringLiteral("ООО ") + o.Title;
                const int memo = dice_.Int(0, 9);
                if (memo < 5)
                    o.Memo = dice_.Pick(Comments());
                else if (memo == 5)
                    o.Memo = QStringLiteral("-"); // too short to count as a comment
                o.Rubrics.push_back(r.Id);
                if (dice_.Chance(20)) {
                    const Rubric& other = dice_.Pick(Rubrics());
                    if (other.Id != r.Id && other.Count > 0) o.Rubrics.push_back(other.Id);
                }
                const int addresses = dice_.Chance(75) ? 1 : dice_.Int(2, 3);
                for (int a = 0; a < addresses; ++a)
                    o.Houses.push_back(dice_.Int(0, int(plan_.Houses.size()) - 1));
                if (dice_.Chance(4)) o.Houses.push_back(-1);        // a post box, no street
                if (dice_.Chance(5)) o.Houses.push_back(kNewHouse); // built after the map
                if (dice_.Chance(5)) o.Color = 1;
                WriteOrg(o);
            }
        }
    }

    struct Org {
        int Id = 0;
        QString Title, Memo, Header, File;
        int Color = 0, AutoLoad = 0;
        std::vector<int> Rubrics;
        std::vector<int> Houses; // plan house indexes; -1 an address without a street
    };
    // A house of a plan street that the map does not show yet.
    static constexpr int kNewHouse = -2;

    void WriteOrg(const Org& o) {
        const QString slug = Transliterate(o.Title.section(u'«', 1).section(u'»', 0, 0));
        QString www, mail;
        if (o.Id <= 20 || dice_.Chance(35)) www = QStringLiteral("www.%1-zr.ru").arg(slug);
        if (o.Id <= 20 || dice_.Chance(45))
            mail = QStringLiteral("%1%2@zarechinsk.ru").arg(slug).arg(o.Id);
        QString ids;
        std::vector<std::pair<int, int>> addrs; // plan house, map object
        for (int h : o.Houses) {
            int object = -1;
            if (h >= 0) {
                const PlanHouse& ph = plan_.Houses[size_t(h)];
                object = objects_.Find(ph.Street, ph.House);
            } else if (h == kNewHouse) {
                h = NewHouseStreet();
            }
            addrs.emplace_back(h, object);
            if (object >= 0 && !ids.contains(QStringLiteral(";%1;").arg(object)) &&
                !ids.startsWith(QStringLiteral("%1;").arg(object)))
                ids += QStringLiteral("%1;").arg(object);
        }
        Run("INSERT INTO Main (Id, Title, Memo, www, Mail, File, Header, Color, AutoLoad, ids) "
            "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)",
            {o.Id, o.Title, o.Memo, www, mail, o.File, o.Header, o.Color, o.AutoLoad, ids});
        for (int r : o.Rubrics)
            Run("INSERT INTO Jumps (Id, Id_Topic, Id_Main) VALUES (?1, ?2, ?3)",
                {nextJump_++, r, o.Id});
        for (const auto& [h, object] : addrs) WriteAddress(o, h, object);
    }

    // The plan street of a new house, as a negative code below kNewHouse; its number is one
    // the map does not have on that street.
    int NewHouseStreet() {
        const int s = dice_.Int(0, int(plan_.Streets.size()) - 1);
        return kNewHouse - 1 - s;
    }
    QString NewHouseNumber(const QString& street) {
        for (int n = 200;; ++n) {
            const QString number = QStringLiteral("%1").arg(n + dice_.Int(0, 50));
            if (objects_.Find(street, number) < 0) return number;
        }
    }

    void WriteAddress(const Org& o, int house, int object) {
        const int adr = nextAdr_++;
        QString pre, number, post;
        int street = noStreetId_;
        if (house < kNewHouse) {
            const QString name = plan_.Streets[size_t(kNewHouse - 1 - house)].Name;
            street = streetIds_.value(name, noStreetId_);
            number = NewHouseNumber(name);
            post = QStringLiteral("(новостройка)");
        } else if (house >= 0) {
            const PlanHouse& ph = plan_.Houses[size_t(house)];
            street = streetIds_.value(ph.Street, noStreetId_);
            number = ph.House;
            const int r = dice_.Int(0, 9);
            if (r == 0)
                post = QStringLiteral("оф. %1").arg(dice_.Int(1, 40));
            else if (r == 1)
                post = QStringLiteral("%1 этаж").arg(dice_.Int(1, 5));
            else if (r == 2)
                pre = QStringLiteral("ТЦ «Центральный»,");
        } else {
            pre = QStringLiteral("а/я %1").arg(dice_.Int(1, 200));
        }
        Run("INSERT INTO Adr (Id, Id_Main, Id_Street, Adr_Pre, Number, Adr_Post, id_map) "
            "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
            {adr, o.Id, street, pre, number, post, object});
        const int phones = house == -1 ? 0 : dice_.Int(0, 3);
        for (int p = 0; p < phones; ++p) {
            static const std::vector<QString> kinds = {"тел", "тел", "тел/факс", "факс", "сот"};
            static const std::vector<QString> notes = {
                "", "", "", "", "приёмная", "бухгалтерия", "директор", "отдел продаж"};
            const QString kind = dice_.Pick(kinds);
            const QString phone = kind == QStringLiteral("сот")
                                      ? QStringLiteral("8912%1").arg(dice_.Int(1000000, 9999999))
                                      : QStringLiteral("%1").arg(dice_.Int(200000, 799999));
            Run("INSERT INTO Phones (Id, Id_Adr, Kind, Phone, Comment) VALUES (?1, ?2, ?3, ?4, ?5)",
                {nextPhone_++, adr, kind, phone, dice_.Pick(notes)});
        }
    }

    const CityPlan& plan_;
    TDatabase& db_;
    const HouseObjects& objects_;
    QString* error_ = nullptr;
    bool ok_ = true;
    Dice dice_{20031};
    QHash<QString, int> streetIds_;
    int noStreetId_ = 0;
    int nextId_ = 1, nextJump_ = 1, nextAdr_ = 1, nextPhone_ = 1;
};

// Districts 1..7 of the listings: the centre, the plan's other districts, two more, "Другой".
std::vector<QString> RaionNames(const CityPlan& plan) {
    std::vector<QString> names = {QStringLiteral("Центр")};
    for (const PlanDistrict& d : plan.Districts)
        if (d.Name != QStringLiteral("Центральный") && names.size() < 6) names.push_back(d.Name);
    for (const char* extra : {"Привокзальный", "Сосновый бор", "Северный", "Южный", "Новый"})
        if (names.size() < 6) names.push_back(QString::fromUtf8(extra));
    names.push_back(QStringLiteral("Другой"));
    return names;
}

bool WriteHouses(const CityPlan& plan, TDatabase& db, QString* error) {
    if (!db.Exec(QStringLiteral("BEGIN"), error)) return false;
    bool ok = true;
    auto run = [&](const char* sql, const std::vector<QVariant>& v) {
        if (ok) ok = db.Exec(QString::fromUtf8(sql), v, error);
    };
    const char* const operations[] = {"Продажа", "Покупка", "Сдадим в аренду", "Арендуем"};
    for (int i = 0; i < 4; ++i)
        run("INSERT INTO Operations VALUES (?1, ?2)", {i + 1, QString::fromUtf8(operations[i])});
    const std::vector<QString> raions = RaionNames(plan);
    for (size_t i = 0; i < raions.size(); ++i)
        run("INSERT INTO Raion VALUES (?1, ?2)", {int(i) + 1, raions[i]});
    const char* const agencies[][3] = {
        {"АН «Квадратный метр»", "ул. Ленина, 5", "23-45-67, 23-45-68"},
        {"АН «Новосёл»", "ул. Мира, 12, оф. 3", "25-11-22"},
        {"АН «Заречье-Недвижимость»", "пр-т Ленина, 40", "21-00-00, 8-912-345-67-89"},
        {"АН «Ключ»", "ул. Садовая, 7", "27-33-44"},
        {"АН «Домострой»", "ул. Кирова, 18", "22-90-91"},
    };
    for (int i = 0; i < 5; ++i)
        run("INSERT INTO An VALUES (?1, ?2, ?3, ?4)",
            {i + 1, QString::fromUtf8(agencies[i][0]), QString::fromUtf8(agencies[i][1]),
             QString::fromUtf8(agencies[i][2])});

    Dice dice(1999);
    const int count = plan.Houses.empty() ? 0 : 240;
    static const std::vector<QString> kinds = {"ул", "пр", "пер", "", "", ""};
    static const std::vector<QString> planes = {"изол.", "смеж.", "ул. план.", "хрущ."};
    static const std::vector<QString> baths = {"разд.", "совм.", "-"};
    static const std::vector<QString> remarks = {"",
                                                 "",
                                                 "евроремонт",
                                                 "требует ремонта",
                                                 "срочно",
                                                 "в хорошем состоянии",
                                                 "торг уместен",
                                                 "с мебелью"};
    for (int i = 0; i < count; ++i) {
        const PlanHouse& h = plan.Houses[size_t(dice.Int(0, int(plan.Houses.size()) - 1))];
        const int operation = dice.Int(1, 4);
        int district = 7;
        for (size_t d = 0; d < raions.size(); ++d)
            if (raions[d] == h.District || (d == 0 && h.District == QStringLiteral("Центральный")))
                district = int(d) + 1;
        if (dice.Chance(5)) district = 7;
        // Districts without houses of the plan still get listings (they are typed by hand).
        if (i < 2 * int(raions.size())) district = i % int(raions.size()) + 1;
        const int rooms = dice.Int(0, 5);
        // The listing search takes the street up to the first comma or space and drops a
        // short last word after the fifth character (the street type); so a type follows only
        // names long enough for that, a name of several words always has one and a comma.
        const bool severalWords = h.Street.contains(u' ');
        QString kind = dice.Pick(kinds);
        if (severalWords && kind.isEmpty()) kind = QStringLiteral("ул");
        if (h.Street.size() < 6) kind.clear();
        const int flat = dice.Int(1, 120);
        QString adr = h.Street + (kind.isEmpty() ? QString() : u' ' + kind);
        adr += severalWords || !kind.isEmpty() || dice.Chance(70) ? QStringLiteral(", ")
                                                                  : QStringLiteral(" ");
        adr += h.House;
        if (operation != 2 && dice.Chance(70)) adr += QStringLiteral("-%1").arg(flat);
        const int storeys = std::max(1, h.Storeys);
        const double square =
            rooms == 0 ? 12 + dice.Int(0, 60) / 10.0 : 18 + rooms * 14 + dice.Int(0, 90) / 10.0;
        const int price = dice.Chance(10) ? 0
                                          : (operation <= 2 ? 300 + rooms * 250 + dice.Int(0, 400)
                                                            : 3 + rooms * 2 + dice.Int(0, 4));
        const QVariant agency = dice.Chance(25) ? QVariant() : QVariant(dice.Int(1, 5));
        run("INSERT INTO Base (Operation, District, Rooms, Adr, FF, Square, Plane, Sanuzel, "
            "Balcon, "
            "Phone, Comment, Summa, ContactPhone, DateIn, Agency) VALUES "
            "(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15)",
            {operation, district, rooms, adr,
             QStringLiteral("%1/%2").arg(dice.Int(1, storeys)).arg(storeys), square,
             dice.Pick(planes), dice.Pick(baths),
             dice.Chance(60) ? QStringLiteral("+") : QStringLiteral("-"),
             dice.Chance(55) ? QStringLiteral("+") : QStringLiteral("-"), dice.Pick(remarks), price,
             QStringLiteral("%1").arg(dice.Int(200000, 799999)),
             QStringLiteral("2003-%1-%2")
                 .arg(dice.Int(7, 9), 2, 10, QLatin1Char('0'))
                 .arg(dice.Int(1, 28), 2, 10, QLatin1Char('0')),
             agency});
    }
    return ok && db.Exec(QStringLiteral("COMMIT"), error);
}

// The directory as delivered carries bookkeeping columns the program never reads; the sample
// has them too, so that "SELECT Main.*" and the imports meet what they will meet in the field.
bool AddUnusedColumns(TDatabase& db, QString* error) {
    static const char* const statements[] = {
        "ALTER TABLE Main ADD COLUMN Contacts TEXT DEFAULT ''",
        "ALTER TABLE Main ADD COLUMN Show INTEGER DEFAULT 1",
        "ALTER TABLE Main ADD COLUMN Utochnen INTEGER DEFAULT 0",
        "ALTER TABLE Main ADD COLUMN Pol INTEGER DEFAULT 0",
        "ALTER TABLE Streets ADD COLUMN show INTEGER DEFAULT 1",
        "ALTER TABLE Phones ADD COLUMN \"delete\" INTEGER DEFAULT 0",
    };
    for (const char* sql : statements)
        if (!db.Exec(QString::fromUtf8(sql), error)) return false;
    for (const auto& t : directory::DirectoryTables())
        for (const char* column : {"TimeStamp", "TimeCreate"})
            if (!db.Exec(QStringLiteral("ALTER TABLE \"%1\" ADD COLUMN %2 TEXT DEFAULT "
                                        "'2003-09-01 12:00:00'")
                             .arg(QLatin1String(t.Name), QLatin1String(column)),
                         error))
                return false;
    return true;
}

// Writes one database anew: the schema, then its rows.
template <class Fill>
bool WriteDatabase(const QString& path, const std::vector<directory::TSchemaTable>& tables,
                   Fill fill, QString* error, bool unusedColumns = false) {
    QFile::remove(path);
    TDatabase db;
    if (!db.Open(path, TDatabase::Mode::Create, error)) return false;
    if (!directory::CreateSchema(db, tables, error) ||
        (unusedColumns && !AddUnusedColumns(db, error)) || !fill(db)) {
        db.Close();
        QFile::remove(path);
        return false;
    }
    return true;
}

} // namespace

bool WriteSampleDirectory(const CityPlan& plan, const QString& dir, QString* error) {
    const QDir out(dir);
    const HouseObjects objects(out.filePath(QStringLiteral("info1.db")));
    if (!WriteDatabase(
            out.filePath(QStringLiteral("info.db")), directory::DirectoryTables(),
            [&](TDatabase& db) { return DirectoryWriter(plan, db, objects).Write(error); }, error,
            true))
        return false;
    if (!out.mkpath(QStringLiteral("houses"))) {
        if (error)
            *error = QStringLiteral("Не удалось создать папку \"%1\".").arg(out.filePath("houses"));
        return false;
    }
    return WriteDatabase(
        out.filePath(QStringLiteral("houses/houses.db")), directory::HousesTables(),
        [&](TDatabase& db) { return WriteHouses(plan, db, error); }, error);
}

} // namespace tsivor::sample
