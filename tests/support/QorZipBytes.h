// QorZipBytes.h: small ZIP files built byte by byte for tests (the data always stored), so that a
// test can give a member any flags, method, DOS time and attributes.
#pragma once

#include "ALCrc32.h"

#include <string>
#include <vector>

namespace qor::test {

struct ZipMember {
    std::string name, data;
    WORD flags = 0, method = 0;
    WORD time = 0x6DAF, date = 0x0ACF; // 1985-06-15 13:45:30
    DWORD attributes = 0x20;
};

inline std::string Little(DWORD value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(value >> 8 * i);
    return out;
}

// Local headers with the data, the central directory and the end record.
inline std::string ZipOf(const std::vector<ZipMember> &members, const std::string &comment = "")
{
    std::string local, central;
    for (const ZipMember &m : members) {
        const DWORD crc = ~ALCrc32Update(0xFFFFFFFFu, (const unsigned char *)m.data.data(), m.data.size());
        const DWORD size = (DWORD)m.data.size();
        const std::string common = Little(m.flags, 2) + Little(m.method, 2) + Little(m.time, 2) + Little(m.date, 2) +
                                   Little(crc, 4) + Little(size, 4) + Little(size, 4) + Little((DWORD)m.name.size(), 2);
        central += Little(0x02014b50, 4) + Little(20, 2) + Little(20, 2) + common + Little(0, 4) + Little(0, 4) +
                   Little(m.attributes, 4) + Little((DWORD)local.size(), 4) + m.name;
        local += Little(0x04034b50, 4) + Little(20, 2) + common + Little(0, 2) + m.name + m.data;
    }
    const DWORD count = (DWORD)members.size();
    return local + central + Little(0x06054b50, 4) + Little(0, 4) + Little(count, 2) + Little(count, 2) +
           Little((DWORD)central.size(), 4) + Little((DWORD)local.size(), 4) + Little((DWORD)comment.size(), 2) + comment;
}

} // namespace qor::test
