// muldiv.cpp: MulDiv, the kernel's scaling of a 32-bit number by a fraction.
#include "QorPlatform.h"

#include <cstdint>

int WINAPI MulDiv(int nNumber, int nNumerator, int nDenominator)
{
    if (nDenominator == 0)
        return -1;
    const int64_t product = (int64_t)nNumber * nNumerator;
    const bool negative = (product < 0) != (nDenominator < 0);
    const uint64_t magnitude = product < 0 ? (uint64_t)0 - (uint64_t)product : (uint64_t)product;
    const uint64_t divisor = nDenominator < 0 ? (uint64_t)0 - (uint64_t)(int64_t)nDenominator : (uint64_t)nDenominator;
    // Half of the divisor added first rounds the quotient half away from zero.
    const uint64_t quotient = (magnitude + divisor / 2) / divisor;
    // The range is symmetric: -2^31 does not fit either.
    if (quotient > (uint64_t)INT32_MAX)
        return -1;
    return negative ? (int)(0 - (int64_t)quotient) : (int)quotient;
}
