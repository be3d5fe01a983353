#include "directory/DataModule.h"

#include "directory/DirectorySchema.h"
#include "directory/JetImport.h"

#include <QDir>
#include <QFileInfo>

namespace tsivor::directory {

namespace {

// A database the program can read: found, imported when Access, and holding its tables.
bool OpenChecked(TDatabase& db, const QString& path, const std::vector<TSchemaTable>& tables,
                 QString* error) {
    const QString file = ResolveDatabaseFile(path, error);
    if (file.isEmpty()) return false;
    if (!db.Open(file, TDatabase::Mode::ReadOnly, error)) return false;
    const QStringList missing = MissingTables(db, tables);
    if (!missing.isEmpty()) {
        db.Close();
        if (error)
            *error = QStringLiteral("В базе данных \"%1\" нет таблиц: %2.")
                         .arg(QDir::toNativeSeparators(path), missing.join(QStringLiteral(", ")));
        return false;
    }
    return true;
}

} // namespace

Tdm::Tdm()
    : QJumps(&ADOConnection1), QJumpsAll(&ADOConnection1), QMain(&ADOConnection1),
      qTopics(&ADOConnection1), qAdr(&ADOConnection1), qPhones(&ADOConnection1),
      QStrPhone(&ADOConnection1), QHouses(&ADOConnection2) {}

QString Tdm::BuildHousesStatement(const QString& condition, const QString& order) {
    return QStringLiteral("SELECT Operations.Name, Raion.Name, Base.Adr, "
                          "IIf(Base.Rooms=0,\"СРТ/КСС\",Base.Rooms) as Rooms1, Base.FF,") +
           QStringLiteral(" Base.Square, Base.Plane, Base.Sanuzel, Base.Balcon,") +
           QStringLiteral(" Base.Phone, Base.Comment, IIf(Summa=0,\"Дог.\",Summa) as Summa1, "
                          "Base.ContactPhone,") +
           QStringLiteral(" Base.DateIn, An.Name,An.Adr as an1,An.Phones as an2") +
           QStringLiteral(" FROM An RIGHT JOIN (Raion RIGHT JOIN (Operations RIGHT JOIN") +
           QStringLiteral(" Base ON Operations.id = Base.Operation) ON Raion.id = Base.District)") +
           QStringLiteral(" ON An.id = Base.Agency") + QStringLiteral(" WHERE (") + condition +
           QStringLiteral(")") + QStringLiteral(" ORDER BY ") + order;
}

QString Tdm::DirectoryPath(const QString& exeDir) {
    return exeDir + QStringLiteral("/info.db");
}

QString Tdm::HousesPath(const QString& exeDir) {
    return exeDir + QStringLiteral("/houses/houses.db");
}

bool Tdm::OpenAtStart(const QString& exeDir, QString* error) {
    ADOConnection1.Close();
    CloseHouses();
    if (!OpenDirectory(exeDir, error)) return false;
    OpenHouses(exeDir);
    return true;
}

bool Tdm::OpenDirectory(const QString& exeDir, QString* error) {
    for (TQuery* q : {&QJumps, &QJumpsAll, &QMain, &qTopics, &qAdr, &qPhones, &QStrPhone})
        q->Close();
    ADOConnection1.Close();
    QString why;
    if (OpenChecked(ADOConnection1, DirectoryPath(exeDir), DirectoryTables(), &why)) return true;
    if (error) *error = why + QStringLiteral("\n\rРабота программы будет завершена.");
    return false;
}

bool Tdm::OpenHouses(const QString& exeDir) {
    CloseHouses();
    // The presence test is relative to the working directory, the file opened is the one next
    // to the executable (the two are the same folder in a normal installation).
    if (!QFileInfo::exists(QStringLiteral("houses/houses.db"))) return false;
    return OpenChecked(ADOConnection2, HousesPath(exeDir), HousesTables(), &housesError_);
}

void Tdm::CloseHouses() {
    QHouses.Close();
    ADOConnection2.Close();
    housesError_.clear();
}

} // namespace tsivor::directory
