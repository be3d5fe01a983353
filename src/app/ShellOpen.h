#pragma once
// Opening files and addresses with the desktop's programs, saying so when that fails.

#include <QString>

namespace tsivor::app {

// Opens a local file (help, an attached file); empty when it opened, else the reason in a
// short Russian text naming the file (missing, or no program opens it).
QString OpenFile(const QString& path);
// OpenFile, the reason shown in a message box. Returns whether it was opened.
bool OpenFileOrSay(const QString& path);
// A web or mail address: when no program takes it, a message names it.
bool OpenAddressOrSay(const QString& address);

} // namespace tsivor::app
