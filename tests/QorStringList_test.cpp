// QorStringList_test.cpp: CQorStringList across automation arrays (BSTR and VARIANT elements, append, destroy,
// nested arrays), its own operations, and CQorSimpleArray's growth and removal.
#include "QorStringList.h"
#include "QorWideText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

template <class T> struct SimpleArrayProbe : CQorSimpleArray<T> {
    int Allocated() const { return this->m_nAllocated; }
};

// Counts the references it gives up.
struct CountingUnknown : IUnknown {
    virtual ~CountingUnknown() = default;
    HRESULT QueryInterface(const IID &, void **object) override { return *object = nullptr, E_NOINTERFACE; }
    ULONG AddRef() override { return ++m_references; }
    ULONG Release() override { return --m_references; }
    ULONG m_references = 1;
};

CQorStringList ListOf(std::vector<const char *> texts)
{
    CQorStringList list;
    for (const char *text : texts)
        list.AddString(text);
    return list;
}

std::string Texts(CQorStringList &list)
{
    std::string all;
    for (CQorStringList::Position at = list.GetFirstPosition(); at;)
        all += std::string(list.GetNextString(at)) + "|";
    return all;
}

SAFEARRAY *BstrArray(std::vector<const WCHAR *> texts)
{
    SAFEARRAY *array = SafeArrayCreateVector(VT_BSTR, 0, (ULONG)texts.size());
    for (size_t i = 0; i < texts.size(); ++i)
        static_cast<BSTR *>(array->pvData)[i] = texts[i] ? SysAllocString(texts[i]) : nullptr;
    return array;
}

char *TaskText(const char *text) { return strcpy(static_cast<char *>(CoTaskMemAlloc(strlen(text) + 1)), text); }

} // namespace

TEST(QorStringList, CreateSafeArray)
{
    CQorStringList list = ListOf({"one", "", "three"}), empty, back;
    SAFEARRAY *array = nullptr, *none = nullptr;
    ASSERT_TRUE(list.CreateSafeArray(&array) == S_OK && empty.CreateSafeArray(&none) == S_OK);
    EXPECT_TRUE(array->rgsabound[0].lLbound == 0 && none->rgsabound[0].cElements == 0u) << "an empty list: an empty array";
    ASSERT_EQ(S_OK, back.LoadSafeArray(array, false, true, false));
    EXPECT_EQ("one||three|", Texts(back));
    SafeArrayDestroy(none);
    EXPECT_EQ(E_INVALIDARG, list.CreateSafeArray(nullptr));
}

TEST(QorStringList, LoadBstrArrayAppendAndDestroy)
{
    for (bool append : {false, true}) {
        CQorStringList list = ListOf({"old"});
        SAFEARRAY *array = BstrArray({QOR_WTEXT("a"), nullptr, QOR_WTEXT("c")});
        BSTR *data = static_cast<BSTR *>(array->pvData);
        EXPECT_TRUE(list.LoadSafeArray(array, append, false, false) == S_OK && data[0] != nullptr) << "untouched without destroy";
        EXPECT_EQ(std::string(append ? "old|" : "") + "a||c|", Texts(list)) << "a null BSTR is an empty string";
        void *held = nullptr; // held locked, the array survives its destruction: its elements can be seen
        SafeArrayAccessData(array, &held);
        EXPECT_TRUE(list.LoadSafeArray(array, true, true, false) == S_OK && data[0] == nullptr && data[2] == nullptr);
        EXPECT_TRUE(SafeArrayUnaccessData(array) == S_OK && SafeArrayDestroy(array) == S_OK);
    }
    CQorStringList list = ListOf({"kept"});
    SAFEARRAY *strings = BstrArray({QOR_WTEXT("x")});
    EXPECT_TRUE(list.LoadSafeArray(nullptr, true, false, false) == E_INVALIDARG &&
                list.LoadSafeArray(strings, true, true, true) == E_INVALIDARG) << "BSTR elements read as variants";
    EXPECT_EQ("kept|", Texts(list));
    SafeArrayDestroy(strings);
}

TEST(QorStringList, LoadVariantArrayReleasesWhatElementsOwn)
{
    CountingUnknown object;
    SAFEARRAY *inner = SafeArrayCreateVector(VT_VARIANT, 0, 1), *array = SafeArrayCreateVector(VT_VARIANT, 0, 6);
    VARIANT *nested = static_cast<VARIANT *>(inner->pvData), *data = nullptr;
    nested->vt = VT_BSTR;
    nested->bstrVal = SysAllocString(QOR_WTEXT("nested"));
    SafeArrayAccessData(array, reinterpret_cast<void **>(&data)); // held: see the elements afterwards
    const VARTYPE types[] = {VT_BSTR, VT_LPSTR, VT_I4, VT_UNKNOWN, VT_BYREF | VT_UI1, VT_ARRAY | VT_VARIANT};
    for (int i = 0; i < 6; ++i)
        data[i].vt = types[i];
    data[0].bstrVal = SysAllocString(QOR_WTEXT("wide"));
    data[1].pcVal = TaskText("narrow");
    data[3].punkVal = &object;
    data[4].pbVal = reinterpret_cast<BYTE *>(TaskText("bytes"));
    data[5].parray = inner;

    CQorStringList list;
    EXPECT_TRUE(list.LoadSafeArray(array, false, true, true) == S_OK && Texts(list) == "wide|narrow|||||")
        << "only VT_BSTR and VT_LPSTR give text";
    EXPECT_EQ(std::vector<VARTYPE>(6, VT_EMPTY), (std::vector<VARTYPE>{data[0].vt, data[1].vt, data[2].vt, data[3].vt, data[4].vt, data[5].vt}));
    EXPECT_TRUE(data[0].bstrVal == nullptr && data[1].pcVal == nullptr);
    EXPECT_EQ(0u, object.m_references) << "one Release for the interface";
    EXPECT_TRUE(SafeArrayUnaccessData(array) == S_OK && SafeArrayDestroy(array) == S_OK);
}

TEST(QorStringList, OwnOperations)
{
    CQorStringList list = ListOf({"a", "b", "c"}), copy(list);
    EXPECT_TRUE(list.GetCount() == 3 && list.Find("b") == 1 && list.Find("z") == -1);
    EXPECT_TRUE(list.RemoveAt(0) && !list.RemoveAt(2) && std::string(list.GetAt(1)) == "c");
    EXPECT_EQ("b|c| a|b|c|", Texts(list) + " " + Texts(copy)) << "a copy holds its own strings";
    list.RemoveAllStrings();
    EXPECT_TRUE(list.GetCount() == 0 && list.GetFirstPosition() == nullptr);
}

TEST(QorSimpleArray, GrowsByDoublingAndRemoves)
{
    SimpleArrayProbe<CQorString> array, copy;
    const int expectedSlots[] = {1, 2, 4, 4, 8, 8, 8, 8, 16};
    for (int i = 0; i < 9; ++i) {
        array.Add(CQorString(std::to_string(i).c_str()));
        EXPECT_EQ(expectedSlots[i], array.Allocated()) << "after add " << i + 1;
    }
    array.Add(array[0]); // its own element, while the storage moves
    EXPECT_TRUE(std::string(array[9]) == "0" && array.Find("3") == 3 && array.Remove("0"));
    EXPECT_TRUE(std::string(array[0]) == "1" && array.GetSize() == 9 && !array.RemoveAt(9));
    copy = array;
    array.RemoveAll();
    EXPECT_TRUE(array.GetSize() == 0 && array.Allocated() == 0 && array.GetData() == nullptr);
    EXPECT_STREQ("8", copy[7]) << "copies are deep";
}
