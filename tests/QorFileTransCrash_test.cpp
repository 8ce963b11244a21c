// QorFileTransCrash_test.cpp: every platform call of a commit and a recovery failing in turn, a power loss
// at each, and killed writers: the file always holds its old bytes, or its new ones after a success.
#include "QorChildProcess.h"
#include "QorFileTrans.h"
#include "QorKnownDifference.h"
#include "QorTestFiles.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#  include "QorPlatformHooks.h"
#endif

#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

using namespace qor::test;

#if !defined(_WIN32) // the failures and the power loss are hooks of the POSIX layer
namespace {

// A 300-byte file; the transaction changes 10..29 and 100..129 and grows the file to 330 bytes.
const std::string kOld = [] { std::string bytes; for (int i = 0; i < 300; ++i) bytes += (char)('a' + i % 26); return bytes; }();
const std::string kNew = std::string(kOld).replace(10, 20, 20, '1').replace(100, 30, 30, '2').append(30, '3');

std::string DataPath() { return PathOf("crash.db"); }
std::string JournalPath() { return PathOf("crash.qrn"); }
bool JournalLeft() { return std::ifstream(JournalPath()).good(); }

void StartTransaction(CQorFileTrans &file)
{
    WriteBytes(DataPath(), kOld);
    ASSERT_EQ(S_OK, file.Open(DataPath().c_str()));
    ASSERT_EQ(S_OK, file.BeginTrans());
    DWORD done = 0;
    for (auto [offset, length] : {std::pair<DWORD, DWORD>{100, 30}, {10, 20}, {290, 40}})
        ASSERT_TRUE(file.Seek((LONG)offset, FILE_BEGIN) == S_OK && file.Write(kNew.data() + offset, length, &done) == S_OK);
}

// What that commit leaves when it stops after writing the data file: a complete journal.
void LeaveCompleteJournal()
{
    std::string records;
    for (auto [offset, length] : {std::pair<DWORD, DWORD>{10, 20}, {100, 30}, {290, 10}})
        records += Le32(offset) + Le32(length) + kOld.substr(offset, length);
    WriteBytes(JournalPath(), Le32(16) + Le32(300) + Le32(16 + (DWORD)records.size()) + Le32(40) + records);
    WriteBytes(DataPath(), kNew);
}

// Runs the commit (or the roll-back at opening) with `arm(n)` failing its n-th call, until `disarm(n)` says none
// failed. Without a journal the file must be whole at once; reopened, it must be whole and the journal gone.
void AtEveryCall(bool recovery, const std::function<void(unsigned)> &arm, const std::function<bool(unsigned)> &disarm,
                 const std::string &what)
{
    for (unsigned nth = 1;; ++nth) {
        HRESULT result;
        {
            CQorFileTrans file;
            recovery ? LeaveCompleteJournal() : StartTransaction(file);
            arm(nth);
            result = recovery ? file.Open(DataPath().c_str()) : file.CommitTrans();
        }
        bool failed = disarm(nth);
        std::string expected = SUCCEEDED(result) && !recovery ? kNew : kOld, context = what + " at call " + std::to_string(nth);
        EXPECT_TRUE(JournalLeft() || expected == ReadBytes(DataPath())) << context;
        CQorFileTrans reopened;
        EXPECT_TRUE(reopened.Open(DataPath().c_str()) == S_OK && expected == ReadBytes(DataPath()) && !JournalLeft()) << context;
        if (!failed)
            return;
    }
}

} // namespace
#endif

TEST(QorFileTransCrash, EveryFailingPlatformCallAndPowerLossLeavesOldOrNewBytes)
{
    QOR_POSIX_ONLY("failures and the power loss are injected through the POSIX layer's hooks");
#if !defined(_WIN32)
    // ERROR_SUCCESS: a short write without an error
    struct { const char *function; DWORD error; } rows[] = {{"CreateFileA", ERROR_ACCESS_DENIED},
        {"WriteFile", ERROR_DISK_FULL}, {"WriteFile", ERROR_SUCCESS}, {"SetFilePointer", ERROR_INVALID_PARAMETER},
        {"ReadFile", ERROR_READ_FAULT}, {"FlushFileBuffers", ERROR_WRITE_FAULT}, {"SetEndOfFile", ERROR_DISK_FULL},
        {"DeleteFileA", ERROR_ACCESS_DENIED}};
    for (bool recovery : {false, true}) {
        std::string phase = recovery ? "recovery, " : "commit, ";
        for (const auto &row : rows)
            AtEveryCall(
                recovery, [&](unsigned nth) { QorInjectFault(row.function, nth, row.error); },
                [&](unsigned) { bool fired = !QorFaultArmed(row.function); return QorClearFaults(), fired; },
                phase + row.function + " " + std::to_string(row.error));
        for (QOR_POWER_LOSS loss : {QOR_POWER_LOSS_DROP, QOR_POWER_LOSS_KEEP, QOR_POWER_LOSS_TEAR, QOR_POWER_LOSS_SCATTER})
            AtEveryCall(
                recovery, [&](unsigned nth) { QorPowerLossStart(nth, loss); },
                [](unsigned nth) { return QorPowerLossStop() >= nth; }, phase + "loss " + std::to_string(loss));
    }
#endif
}

// A child commits generation after generation, killed at random moments: its file opens as one whole generation.
TEST(QorFileTransCrash, KilledWritersLeaveOneWholeGeneration)
{
    std::string path = PathOf("killed.db");
    unsigned seed = 12345;
    const int start = qor::test::UnderWine() ? 400 : 20; // a Wine process takes a while to start
    for (int round = 0; round < 12; ++round) {
        qor::test::ChildProcess worker("qor_trans_worker", {"run", path, std::to_string(round + 1)});
        ASSERT_TRUE(worker.Started());
        seed = seed * 1103515245u + 12345u;
        std::this_thread::sleep_for(std::chrono::milliseconds(start + (seed >> 8) % 120));
        worker.Kill();
        EXPECT_EQ(0, qor::test::RunChild("qor_trans_worker", {"check", path})) << "round " << round;
    }
}
