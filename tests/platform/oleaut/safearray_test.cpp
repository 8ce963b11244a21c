// safearray_test.cpp: safe arrays and variants as Windows documents them: the descriptor's layout and
// bounds, the lock count, elements zeroed at creation and released with the array or its variant.
#include "QorPlatform.h"
#include "QorWideText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(SafeArray, VectorLayoutAndBounds)
{
    struct { VARTYPE vt; ULONG size; USHORT feature; } rows[] = {{VT_BSTR, sizeof(BSTR), FADF_BSTR}, {VT_VARIANT, sizeof(VARIANT), FADF_VARIANT},
                {VT_I4, 4, 0}, {VT_UI1, 1, 0}, {VT_R8, 8, 0}};
    for (const auto &row : rows) {
        SAFEARRAY *array = SafeArrayCreateVector(row.vt, -3, 5);
        ASSERT_NE(nullptr, array) << row.vt;
        EXPECT_TRUE(SafeArrayGetDim(array) == 1u && array->cbElements == row.size && array->rgsabound[0].cElements == 5u &&
                    (array->fFeatures & (FADF_BSTR | FADF_VARIANT | FADF_HAVEVARTYPE)) == (row.feature | FADF_HAVEVARTYPE)) << row.vt;
        LONG lower = 0, upper = 0;
        VARTYPE vt = 0;
        EXPECT_EQ((std::vector<HRESULT>{S_OK, S_OK, S_OK, DISP_E_BADINDEX, DISP_E_BADINDEX}),
                  (std::vector<HRESULT>{SafeArrayGetLBound(array, 1, &lower), SafeArrayGetUBound(array, 1, &upper),
                                        SafeArrayGetVartype(array, &vt), SafeArrayGetUBound(array, 2, &upper),
                                        SafeArrayGetLBound(array, 0, &lower)}));
        EXPECT_TRUE(lower == -3 && upper == 1 && vt == row.vt) << row.vt;
        EXPECT_EQ(std::string(5 * row.size, '\0'), std::string(static_cast<const char *>(array->pvData), 5 * row.size))
            << "elements start zeroed";
        EXPECT_EQ(S_OK, SafeArrayDestroy(array));
    }
}

TEST(SafeArray, LocksGuardDestructionAndVariantsReleaseArrays)
{
    SAFEARRAY *array = SafeArrayCreateVector(VT_BSTR, 0, 1);
    static_cast<BSTR *>(array->pvData)[0] = SysAllocString(QOR_WTEXT("freed with the array"));
    VARIANT variant;
    VariantInit(&variant);
    variant.vt = VT_ARRAY | VT_BSTR;
    variant.parray = array;
    void *held = nullptr;
    ASSERT_EQ(S_OK, SafeArrayAccessData(array, &held));
    EXPECT_EQ(1u, array->cLocks);
    EXPECT_TRUE(SafeArrayDestroy(array) == DISP_E_ARRAYISLOCKED && VariantClear(&variant) == DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(VT_EMPTY, variant.vt) << "the variant lets go of a locked array all the same";
    // One unlock per lock.
    EXPECT_EQ((std::vector<HRESULT>{S_OK, E_UNEXPECTED, S_OK, S_OK, E_INVALIDARG}),
              (std::vector<HRESULT>{SafeArrayUnaccessData(array), SafeArrayUnaccessData(array), SafeArrayDestroy(array),
                                    SafeArrayDestroy(nullptr), SafeArrayAccessData(nullptr, &held)}));
}
