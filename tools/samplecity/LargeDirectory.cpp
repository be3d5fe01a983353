// A large directory for measuring the searches: the schema of info.db filled with generated
// organisations, rubrics, addresses and telephones. Rows go in through a few prepared
// statements in one transaction, so 100,000 organisations take seconds, not minutes.
#include "SampleParts.h"

#include "Dice.h"

#include "directory/Database.h"
#include "directory/DirectorySchema.h"

#include <QFile>

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace tsivor::sample {

namespace {

using directory::TDatabase;

std::vector<QString> Words(const char* const* list, size_t n) {
    std::vector<QString> out;
    for (size_t i = 0; i < n; ++i) out.push_back(QString::fromUtf8(list[i]));
    return out;
}

// Rubric names: a field of business and a speciality, so that filters match realistic sets.
std::vector<QString> RubricNames(int count) {
    static const char* const fields[] = {
        "Магазины",    "Ремонт",       "Услуги",        "Производство", "Оптовая торговля",
        "Аренда",      "Прокат",       "Доставка",      "Обучение",     "Салоны",
        "Мастерские",  "Склады",       "Консультации",  "Монтаж",       "Изготовление",
        "Продажа",     "Обслуживание", "Агентства",     "Центры",       "Клубы",
        "Студии",      "Ателье",       "Пункты",        "Бюро",         "Комплексы",
        "Поставщики",  "Дилеры",       "Сервис",        "Школы",        "Курсы",
        "Лаборатории", "Базы",         "Выставки",      "Рынки",        "Киоски",
        "Павильоны",   "Мастера",      "Диспетчерские", "Станции",      "Терминалы",
    };
    static const char* const topics[] = {
        "автомобилей",
        "бытовой техники",
        "компьютеров",
        "мебели",
        "обуви",
        "одежды",
        "окон и дверей",
        "сантехники",
        "электрики",
        "кровли",
        "телефонов",
        "часов",
        "ювелирных изделий",
        "цветов",
        "продуктов",
        "напитков",
        "стройматериалов",
        "инструмента",
        "спецтехники",
        "грузов",
        "книг",
        "игрушек",
        "косметики",
        "лекарств",
        "оптики",
        "спорттоваров",
        "велосипедов",
        "лодок",
        "музыкальных инструментов",
        "фототехники",
        "канцтоваров",
        "упаковки",
        "металлопроката",
        "пиломатериалов",
        "бумаги",
        "текстиля",
        "ковров",
        "посуды",
        "светильников",
        "замков",
        "оборудования",
        "кондиционеров",
        "котлов",
        "насосов",
        "шин и дисков",
        "аккумуляторов",
        "красок",
        "стекла",
        "плитки",
        "обоев",
    };
    const size_t nf = std::size(fields), nt = std::size(topics);
    std::vector<QString> names;
    for (size_t i = 0; int(names.size()) < count; ++i) {
        const size_t round = i / (nf * nt);
        QString name =
            QString::fromUtf8(fields[i % nf]) + u' ' + QString::fromUtf8(topics[(i / nf + i) % nt]);
        if (round > 0) name += QStringLiteral(" (%1)").arg(round + 1);
        names.push_back(name);
    }
    return names;
}

// A prepared statement that binds integers and texts and runs once per row.
class RowWriter {
public:
    RowWriter(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
    ~RowWriter() { sqlite3_finalize(stmt_); }
    RowWriter(const RowWriter&) = delete;
    RowWriter& operator=(const RowWriter&) = delete;

    bool Ready() const { return stmt_ != nullptr; }
    RowWriter& Int(int i, qint64 v) {
        sqlite3_bind_int64(stmt_, i, v);
        return *this;
    }
    RowWriter& Text(int i, const QString& v) {
        const QByteArray utf8 = v.toUtf8();
        sqlite3_bind_text(stmt_, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        return *this;
    }
    bool Run() {
        const bool ok = sqlite3_step(stmt_) == SQLITE_DONE;
        sqlite3_reset(stmt_);
        return ok;
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

class LargeWriter {
public:
    LargeWriter(TDatabase& db, const LargeDirectorySize& size) : db_(db), size_(size) {}

    bool Write(QString* error) {
        if (!db_.Exec(QStringLiteral("BEGIN"), error)) return false;
        sqlite3* h = db_.Handle();
        RowWriter street(h, "INSERT INTO Streets (id, Name) VALUES (?1, ?2)");
        RowWriter topic(h, "INSERT INTO Topics (id, Name) VALUES (?1, ?2)");
        RowWriter main(h, "INSERT INTO Main (Id, Title, Memo, www, Mail, File, Header, Color, "
                          "AutoLoad, ids) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
        RowWriter jump(h, "INSERT INTO Jumps (Id, Id_Topic, Id_Main) VALUES (?1, ?2, ?3)");
        RowWriter adr(h, "INSERT INTO Adr (Id, Id_Main, Id_Street, Adr_Pre, Number, Adr_Post, "
                         "id_map) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
        RowWriter phone(h, "INSERT INTO Phones (Id, Id_Adr, Kind, Phone, Comment) VALUES (?1, "
                           "?2, ?3, ?4, ?5)");
        if (!street.Ready() || !topic.Ready() || !main.Ready() || !jump.Ready() || !adr.Ready() ||
            !phone.Ready())
            return Fail(error);

        const std::vector<QString> streets = StreetNames();
        for (size_t i = 0; i < streets.size(); ++i)
            if (!street.Int(1, qint64(i) + 1).Text(2, streets[i]).Run()) return Fail(error);
        const std::vector<QString> rubrics = RubricNames(size_.Rubrics);
        for (size_t i = 0; i < rubrics.size(); ++i)
            if (!topic.Int(1, qint64(i) + 1).Text(2, rubrics[i]).Run()) return Fail(error);

        const std::vector<QString> forms = Words(kForms, std::size(kForms));
        const std::vector<QString> names = Words(kNames, std::size(kNames));
        const std::vector<QString> memos = Words(kMemos, std::size(kMemos));
        const std::vector<QString> kinds = Words(kKinds, std::size(kKinds));
        qint64 jumps = 0, adrs = 0, phones = 0;
        for (int id = 1; id <= size_.Organisations; ++id) {
            const QString own = dice_.Pick(names);
            const QString title = dice_.Pick(forms) + QStringLiteral(" «") + own +
                                  QStringLiteral("» ") + QString::number(id);
            const QString memo = dice_.Chance(50) ? dice_.Pick(memos) : QString();
            const QString slug = QStringLiteral("org%1").arg(id);
            main.Int(1, id).Text(2, title).Text(3, memo);
            main.Text(4, dice_.Chance(35) ? QStringLiteral("www.%1.ru").arg(slug) : QString());
            main.Text(5, dice_.Chance(45) ? slug + QStringLiteral("@mail.ru") : QString());
            main.Text(6, QString()).Text(7, QString());
            main.Int(8, dice_.Chance(2) ? 1 : 0).Int(9, id <= 10 ? 11 - id : 0);
            const int addresses = dice_.Chance(70) ? 1 : dice_.Int(2, 3);
            QString ids;
            std::vector<int> objects;
            for (int a = 0; a < addresses; ++a) {
                const int object = dice_.Chance(80) ? dice_.Int(0, 60000) : -1;
                objects.push_back(object);
                if (object >= 0) ids += QStringLiteral("%1;").arg(object);
            }
            if (!main.Text(10, ids).Run()) return Fail(error);

            // Rubric sizes follow a steep curve: a few rubrics are very large.
            const int links = dice_.Chance(75) ? 1 : dice_.Int(2, 3);
            for (int l = 0; l < links; ++l) {
                const int r = dice_.Chance(10) ? 1 + dice_.Int(0, 19)
                                               : 1 + dice_.Int(0, int(rubrics.size()) - 1);
                if (!jump.Int(1, ++jumps).Int(2, r).Int(3, id).Run()) return Fail(error);
            }
            for (int object : objects) {
                adr.Int(1, ++adrs).Int(2, id).Int(3, dice_.Int(1, int(streets.size())));
                adr.Text(4, QString()).Text(5, QString::number(dice_.Int(1, 150)));
                adr.Text(6, dice_.Chance(10) ? QStringLiteral("оф. %1").arg(dice_.Int(1, 300))
                                             : QString());
                if (!adr.Int(7, object).Run()) return Fail(error);
                const int n = dice_.Int(0, 3);
                for (int p = 0; p < n; ++p) {
                    phone.Int(1, ++phones).Int(2, adrs).Text(3, dice_.Pick(kinds));
                    phone.Text(4, QString::number(dice_.Int(200000, 799999)));
                    if (!phone.Text(5, QString()).Run()) return Fail(error);
                }
            }
        }
        // No ANALYZE: an imported directory has no statistics either, and the planner's
        // choices without them are the ones users get.
        return db_.Exec(QStringLiteral("COMMIT"), error);
    }

private:
    bool Fail(QString* error) {
        if (error)
            *error = QStringLiteral("Не удалось записать справочник: %1").arg(db_.LastError());
        return false;
    }

    std::vector<QString> StreetNames() {
        static const char* const roots[] = {
            "Ленина",        "Мира",         "Садовая",     "Кирова",    "Гагарина",
            "Пушкина",       "Лесная",       "Школьная",    "Советская", "Заводская",
            "Набережная",    "Молодёжная",   "Полевая",     "Речная",    "Центральная",
            "Строителей",    "Победы",       "Октябрьская", "Северная",  "Южная",
            "Луговая",       "Озёрная",      "Весенняя",    "Горная",    "Первомайская",
            "Комсомольская", "Пролетарская", "Зелёная",     "Солнечная", "Новая",
        };
        static const char* const kinds[] = {"",         " 1-я",     " 2-я",    " 3-я",    " Малая",
                                            " Большая", " Верхняя", " Нижняя", " Старая", " Новая"};
        std::vector<QString> out;
        for (const char* k : kinds)
            for (const char* r : roots) out.push_back(QString::fromUtf8(r) + QString::fromUtf8(k));
        out.push_back(QStringLiteral("Приреченск"));
        return out;
    }

    static constexpr const char* kForms[] = {
        "ООО",       "ЗАО",      "ИП",           "Магазин",    "Салон", "Кафе",
        "Ресторан",  "Аптека",   "Автосервис",   "Мастерская", "Центр", "Студия",
        "Агентство", "Компания", "Торговый дом", "Бар",
    };
    static constexpr const char* kNames[] = {
        "Альфа",    "Берёзка",  "Весна",   "Волна",   "Восход",   "Гранит",  "Дельта", "Дружба",
        "Заря",     "Звезда",   "Импульс", "Исток",   "Калина",   "Корона",  "Лада",   "Лотос",
        "Маяк",     "Меридиан", "Мечта",   "Надежда", "Нева",     "Орион",   "Парус",  "Победа",
        "Прогресс", "Радуга",   "Рассвет", "Рубин",   "Светлана", "Север",   "Сириус", "Союз",
        "Спектр",   "Старт",    "Темп",    "Уют",     "Факел",    "Фортуна", "Элегия", "Юность",
    };
    static constexpr const char* kMemos[] = {
        "Работаем без выходных с 9:00 до 21:00.",
        "Скидки пенсионерам и студентам.",
        "Обслуживание по безналичному расчёту, доставка по городу.",
        "Режим работы: пн-пт 8:00-17:00, обед 12:00-13:00.",
        "Круглосуточно.",
        "Принимаем заказы по телефону и по электронной почте.",
        "Гарантия качества, опыт работы более 10 лет.",
        "Бесплатная парковка для клиентов.",
        "Оптом и в розницу. Сезонные распродажи.",
        "Летнее кафе во дворе, банкетный зал.",
    };
    static constexpr const char* kKinds[] = {"тел", "тел", "тел/факс", "факс", "сот"};

    TDatabase& db_;
    LargeDirectorySize size_;
    Dice dice_{77};
};

} // namespace

bool WriteLargeDirectory(const QString& path, const LargeDirectorySize& size, QString* error) {
    QFile::remove(path);
    TDatabase db;
    if (!db.Open(path, TDatabase::Mode::Create, error)) return false;
    if (!directory::CreateSchema(db, directory::DirectoryTables(), error) ||
        !LargeWriter(db, size).Write(error)) {
        db.Close();
        QFile::remove(path);
        return false;
    }
    return true;
}

} // namespace tsivor::sample
