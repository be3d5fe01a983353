#include "SearchTool.h"

#include "ArgParser.h"
#include "app/CardFillerQueries.h"
#include "app/Config.h"
#include "directory/DataModule.h"
#include "directory/MegaSearchQueries.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tsivor::searchtool {

namespace {

using directory::TCriterion;

TSearchToolOutput Failure(const QString& message, int code = 1) {
    return {code, QString(), QStringLiteral("tsivor-search: %1\n").arg(message)};
}

// The organisations of QMain with their details, as the cards show them.
QJsonArray Organisations(directory::Tdm& dm) {
    app::TQueryCardDetails details(dm);
    QJsonArray list;
    for (const app::TCardRow& row : app::CardRowsOf(dm.QMain)) {
        QJsonArray rubrics;
        for (const QString& r : details.Rubrics(row.Id)) rubrics.append(r);
        QJsonArray addresses;
        for (const app::TCardAddress& a : details.Addresses(row.Id)) {
            QJsonArray phones;
            for (const app::TCardPhone& p : details.Phones(a.Id)) phones.append(p.Phone);
            addresses.append(
                QJsonObject{{"street", a.Street}, {"house", a.Number}, {"telephones", phones}});
        }
        list.append(QJsonObject{
            {"id", row.Id}, {"title", row.Title}, {"rubrics", rubrics}, {"addresses", addresses}});
    }
    return list;
}

} // namespace

TSearchToolOutput RunSearchTool(const QStringList& args, const QString& programDir) {
    directory::TSearchCriteria criteria;
    QString dir;
    bool count = false, help = false;
    mapinfo::TArgParser parser(QStringLiteral("usage: tsivor-search [--dir FOLDER] [--count] "
                                              "[criteria]"));
    parser.Value("--dir", "FOLDER", &dir, "the folder of info.db (default: the program's)");
    parser.Flag("--count", &count, "print the number of organisations found");
    parser.Value("--keyword", "W", &criteria[TCriterion::Keyword],
                 "in the keyword columns of the search tuning");
    parser.Value("--name", "W", &criteria[TCriterion::Name], "in the name");
    parser.Value("--rubric", "W", &criteria[TCriterion::Rubric], "in a rubric");
    parser.Value("--street", "W", &criteria[TCriterion::Street], "in the street");
    parser.Value("--house", "N", &criteria[TCriterion::House], "house numbers beginning so");
    parser.Value("--phone", "N", &criteria[TCriterion::Phone], "telephones beginning so");
    parser.Flag("--phone-substring", &criteria.PhoneSubstring, "telephones containing it");
    parser.Value("--mail", "W", &criteria[TCriterion::Mail], "in the e-mail address");
    parser.Value("--www", "W", &criteria[TCriterion::WWW], "in the web address");
    parser.Flag("--help", &help, "show this help");
    QString error;
    if (!parser.Parse(args, &error)) return {2, QString(), error + u'\n' + parser.Usage()};
    if (help) return {0, parser.Usage(), QString()};

    if (dir.isEmpty()) dir = programDir;
    if (!QFileInfo(dir).isDir())
        return Failure(QStringLiteral("нет папки справочника «%1»").arg(dir));
    // The keyword columns as the tab has them from the program's settings.
    app::TFindToolsSettings tools;
    tools.Load(app::TIniFile(QDir(dir).filePath(QStringLiteral("tsivor.ini"))));
    criteria.KeywordColumns = tools;

    directory::Tdm dm;
    if (!dm.OpenDirectory(dir, &error)) return Failure(error.simplified());
    directory::TMegaSearchQueries queries(dm);
    if (count) return {0, QString::number(queries.Count(criteria)) + u'\n', QString()};
    if (!dm.QMain.Reopen(directory::TMegaSearchQueries::ResultStatement(queries.Find(criteria))))
        return Failure(dm.QMain.LastError().simplified());
    return {0, QString::fromUtf8(QJsonDocument(Organisations(dm)).toJson(QJsonDocument::Indented)),
            QString()};
}

} // namespace tsivor::searchtool
