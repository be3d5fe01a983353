#pragma once
// The pieces of plain map content: the header of every version, the name tables and the
// version-14 object records. Each reader checks the bytes left before it allocates anything.

#include "mapdata/ByteReader.h"
#include "mapdata/MapDocument.h"

namespace tsivor::mapdata {

constexpr int kHeaderSize = 615;    // versions 10..14
constexpr int kOldHeaderSize = 602; // versions 1..8
constexpr int kOldHeader9Size = 610;
constexpr int kVersionPeekSize = 45;
constexpr int kNameEntrySize = 43;
constexpr int kNameMaxLength = 40;
constexpr int kRecordFixedSize = 56;
// Groups nested deeper than this are dropped: nothing in a real map comes near it, and the
// recursive readers, box computation and freeing must not run out of stack.
constexpr int kMaxGroupDepth = 64;

enum class TReadStatus {
    Ok,
    Dropped,     // the record is damaged; its bytes are consumed and reading can go on
    EndOfStream, // the content ended inside the record; nothing after it can be read
};

// The version at offset 41 without consuming anything; 0 when the content is too short.
int32_t PeekVersion(TByteReader& r);
// The header of a version 1..14 content in its current form; false when it is cut short.
bool ReadHeader(TByteReader& r, int32_t version, TORBMapHeader& h);
// count entries into table (first name wins); false when the content ends first.
bool ReadNameTable(TByteReader& r, int32_t count, TNameTable& table);

// Fixed 56-byte part of a record; Data, Address and Extra are left alone.
void DecodeFixedPart(const uint8_t* at, TORBMapObjectMem& o);
// The 32-byte address block.
std::unique_ptr<TORBMapAddress> DecodeAddressBlock(const uint8_t* at);

// One version-14 record with its children, depth first. A damaged child is dropped alone
// and the group's Count follows the children kept. The box is not computed here.
TReadStatus ReadObjectV14(TByteReader& r, TOrbMapObjectPtr& out, int depth = 0);
// Consumes count records (children included) without keeping them, iteratively.
TReadStatus SkipObjectsV14(TByteReader& r, int64_t count);

} // namespace tsivor::mapdata
