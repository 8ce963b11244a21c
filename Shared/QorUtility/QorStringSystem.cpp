// QorStringSystem.cpp: CQorString and the platform's text facilities: loading a string resource of
// a module, the automation string (BSTR) of a text, and the text form of a GUID.
#include "QorString.h"

#include "QorDll.h"
#include "QorError.h"
#include "QorPlatform.h"

namespace {

// A string resource is loaded into the string's current buffer first; a miss there is retried once
// with this many characters before it counts as a failure.
constexpr int kLoadBufferLength = 1024;

} // namespace

// LoadStringA stores at most (buffer size - 1) characters and a terminator. It must never be given a
// size of 0 (that would write a pointer into the buffer), so a one-byte buffer starts at the default.
HRESULT CQorString::LoadString(UINT id, HINSTANCE module)
{
    if (!module)
        module = QorGetCurrentResourceHandle();
    int bufferLength = BufferLength() > 1 ? BufferLength() : kLoadBufferLength;
    for (;;) {
        char *buffer = GetBuffer(bufferLength);
        int loaded = ::LoadStringA(module, id, buffer, bufferLength - 1);
        ReleaseBuffer(loaded);
        if (loaded != 0)
            return S_OK;
        if (bufferLength == kLoadBufferLength)
            return CQorError().GetLastError();
        bufferLength = kLoadBufferLength;
    }
}

BSTR CQorString::AllocSysString() const
{
    int length = GetLength();
    int wideLength = length > 0 ? MultiByteToWideChar(CP_ACP, 0, m_pszText, length, nullptr, 0) : 0;
    BSTR result = SysAllocStringLen(nullptr, (UINT)wideLength);
    if (result && wideLength > 0)
        MultiByteToWideChar(CP_ACP, 0, m_pszText, length, result, wideLength);
    return result;
}

CQorString::CQorString(const _GUID &guid)
{
    Init();
    *this = guid;
}

CQorString &CQorString::operator=(const _GUID &guid)
{
    LPOLESTR text = nullptr;
    if (FAILED(StringFromCLSID(guid, &text)))
        return *this;
    try {
        *this = static_cast<const WCHAR *>(text);
    } catch (HRESULT) {
        CoTaskMemFree(text);
        throw;
    }
    CoTaskMemFree(text);
    return *this;
}
