// QorFileTransCrash_test.cpp: the transactional file under failures and crashes: every platform call
// of a commit and of a recovery made to fail in turn, a simulated power loss at every call of a commit
// and of a recovery, and a child process killed at random moments. Afterwards the file always holds
// its old bytes, or its new bytes where the commit reported success, never a mix.
#include "QorChildProcess.h"
#include "QorFileTrans.h"
#include "QorKnownDifference.h"
#include "QorTestFiles.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#  include "QorPlatformHooks.h"
#endif

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

using qor::test::PathOf;
using qor::test::ReadBytes;
using qor::test::WriteBytes;

namespace {

// A 300-byte file; the transaction changes two ranges and grows it by 30 bytes.
const std::string kOld = [] {
    std::string bytes;
    for (int i = 0; i < 300; ++i)
        bytes += (char)('a' + i % 26);
    return bytes;
}();
const std::string kNew = kOld.substr(0, 10) + std::string(20, '1') + kOld.substr(30, 70) + std::string(30, '2') +
                         kOld.substr(130, 160) + std::string(40, '3');

std::string DataPath() { return PathOf("crash.db"); }
std::string JournalPath() { return PathOf("crash.qrn"); }

void StartTransaction(CQorFileTrans &file)
{
    std::remove(JournalPath().c_str());
    WriteBytes(DataPath(), kOld);
    ASSERT_EQ(S_OK, file.Open(DataPath().c_str()));
    ASSERT_EQ(S_OK, file.BeginTrans());
    DWORD done = 0;
    for (auto [offset, length] : {std::pair<DWORD, DWORD>{100, 30}, {10, 20}, {290, 40}}) {
        file.Seek((LONG)offset, FILE_BEGIN);
        ASSERT_EQ(S_OK, file.Write(kNew.data() + offset, length, &done));
    }
}

// After reopening (which rolls back a journal left behind) the file holds the bytes the commit's
// result promises.
void ExpectReopenedAs(const std::string &expected, const std::string &context)
{
    CQorFileTrans reopened;
    EXPECT_EQ(S_OK, reopened.Open(DataPath().c_str())) << context;
    EXPECT_EQ(expected, ReadBytes(DataPath())) << context;
    EXPECT_FALSE(std::ifstream(JournalPath()).good()) << context;
}

#if !defined(_WIN32)
// A complete journal over a data file holding the new bytes: what a commit leaves when it stops after
// writing the data file.
// The power fails at the commit's last call, the journal's deletion.
unsigned CommitCalls()
{
    static unsigned calls = [] {
        CQorFileTrans file;
        StartTransaction(file);
        QorPowerLossStart(0, QOR_POWER_LOSS_DROP);
        EXPECT_EQ(S_OK, file.CommitTrans());
        return QorPowerLossStop();
    }();
    return calls;
}

void LeaveCompleteJournal()
{
    unsigned lastCall = CommitCalls();
    {
        CQorFileTrans file;
        StartTransaction(file);
        QorPowerLossStart(lastCall, QOR_POWER_LOSS_KEEP);
        EXPECT_NE(S_OK, file.CommitTrans());
    }
    QorPowerLossStop();
    ASSERT_EQ(kNew, ReadBytes(DataPath()));
}
#endif

} // namespace

