#pragma once
// The texts the system and the database engine give in English, put in Russian for messages.

#include <QString>

namespace tsivor::platform {

// Every known English system text in text gets its Russian meaning before it:
// "... No such file or directory" becomes "... нет такого файла или папки (No such file or
// directory)". Unknown texts stay as they are.
QString WithRussianMeaning(const QString& text);

} // namespace tsivor::platform
