// main.cpp: uses the installed library's headers, exported classes and exported data.
#include <QorUtil.h>

#include <cstdio>
#include <cstring>

int main()
{
    CQorString text;
    text.Format("%s %d", "consumer", 42);
    CQorError error((HRESULT)0x80070002);
    bool ok = std::strcmp(text, "consumer 42") == 0 && error.Failed() && error.Facility() == CQorError::FacilityWin32 &&
              CQorHashTableBase::m_aulPrimes[0] == 53 && QorRegisterClipboardFormats() == 0 && QOR_CF_URL >= 0xC000;
    std::printf("consumer: %s\n", ok ? "ok" : "FAILED");
    return ok ? 0 : 1;
}
