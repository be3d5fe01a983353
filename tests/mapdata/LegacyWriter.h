#pragma once
// Writes map documents as plain content of the old versions 1 to 13, field by field in the
// layouts of each group of versions, so the readers can be tested against files as they were.

#include "mapdata/MapDocument.h"

namespace tsivor::mapdata::testmaps {

// doc as version-N content. The values are written as the old format held them: texts of
// versions 1 to 5 keep their Angle as it is (the old files held degrees), notes of versions 1 to
// 4 store NamePic as the icon number, int fields take the value truncated, the stored box of
// versions 1 to 7 is the object's Box. Pictures before version 12 are written as a bare 42-byte
// head, groups before version 4 without their children, as no reader could frame them.
QByteArray WriteLegacyContent(const TMapDocument& doc, int version);

} // namespace tsivor::mapdata::testmaps