TEST(QorFileTransCrash, EveryFailingPlatformCallLeavesOldOrNewBytes)
{
    QOR_POSIX_ONLY("faults are injected through the POSIX layer's hooks");
#if !defined(_WIN32)
    struct Row {
        const char *function;
        DWORD error;
    } rows[] = {
        {"CreateFileA", ERROR_ACCESS_DENIED}, {"WriteFile", ERROR_DISK_FULL}, {"WriteFile", ERROR_SUCCESS},
        {"SetFilePointer", ERROR_INVALID_PARAMETER}, {"ReadFile", ERROR_READ_FAULT},
        {"FlushFileBuffers", ERROR_WRITE_FAULT}, {"SetEndOfFile", ERROR_DISK_FULL}, {"DeleteFileA", ERROR_ACCESS_DENIED},
    };
    for (const Row &row : rows) {
        for (unsigned nth = 1;; ++nth) {
            std::string context = std::string(row.function) + " #" + std::to_string(nth) + " " + std::to_string(row.error);
            HRESULT result;
            {
                CQorFileTrans file;
                StartTransaction(file);
                QorInjectFault(row.function, nth, row.error);
                result = file.CommitTrans();
            }
            bool fired = !QorFaultArmed(row.function);
            QorClearFaults();
            EXPECT_EQ(SUCCEEDED(result) ? kNew : kOld, ReadBytes(DataPath())) << context;
            ExpectReopenedAs(SUCCEEDED(result) ? kNew : kOld, context);
            if (!fired)
                break;
        }
    }
    // Recovery from a complete journal, each of its calls failing in turn, then run again.
    for (const Row &row : rows) {
        for (unsigned nth = 1;; ++nth) {
            LeaveCompleteJournal();
            QorInjectFault(row.function, nth, row.error);
            CQorFileTrans file;
            HRESULT result = file.Open(DataPath().c_str());
            bool fired = !QorFaultArmed(row.function);
            QorClearFaults();
            file.Close(true);
            ExpectReopenedAs(kOld, std::string("recovery ") + row.function + " #" + std::to_string(nth));
            if (!fired) {
                EXPECT_EQ(S_OK, result);
                break;
            }
        }
    }
#endif
}

TEST(QorFileTransCrash, PowerLossAtEveryCallOfCommitAndRecovery)
{
    QOR_POSIX_ONLY("the power loss is simulated by the POSIX layer");
#if !defined(_WIN32)
    unsigned commitCalls = CommitCalls();
    ASSERT_GE(commitCalls, 7u); // create, journal writes, two flushes, data writes, flush, delete
    LeaveCompleteJournal();
    QorPowerLossStart(0, QOR_POWER_LOSS_DROP);
    ExpectReopenedAs(kOld, "recovery counted");
    unsigned recoveryCalls = QorPowerLossStop();

    for (QOR_POWER_LOSS loss : {QOR_POWER_LOSS_DROP, QOR_POWER_LOSS_KEEP, QOR_POWER_LOSS_TEAR, QOR_POWER_LOSS_SCATTER}) {
        for (unsigned call = 1; call <= commitCalls; ++call) {
            std::string context = "commit, loss " + std::to_string(loss) + " at call " + std::to_string(call);
            HRESULT result;
            {
                CQorFileTrans file;
                StartTransaction(file);
                QorPowerLossStart(call, loss);
                result = file.CommitTrans();
            }
            QorPowerLossStop();
            ExpectReopenedAs(SUCCEEDED(result) ? kNew : kOld, context);
        }
        for (unsigned call = 1; call <= recoveryCalls; ++call) {
            LeaveCompleteJournal();
            QorPowerLossStart(call, loss);
            CQorFileTrans().Open(DataPath().c_str()); // fails or not, as the power allows
            QorPowerLossStop();
            ExpectReopenedAs(kOld, "recovery, loss " + std::to_string(loss) + " at call " + std::to_string(call));
        }
    }
#endif
}

// A child commits generation after generation and is killed at random moments; every time, the file
// it leaves is opened (and rolled back) as one whole generation.
TEST(QorFileTransCrash, KilledWritersLeaveOneWholeGeneration)
{
    std::string path = PathOf("killed.db");
    std::remove(path.c_str());
    unsigned seed = 12345;
    for (int round = 0; round < 12; ++round) {
        qor::test::ChildProcess worker("qor_trans_worker", {"run", path, std::to_string(round + 1)});
        ASSERT_TRUE(worker.Started());
        seed = seed * 1103515245u + 12345u;
        std::this_thread::sleep_for(std::chrono::milliseconds(20 + (seed >> 8) % 120));
        worker.Kill();
        EXPECT_EQ(0, qor::test::RunChild("qor_trans_worker", {"check", path})) << "round " << round;
    }
    // A commit stopped after writing its new bytes leaves a journal that the next opening rolls back.
    EXPECT_EQ(3, qor::test::RunChild("qor_trans_worker", {"interrupt", path}));
    EXPECT_TRUE(std::ifstream(PathOf("killed.qrn")).good());
    EXPECT_EQ(0, qor::test::RunChild("qor_trans_worker", {"check", path}));
    EXPECT_FALSE(std::ifstream(PathOf("killed.qrn")).good());
}
