// qor_file_holder: a child that opens a file with a given access and share mode, creates a "ready"
// file, and keeps its handle until a "release" file appears. Exit status: 0, or the open's last error.
// Arguments: path access share ready-path release-path (numbers in decimal or 0x hex).
#include "QorWinTypes.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

int main(int argc, char **argv)
{
    if (argc != 6)
        return 100;
    DWORD access = (DWORD)std::strtoul(argv[2], nullptr, 0);
    DWORD share = (DWORD)std::strtoul(argv[3], nullptr, 0);
    HANDLE file = CreateFileA(argv[1], access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return (int)GetLastError();
    std::ofstream(argv[4]).put('1');
    while (!std::filesystem::exists(argv[5]))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    CloseHandle(file);
    return 0;
}
