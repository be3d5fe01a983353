#include "app/CardFillerQueries.h"

#include "directory/DataModule.h"
#include "directory/Query.h"

namespace tsivor::app {

namespace {

// Column positions looked up once per result instead of once per field and row.
class TColumns {
public:
    explicit TColumns(const directory::TQuery& q) : FNames(q.FieldNames()) {}
    int operator()(const char* name) const {
        for (int i = 0; i < FNames.size(); ++i)
            if (FNames[i].compare(QLatin1String(name), Qt::CaseInsensitive) == 0) return i;
        return -1;
    }

private:
    QStringList FNames;
};

QString Text(const directory::TQuery& q, int row, int col) {
    return col < 0 ? QString() : q.Value(row, col).toString();
}

int Number(const directory::TQuery& q, int row, int col, int fallback = 0) {
    if (col < 0) return fallback;
    const QVariant v = q.Value(row, col);
    bool ok = false;
    const int n = v.toInt(&ok);
    return ok ? n : fallback;
}

} // namespace

std::vector<TCardRow> CardRowsOf(const directory::TQuery& q) {
    const TColumns c(q);
    const int id = c("Id"), title = c("Title"), memo = c("Memo"), www = c("www"), mail = c("Mail"),
              file = c("File"), header = c("Header"), color = c("Color"), ids = c("ids");
    std::vector<TCardRow> rows;
    rows.reserve(q.RecordCount());
    for (int r = 0; r < q.RecordCount(); ++r) {
        TCardRow row;
        row.Id = Number(q, r, id);
        row.Title = Text(q, r, title);
        row.Memo = Text(q, r, memo);
        row.www = Text(q, r, www);
        row.Mail = Text(q, r, mail);
        row.File = Text(q, r, file);
        row.Header = Text(q, r, header).trimmed();
        row.Color = Number(q, r, color);
        row.ids = Text(q, r, ids);
        rows.push_back(std::move(row));
    }
    return rows;
}

QStringList TQueryCardDetails::Rubrics(int orgId) {
    directory::TQuery& q = FDm.qTopics;
    QStringList out;
    if (q.Reopen({QStringLiteral("SELECT Main.Id, Topics.Name"),
                  QStringLiteral("FROM Main INNER JOIN (Topics INNER JOIN Jumps ON Topics.id = "
                                 "Jumps.Id_Topic) ON Main.Id = Jumps.Id_Main"),
                  QStringLiteral("WHERE (((Main.Id)=%1))").arg(orgId)})) {
        const int name = TColumns(q)("Name");
        for (int r = 0; r < q.RecordCount(); ++r) out << Text(q, r, name);
    }
    q.Close();
    return out;
}

std::vector<TCardAddress> TQueryCardDetails::Addresses(int orgId) {
    directory::TQuery& q = FDm.qAdr;
    std::vector<TCardAddress> out;
    if (q.Reopen({QStringLiteral("SELECT Adr.Id_Main, Adr.Id, Adr.Adr_Pre, Adr.Adr_Post, "
                                 "Streets.Name, Adr.Number, adr.id_map"),
                  QStringLiteral("FROM Streets INNER JOIN Adr ON Streets.id = Adr.Id_Street"),
                  QStringLiteral("WHERE (((Adr.Id_Main)=%1))").arg(orgId),
                  // In the order they were entered, whatever index the engine walks.
                  QStringLiteral("ORDER BY Adr.Id")})) {
        const TColumns c(q);
        const int id = c("Id"), pre = c("Adr_Pre"), post = c("Adr_Post"), name = c("Name"),
                  number = c("Number"), map = c("id_map");
        for (int r = 0; r < q.RecordCount(); ++r)
            out.push_back({Number(q, r, id), Text(q, r, pre), Text(q, r, post), Text(q, r, name),
                           Text(q, r, number), Number(q, r, map, -1)});
    }
    q.Close();
    return out;
}

std::vector<TCardPhone> TQueryCardDetails::Phones(int adrId) {
    directory::TQuery& q = FDm.qPhones;
    std::vector<TCardPhone> out;
    if (q.Reopen({QStringLiteral("SELECT Phones.Id_Adr, Phones.Kind, Phones.Phone, "
                                 "Phones.Comment"),
                  QStringLiteral("FROM Phones"),
                  QStringLiteral("WHERE (((Phones.Id_Adr)=%1))").arg(adrId),
                  QStringLiteral("ORDER BY Phones.Id")})) {
        const TColumns c(q);
        const int kind = c("Kind"), phone = c("Phone"), comment = c("Comment");
        for (int r = 0; r < q.RecordCount(); ++r)
            out.push_back({Text(q, r, kind), Text(q, r, phone).trimmed(), Text(q, r, comment)});
    }
    q.Close();
    return out;
}

} // namespace tsivor::app
