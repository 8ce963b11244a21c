// qor_mutex_holder: a child that opens the named mutex given as its argument, takes it and ends at once
// without releasing it, so that the mutex is abandoned. Exit status: 3 when it held the mutex, else
// 100 + the wait's failure.
#include "QorWinTypes.h"

#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 100;
    HANDLE mutex = CreateMutexA(nullptr, FALSE, argv[1]);
    if (mutex == nullptr)
        return 101;
    if (WaitForSingleObject(mutex, INFINITE) != WAIT_OBJECT_0)
        return 102;
    std::_Exit(3); // ends the process holding the mutex: no release, no handle closed by us
}
