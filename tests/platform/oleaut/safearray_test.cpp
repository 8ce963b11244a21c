// safearray_test.cpp: safe arrays and variants as Windows documents them: the descriptor's layout and
// bounds, the lock count, elements zeroed at creation and released with the array or its variant.
#include "QorPlatform.h"
#include "QorWideText.h"

#include <gtest/gtest.h>

TEST(SafeArray, VectorLayoutAndBounds)
{
    struct {
        VARTYPE vt;
        ULONG size;
        USHORT feature;
    } rows[] = {{VT_BSTR, sizeof(BSTR), FADF_BSTR}, {VT_VARIANT, sizeof(VARIANT), FADF_VARIANT},
                {VT_I4, 4, 0}, {VT_UI1, 1, 0}, {VT_R8, 8, 0}};
    for (const auto &row : rows) {
        SAFEARRAY *array = SafeArrayCreateVector(row.vt, -3, 5);
        ASSERT_NE(nullptr, array) << row.vt;
        EXPECT_EQ(1u, SafeArrayGetDim(array));
        EXPECT_EQ(row.size, array->cbElements) << row.vt;
        EXPECT_EQ(row.feature | FADF_HAVEVARTYPE, array->fFeatures & (FADF_BSTR | FADF_VARIANT | FADF_HAVEVARTYPE));
        EXPECT_EQ(5u, array->rgsabound[0].cElements);
        LONG lower = 0, upper = 0;
        VARTYPE vt = 0;
        EXPECT_EQ(S_OK, SafeArrayGetLBound(array, 1, &lower));
        EXPECT_EQ(S_OK, SafeArrayGetUBound(array, 1, &upper));
        EXPECT_EQ(S_OK, SafeArrayGetVartype(array, &vt));
        EXPECT_EQ(-3, lower);
        EXPECT_EQ(1, upper);
        EXPECT_EQ(row.vt, vt);
        EXPECT_EQ(DISP_E_BADINDEX, SafeArrayGetUBound(array, 2, &upper));
        EXPECT_EQ(DISP_E_BADINDEX, SafeArrayGetLBound(array, 0, &lower));
        const unsigned char *bytes = static_cast<const unsigned char *>(array->pvData);
        for (ULONG i = 0; i < 5 * row.size; ++i)
            ASSERT_EQ(0, bytes[i]) << "elements start zeroed";
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
    EXPECT_EQ(DISP_E_ARRAYISLOCKED, SafeArrayDestroy(array));
    EXPECT_EQ(DISP_E_ARRAYISLOCKED, VariantClear(&variant));
    EXPECT_EQ(VT_EMPTY, variant.vt) << "the variant lets go of a locked array all the same";
    EXPECT_EQ(S_OK, SafeArrayUnaccessData(array));
    EXPECT_EQ(E_UNEXPECTED, SafeArrayUnaccessData(array)) << "one unlock per lock";
    EXPECT_EQ(S_OK, SafeArrayDestroy(array));
    EXPECT_EQ(S_OK, SafeArrayDestroy(nullptr));
    EXPECT_EQ(E_INVALIDARG, SafeArrayAccessData(nullptr, &held));
}
