// batch_test.cpp: registry batches of the POSIX store, alone and in `qor reg import`: all or nothing across roots,
// under an abort, a failed call or commit, random kills, and beside another writer. The batch calls and fault
// injection exist only in the POSIX build (Windows has no such batch), so this file compiles there only.
#if !defined(_WIN32)
#include "QorPlatform.h"

#include "QorChildProcess.h"
#include "QorTestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

namespace {

const char kKey[] = "Software\\QorUtilTests\\Batch";
const HKEY kRoots[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};

// The text of value `name` in `kKey` below `root`; "" when it is missing.
std::string Read(HKEY root, const std::string &name)
{
    HKEY key;
    if (RegOpenKeyExA(root, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "";
    char text[64] = "";
    DWORD size = sizeof text - 1;
    RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE *>(text), &size);
    RegCloseKey(key);
    return text;
}

LSTATUS Write(HKEY root, const std::string &name, const std::string &text)
{
    HKEY key;
    LSTATUS status = RegCreateKeyExA(root, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS)
        status = RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                                static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
    return status;
}

class RegistryBatch : public testing::Test {
protected:
    void SetUp() override
    {
        for (HKEY root : kRoots)
            RegDeleteKeyA(root, kKey);
    }
    // `qor reg import FILE`, started as a user starts it; skipped in builds without the tool.
    std::unique_ptr<qor::test::ChildProcess> Import(const std::string &file)
    {
        if (!std::filesystem::exists(qor::test::HelperPath("qor")))
            return nullptr;
        return std::make_unique<qor::test::ChildProcess>("qor", std::vector<std::string>{"reg", "import", file});
    }
    // A file that sets `count` values "v<n>" to `text` in both roots.
    static std::string RegFile(const std::string &name, int count, const std::string &text, const std::string &tail = "")
    {
        std::string body = "REGEDIT4\n";
        for (const char *root : {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"}) {
            body += std::string("[") + root + "\\" + kKey + "]\n";
            for (int n = 0; n < count; ++n)
                body += "\"v" + std::to_string(n) + "\"=\"" + text + "\"\n";
        }
        qor::test::WriteBytes(qor::test::PathOf(name), body + tail);
        return qor::test::PathOf(name);
    }
};

TEST_F(RegistryBatch, AllOrNothingAcrossRoots)
{
    EXPECT_EQ(ERROR_INVALID_STATE, QorRegistryCommitBatch()) << "no batch open";
    // An abort, and a commit that fails, leave nothing of the batch in either root.
    for (bool abort : {true, false}) {
        ASSERT_EQ(ERROR_SUCCESS, QorRegistryBeginBatch());
        EXPECT_EQ(ERROR_INVALID_STATE, QorRegistryBeginBatch()) << "one batch per thread";
        for (HKEY root : kRoots)
            ASSERT_EQ(ERROR_SUCCESS, Write(root, "v", "batched"));
        EXPECT_EQ("batched", Read(HKEY_LOCAL_MACHINE, "v")) << "the batch sees its own changes";
        if (!abort)
            QorInjectFault("QorRegistryCommitBatch", 1, ERROR_DISK_FULL);
        EXPECT_EQ(abort ? ERROR_SUCCESS : ERROR_DISK_FULL, abort ? QorRegistryAbortBatch() : QorRegistryCommitBatch());
        for (HKEY root : kRoots)
            EXPECT_EQ("", Read(root, "v")) << (abort ? "aborted" : "failed commit");
    }
    // A call that fails inside the batch undoes only itself; the rest commits.
    ASSERT_TRUE(QorRegistryBeginBatch() == ERROR_SUCCESS && Write(HKEY_CURRENT_USER, "v", "kept") == ERROR_SUCCESS);
    HKEY child;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kKey) + "\\Child\\Inner").c_str(), 0,
                                             nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr));
    RegCloseKey(child);
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kKey) + "\\Child").c_str()));
    ASSERT_EQ(ERROR_SUCCESS, Write(HKEY_LOCAL_MACHINE, "v", "kept"));
    EXPECT_TRUE(QorRegistryCommitBatch() == ERROR_SUCCESS && Read(HKEY_CURRENT_USER, "v") == "kept" &&
                Read(HKEY_LOCAL_MACHINE, "v") == "kept");
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kKey) + "\\Child\\Inner").c_str()));
    RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kKey) + "\\Child").c_str());
}

// `qor reg import` of 2 x 750 values killed at random moments: every value old, or every value new.
TEST_F(RegistryBatch, KilledImportLeavesAllOrNothing)
{
    const int kValues = 750;
    std::string oldFile = RegFile("old.reg", kValues, "old"), newFile = RegFile("new.reg", kValues, "new");
    auto first = Import(oldFile);
    if (!first)
        GTEST_SKIP() << "built without the qor tool";
    ASSERT_EQ(0, first->Wait());
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(0, Import(newFile)->Wait());
    const auto whole = std::chrono::steady_clock::now() - start;
    std::mt19937 random(std::random_device{}());
    for (int kill = 0; kill < 8; ++kill) {
        ASSERT_EQ(0, Import(oldFile)->Wait());
        auto import = Import(newFile);
        std::this_thread::sleep_for(whole * std::uniform_real_distribution<double>(0.05, 1.0)(random));
        import->Kill();
        const std::string state = Read(HKEY_CURRENT_USER, "v0");
        for (int n = 0; n < kValues; n += 149)
            for (HKEY root : kRoots)
                ASSERT_EQ(state, Read(root, "v" + std::to_string(n))) << "kill " << kill << ", value " << n;
    }
}

// Imports that fail after thousands of values, again and again, beside another process adding
// values to the same key: every value the other process added is still there.
TEST_F(RegistryBatch, FailingImportsKeepOtherProcessesWrites)
{
    std::string failing = RegFile("failing.reg", 1500, "x", "[HKEY_PERFORMANCE_DATA\\Fails]\n");
    auto probe = Import(failing);
    if (!probe)
        GTEST_SKIP() << "built without the qor tool";
    ASSERT_EQ(1, probe->Wait());
    qor::test::ChildProcess writer("qor_registry_writer",
                                   {"write", std::string(kKey) + "\\Shared", "300"});
    while (writer.Running())
        EXPECT_EQ(1, Import(failing)->Wait());
    ASSERT_EQ(0, writer.Wait());
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(kKey) + "\\Shared").c_str(), 0, KEY_READ, &key));
    DWORD values = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    EXPECT_EQ(300u, values);
    EXPECT_EQ("", Read(HKEY_CURRENT_USER, "v0")) << "the failed imports left nothing";
}

} // namespace
#endif
