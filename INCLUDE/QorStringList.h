// QorStringList.h: CQorStringList, an ordered list of strings that crosses automation boundaries as a
// one-dimensional SAFEARRAY of BSTR (or fills itself from one of BSTR or of VARIANT).
#pragma once

#include "QorSimpleArray.h"
#include "QorString.h"

class QORUTIL_API CQorStringList {
public:
    // An opaque place in the list; null after the last string.
    typedef void *Position;

    CQorStringList() = default;
    CQorStringList(const CQorStringList &other) = default;
    CQorStringList &operator=(const CQorStringList &other) = default;

    // The four operations the conversions use, in the order of their slots.
    virtual void AddString(const CQorString &text);
    virtual void RemoveAllStrings();
    // The string at `position`, which then moves to the next one (null after the last).
    virtual CQorString &GetNextString(Position &position);
    virtual Position GetFirstPosition() const;
    virtual ~CQorStringList();

    int GetCount() const { return m_nCount; }
    // No bounds test: 0 <= index < GetCount().
    CQorString &GetAt(int index) { return m_aStrings[index]; }
    const CQorString &GetAt(int index) const { return m_aStrings[index]; }
    // -1 when no string equals `text`.
    int Find(const char *text) const;
    // False for an index outside the list.
    bool RemoveAt(int index);

    // A new array (VT_BSTR, lower bound 0) with the strings in order, owned by the caller; an empty
    // list gives an empty array. E_INVALIDARG for a null `psa`; on failure `*psa` is not set and every
    // string made so far is freed.
    HRESULT CreateSafeArray(SAFEARRAY **psa);
    // Adds the strings of a one-dimensional array of BSTR (`variants` false) or of VARIANT (VT_BSTR and
    // VT_LPSTR give their text, every other type an empty string), after emptying the list unless
    // `append`. With `destroy` each element is released once added and the array destroyed at the end.
    // E_INVALIDARG for an array whose elements are not of the size the form needs; E_UNEXPECTED when
    // a string cannot be made (the strings added so far stay).
    HRESULT LoadSafeArray(SAFEARRAY *psa, bool append, bool destroy, bool variants);

protected:
    int32_t m_nCount = 0; // the number of strings
    CQorSimpleArray<CQorString> m_aStrings;

private:
    void SyncCount() { m_nCount = m_aStrings.GetSize(); }
};
