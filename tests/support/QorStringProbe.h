// QorStringProbe.h: a CQorString that lets tests see its block (reference count, buffer size,
// identity) and call the protected block primitives, so sharing and growth can be checked exactly.
#pragma once

#include "QorString.h"

class CQorStringProbe : public CQorString {
public:
    using CQorString::CQorString;
    CQorStringProbe(const CQorString &other) : CQorString(other) {}

    using CQorString::operator=;
    using CQorString::AllocData;
    using CQorString::BufferLength;

    int RefCount() const { return m_pData ? m_pData->nRefCount : 0; }
    const CQorStringData *Block() const { return m_pData; }
    static const char *NullText() { return reinterpret_cast<const char *>(&m_szNull); }
};
