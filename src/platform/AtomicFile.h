#pragma once
// TAtomicFile: a file written whole or not at all. The bytes go to a temporary file beside the
// target, which takes the old file's place only when everything has been written and flushed;
// a crash, a kill or a full disk leaves the old file as it was. Every file the program writes
// goes through here.

#include <QSaveFile>
#include <QString>

class QIODevice;

namespace tsivor::platform {

class TAtomicFile {
public:
    explicit TAtomicFile(const QString& fileName);
    // Without Commit the temporary file is removed and the old file stays.
    ~TAtomicFile();
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    bool Open(); // false with ErrorText set
    QIODevice& Device();
    // Puts the written file in place; false (old file kept) when anything failed on the way.
    bool Commit();
    // A Russian sentence naming the file, for the caller to show.
    const QString& ErrorText() const { return FError; }

    // The whole of bytes as fileName; on failure *error says why.
    static bool Write(const QString& fileName, const QByteArray& bytes, QString* error = nullptr);
    // Puts a finished file that another writer made (an SQLite database) in target's place in
    // one step; the old target stays until then.
    static bool Replace(const QString& finished, const QString& target, QString* error = nullptr);

private:
    void Fail();

    QSaveFile FFile;
    QString FError;
};

} // namespace tsivor::platform
