// ALZipFormat.h: the fixed parts of the ZIP format as this engine reads and writes them (record
// signatures and sizes, methods and option flags, the MS-DOS attribute bits, the written form of a
// member name). Facts about the format follow PKWARE's APPNOTE.TXT.
#pragma once

#include "ALEngine.h"
#include "ALStorage.h"

#include <string>

namespace alzip {

constexpr DWORD kLocalHeaderSignature = 0x04034B50;   // bytes 0x50 0x4B 0x03 0x04
constexpr DWORD kCentralRecordSignature = 0x02014B50; // bytes 0x50 0x4B 0x01 0x02
constexpr DWORD kEndRecordSignature = 0x06054B50;     // bytes 0x50 0x4B 0x05 0x06
// The 64-bit end record that tools writing to a stream put between the directory and the end record.
constexpr DWORD kEndRecord64Signature = 0x06064B50;
constexpr DWORD kDataDescriptorSignature = 0x08074B50;
constexpr LONG kLocalHeaderSize = 30;
constexpr LONG kEndSearchArea = 66000;
constexpr LONG kEndSearchWindow = 256;
constexpr WORD kVersion = 20;
constexpr WORD kMethodStored = 0;
constexpr WORD kMethodDeflated = 8;
constexpr WORD kMethodUnknown = 0xFFFF;
constexpr WORD kFlagEncrypted = 0x0001;
constexpr WORD kFlagsEncryptedWithDescriptor = 0x0009;

// The engine type for a central record's method and flags: 108 + the deflate option for method 8,
// 100 + the method otherwise.
int EngineTypeOf(WORD method, WORD flags);
// Method and flags of a local header, from the compressor's level.
void LocalMethodAndFlags(const ALCompressor *compressor, WORD &method, WORD &flags);
// Method and flags of a central record, from the compressor or else the decompressor's option.
void CentralMethodAndFlags(const ALEngine *engine, WORD &method, WORD &flags);

WORD AttributesFromExternal(DWORD external);
DWORD ExternalFromAttributes(WORD attributes);

// The name a member is stored under: without its path when asked, '/' separators, and no UNC
// server and share, drive letter or leading '/'.
std::string WrittenName(const char *storageName, bool withoutPath);

} // namespace alzip
