// QorClipboardFormats.cpp: the clipboard formats that the application family shares, registered by
// name into the exported QOR_CF_* globals.
#include "QorDll.h"

#include "QorError.h"
#include "QorPlatform.h"

unsigned short QOR_CF_FIRST_STRING_LIST = 0;
unsigned short QOR_CF_URL = 0;
unsigned short QOR_CF_OBJECT_GENERIC = 0;
unsigned short QOR_CF_OBJECT_PERSON = 0;
unsigned short QOR_CF_OBJECT_COMPANY = 0;
unsigned short QOR_CF_MAPI_MSG = 0;
unsigned short QOR_CF_TAB = 0;
unsigned short QOR_CF_IE_TAB = 0;
unsigned short QOR_CF_LAST_STRING_LIST = 0;
unsigned short QOR_CF_MS_FILEGROUPDESCRIPTOR = 0;
unsigned short QOR_CF_ADDREMOVE_DLG = 0;
unsigned short QOR_CF_TAB_EXPORT = 0;

namespace {

struct FormatRow {
    unsigned short *format;
    const char *name;
};

// The family's own formats, in registration order; each must register.
const FormatRow kFamilyFormats[] = {
    {&QOR_CF_FIRST_STRING_LIST, "QOR_CF_FIRST_STRING_LIST"},
    {&QOR_CF_URL, "QOR_CF_URL"},
    {&QOR_CF_TAB, "QOR_CF_TAB"},
    {&QOR_CF_IE_TAB, "QOR_CF_IE_TAB"},
    {&QOR_CF_MAPI_MSG, "QOR_CF_MAPI_MSG"},
    {&QOR_CF_TAB_EXPORT, "QOR_CF_TAB_EXPORT"},
    {&QOR_CF_LAST_STRING_LIST, "QOR_CF_LAST_STRING_LIST"},
    {&QOR_CF_ADDREMOVE_DLG, "QOR_CF_ADDREMOVE_DLG"},
};

} // namespace

HRESULT QorRegisterClipboardFormats()
{
    // Formats already registered are skipped, so a second call retries only what failed before.
    for (const FormatRow &row : kFamilyFormats) {
        if (*row.format != 0)
            continue;
        UINT format = RegisterClipboardFormatA(row.name);
        if (format == 0)
            return QorHResultFromLastError();
        *row.format = (unsigned short)format;
    }
    // The shell's own format is only borrowed: without it the family's formats still work.
    if (QOR_CF_MS_FILEGROUPDESCRIPTOR == 0)
        QOR_CF_MS_FILEGROUPDESCRIPTOR = (unsigned short)RegisterClipboardFormatA("FileGroupDescriptor");
    return 0;
}
