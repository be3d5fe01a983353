#pragma once
// Opening files and addresses with the desktop's programs, saying so when that fails.

#include <QString>

namespace tsivor::app {

// A local file (help, an attached file): a missing file or one that no program opens is named
// in a short message. Returns whether it was opened.
bool OpenFileOrSay(const QString& path);
// A web or mail address: when no program takes it, a message names it.
bool OpenAddressOrSay(const QString& address);

} // namespace tsivor::app
