// oleaut.cpp: automation strings (BSTR) with the Windows layout: a 32-bit byte count, then the UTF-16
// characters, then a 16-bit terminator. The BSTR points at the first character, so it reads as a
// NUL-terminated wide string and its length sits in the four bytes before it.
#include "QorPlatform.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

using qor::platform::FaultFires;

namespace {

constexpr size_t kPrefixBytes = sizeof(uint32_t);

uint32_t *PrefixOf(BSTR text) { return reinterpret_cast<uint32_t *>(text) - 1; }

// Room for `byteCount` bytes of characters plus prefix and terminator; null when the count does not
// fit the 32-bit prefix or memory runs out.
BSTR AllocateBytes(size_t byteCount)
{
    if (byteCount > UINT32_MAX - kPrefixBytes - sizeof(OLECHAR))
        return nullptr;
    auto *block = static_cast<uint32_t *>(std::malloc(kPrefixBytes + byteCount + sizeof(OLECHAR)));
    if (block == nullptr)
        return nullptr;
    *block = static_cast<uint32_t>(byteCount);
    BSTR text = reinterpret_cast<BSTR>(block + 1);
    std::memset(reinterpret_cast<char *>(text) + byteCount, 0, sizeof(OLECHAR));
    return text;
}

} // namespace

BSTR WINAPI SysAllocStringLen(const OLECHAR *strIn, UINT ui)
{
    if (FaultFires("SysAllocStringLen"))
        return nullptr;
    BSTR text = AllocateBytes(static_cast<size_t>(ui) * sizeof(OLECHAR));
    if (text != nullptr && strIn != nullptr) // without input the characters stay uninitialised, as documented
        std::memcpy(text, strIn, static_cast<size_t>(ui) * sizeof(OLECHAR));
    return text;
}

BSTR WINAPI SysAllocString(const OLECHAR *psz)
{
    if (psz == nullptr)
        return nullptr;
    if (FaultFires("SysAllocString"))
        return nullptr;
    size_t length = 0;
    while (psz[length] != 0)
        ++length;
    BSTR text = AllocateBytes(length * sizeof(OLECHAR));
    if (text != nullptr)
        std::memcpy(text, psz, length * sizeof(OLECHAR));
    return text;
}

void WINAPI SysFreeString(BSTR bstrString)
{
    if (bstrString != nullptr)
        std::free(PrefixOf(bstrString));
}

UINT WINAPI SysStringByteLen(BSTR bstr) { return bstr == nullptr ? 0 : *PrefixOf(bstr); }

UINT WINAPI SysStringLen(BSTR pbstr) { return SysStringByteLen(pbstr) / sizeof(OLECHAR); }
