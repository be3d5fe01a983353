#include "platform/SystemText.h"

#include <utility>

namespace tsivor::platform {

namespace {

struct TMeaning {
    const char* English;
    const char* Russian;
};

// Longer texts first where one contains another.
const TMeaning Meanings[] = {
    {"No such file or directory", "нет такого файла или папки"},
    {"Permission denied", "нет прав доступа"},
    {"Read-only file system", "файловая система только для чтения"},
    {"No space left on device", "на диске нет места"},
    {"Is a directory", "это папка, а не файл"},
    {"File name too long", "слишком длинное имя файла"},
    {"Too many open files", "открыто слишком много файлов"},
    {"Input/output error", "ошибка ввода-вывода"},
    {"database disk image is malformed", "файл базы данных повреждён"},
    {"file is not a database", "файл не является базой данных"},
    {"unable to open database file", "не удалось открыть файл базы данных"},
    {"attempt to write a readonly database", "база данных открыта только для чтения"},
    {"database is locked", "база данных занята другой программой"},
    {"disk I/O error", "ошибка чтения или записи диска"},
    {"database or disk is full", "база данных или диск переполнены"},
    {"Expression tree is too large", "запрос слишком сложен"},
    {"out of memory", "не хватает памяти"},
    {"no such table", "нет такой таблицы"},
    {"no such column", "нет такого столбца"},
    {"Unknown error", "неизвестная ошибка"},
};

} // namespace

QString WithRussianMeaning(const QString& text) {
    QString out = text;
    for (const TMeaning& m : Meanings) {
        const QString english = QString::fromLatin1(m.English);
        const QString russian = QString::fromUtf8(m.Russian);
        qsizetype from = 0;
        while (true) {
            const qsizetype at = out.indexOf(english, from, Qt::CaseInsensitive);
            if (at < 0) break;
            // Already explained: "meaning (text)".
            const QString before = russian + QStringLiteral(" (");
            if (at >= before.size() &&
                out.mid(at - before.size(), before.size()).compare(before, Qt::CaseInsensitive) ==
                    0) {
                from = at + english.size();
                continue;
            }
            const QString found = out.mid(at, english.size());
            const QString replacement = before + found + u')';
            out.replace(at, english.size(), replacement);
            from = at + replacement.size();
        }
    }
    return out;
}

} // namespace tsivor::platform
