// QorHashTable.h: the table of primes from which the applications pick their hash-table sizes.
#pragma once

#include "QorWinTypes.h"

class QORUTIL_API CQorHashTableBase {
public:
    static constexpr int PrimeCount = 28;
    // Ascending primes, each about twice the one before it, from 53 to 4294967291 (the largest
    // 32-bit prime).
    static const DWORD m_aulPrimes[PrimeCount];
};
