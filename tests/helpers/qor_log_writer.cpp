// qor_log_writer: a child that appends to a shared log. "write PATH ID COUNT" logs COUNT lines with
// the texts ID and the line number; "die PATH" takes the log's locks and ends without giving them back;
// "errorlog ID COUNT" opens the error log, traces one line and closes it, COUNT times, and fails with
// 102 at the first opening that fails.
#include "QorError.h"
#include "QorFileLog.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Reaches the log's lock, which only the log itself takes otherwise.
class DyingLog : public CQorFileLog {
public:
    [[noreturn]] void DieHoldingLock()
    {
        Lock();
        std::_Exit(3);
    }
};

} // namespace

int main(int argc, char **argv)
{
    if (argc == 5 && std::strcmp(argv[1], "write") == 0) {
        CQorFileLog log;
        if (FAILED(log.Open(argv[2])))
            return 101;
        int count = std::atoi(argv[4]);
        for (int line = 0; line < count; ++line)
            log.Log(line, argv[3], std::to_string(line).c_str(), "payload", nullptr);
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "errorlog") == 0) {
        for (int line = 0, count = std::atoi(argv[3]); line < count; ++line) {
            if (FAILED(CQorError::OpenErrorLog()))
                return 102;
            CQorError(line).Trace(argv[2], std::to_string(line).c_str());
            CQorError::CloseTrace();
        }
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "die") == 0) {
        DyingLog log;
        if (FAILED(log.Open(argv[2])))
            return 101;
        log.DieHoldingLock();
    }
    return 100;
}
