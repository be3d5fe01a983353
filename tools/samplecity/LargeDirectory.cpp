// A large directory for measuring the searches: the schema of info.db filled with generated
// organisations, rubrics, addresses and telephones. Rows go in through a few prepared
// statements in one transaction, so 100,000 organisations take seconds, not minutes.
#include "SampleParts.h"

#include "Dice.h"

#include "directory/Database.h"
#include "directory/DirectorySchema.h"
#include "directory/Statement.h"

#include <QFile>

#include <vector>

namespace tsivor::sample {

namespace {

using directory::TDatabase;
using directory::TStatement;

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

class LargeWriter {
public:
    LargeWriter(TDatabase& db, const LargeDirectorySize& size) : db_(db), size_(size) {}

    bool Write(QString* error) {
        if (!db_.Exec(QStringLiteral("BEGIN"), error)) return false;
        TStatement street(db_, QStringLiteral("INSERT INTO Streets (id, Name) VALUES (?1, ?2)"));
        TStatement topic(db_, QStringLiteral("INSERT INTO Topics (id, Name) VALUES (?1, ?2)"));
        TStatement main(db_, QStringLiteral("INSERT INTO Main (Id, Title, Memo, www, Mail, File, "
                                            "Header, Color, AutoLoad, ids) "
                                            "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)"));
        TStatement jump(
            db_, QStringLiteral("INSERT INTO Jumps (Id, Id_Topic, Id_Main) VALUES (?1, ?2, ?3)"));
        TStatement adr(db_, QStringLiteral("INSERT INTO Adr (Id, Id_Main, Id_Street, Adr_Pre, "
                                           "Number, Adr_Post, id_map) "
                                           "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)"));
        TStatement phone(db_, QStringLiteral("INSERT INTO Phones (Id, Id_Adr, Kind, Phone, "
                                             "Comment) VALUES (?1, ?2, ?3, ?4, ?5)"));

        const std::vector<QString> streets = StreetNames();
        for (size_t i = 0; i < streets.size(); ++i)
            if (!Row(street, {qint64(i) + 1, streets[i]}, error)) return false;
        const std::vector<QString> rubrics = RubricNames(size_.Rubrics);
        for (size_t i = 0; i < rubrics.size(); ++i)
            if (!Row(topic, {qint64(i) + 1, rubrics[i]}, error)) return false;

        const std::vector<QString> forms = Words(kForms, std::size(kForms));
        const std::vector<QString> names = Words(kNames, std::size(kNames));
        const std::vector<QString> memos = Words(kMemos, std::size(kMemos));
        const std::vector<QString> kinds = Words(kKinds, std::size(kKinds));
        qint64 jumps = 0, adrs = 0, phones = 0;
        // The dice are thrown in the order of the values (braced lists are evaluated in order).
        for (int id = 1; id <= size_.Organisations; ++id) {
            const QString own = dice_.Pick(names);
            const QString title = dice_.Pick(forms) + QStringLiteral(" «") + own +
                                  QStringLiteral("» ") + QString::number(id);
            const QString memo = dice_.Chance(50) ? dice_.Pick(memos) : QString();
            const QString slug = QStringLiteral("org%1").arg(id);
            const QString www =
                dice_.Chance(35) ? QStringLiteral("www.%1.ru").arg(slug) : QString();
            const QString mail = dice_.Chance(45) ? slug + QStringLiteral("@mail.ru") : QString();
            const int color = dice_.Chance(2) ? 1 : 0;
            const int addresses = dice_.Chance(70) ? 1 : dice_.Int(2, 3);
            QString ids;
            std::vector<int> objects;
            for (int a = 0; a < addresses; ++a) {
                const int object = dice_.Chance(80) ? dice_.Int(0, 60000) : -1;
                objects.push_back(object);
                if (object >= 0) ids += QStringLiteral("%1;").arg(object);
            }
            if (!Row(main,
                     {id, title, memo, www, mail, QString(), QString(), color,
                      id <= 10 ? 11 - id : 0, ids},
                     error))
                return false;

            // Rubric sizes follow a steep curve: a few rubrics are very large.
            const int links = dice_.Chance(75) ? 1 : dice_.Int(2, 3);
            for (int l = 0; l < links; ++l) {
                const int r = dice_.Chance(10) ? 1 + dice_.Int(0, 19)
                                               : 1 + dice_.Int(0, int(rubrics.size()) - 1);
                if (!Row(jump, {++jumps, r, id}, error)) return false;
            }
            for (int object : objects) {
                if (!Row(adr,
                         {++adrs, id, dice_.Int(1, int(streets.size())), QString(),
                          QString::number(dice_.Int(1, 150)),
                          dice_.Chance(10) ? QStringLiteral("оф. %1").arg(dice_.Int(1, 300))
                                           : QString(),
                          object},
                         error))
                    return false;
                const int n = dice_.Int(0, 3);
                for (int p = 0; p < n; ++p)
                    if (!Row(phone,
                             {++phones, adrs, dice_.Pick(kinds),
                              QString::number(dice_.Int(200000, 799999)), QString()},
                             error))
                        return false;
            }
        }
        // No ANALYZE: an imported directory has no statistics either, and the planner's
        // choices without them are the ones users get.
        return db_.Exec(QStringLiteral("COMMIT"), error);
    }

private:
    static bool Row(TStatement& statement, const std::vector<QVariant>& values, QString* error) {
        QString why;
        if (statement.Run(values, &why)) return true;
        if (error) *error = QStringLiteral("Не удалось записать справочник: %1").arg(why);
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
