// trans_commit.cpp: the latency of committing a change to a 20 MB file with CQorFileTrans, against
// SQLite (rollback journal, synchronous=FULL) making the same change to the same 20 MB held as 4 KB
// rows, and against the bare protocol written directly with POSIX calls (journal of the old bytes,
// flush, header, flush, new bytes, flush, delete): the three flushes are the floor. Cases: one 4 KB
// range, ten random 4 KB ranges, 1 MB. All files in one folder (argument, default the current one),
// so all three meet the same disk in the same run. Prints median milliseconds per commit.
#include "QorFileTrans.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const uint32_t kFileSize = 20u << 20, kPage = 4096, kPages = kFileSize / kPage;
const int kRepetitions = 15;

struct Change {
    const char *name;
    std::vector<std::pair<uint32_t, uint32_t>> ranges; // offset, length; redrawn per commit
};

std::mt19937 g_random(20261206);

Change Draw(int kind)
{
    std::uniform_int_distribution<uint32_t> page(0, kPages - 256);
    if (kind == 0)
        return {"one 4 KB range", {{page(g_random) * kPage, kPage}}};
    if (kind == 1) {
        Change change{"ten random 4 KB ranges", {}};
        while (change.ranges.size() < 10)
            change.ranges.push_back({page(g_random) * kPage, kPage});
        return change;
    }
    return {"1 MB", {{page(g_random) * kPage, 256 * kPage}}};
}

std::string g_fill(1 << 20, 'n');

double Median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

double TimeMs(const std::function<bool()> &commit)
{
    auto start = std::chrono::steady_clock::now();
    if (!commit()) {
        std::fprintf(stderr, "trans_commit: a commit failed\n");
        std::exit(1);
    }
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

bool CommitTrans(CQorFileTrans &file, const Change &change)
{
    if (FAILED(file.BeginTrans()))
        return false;
    for (auto [offset, length] : change.ranges) {
        DWORD done = 0;
        if (FAILED(file.Seek((LONG)offset, FILE_BEGIN)) || FAILED(file.Write(g_fill.data(), length, &done)))
            return false;
    }
    return SUCCEEDED(file.CommitTrans());
}

bool PutAll(int fd, const void *bytes, size_t count, off_t at)
{
    return pwrite(fd, bytes, count, at) == (ssize_t)count;
}

// The protocol itself, with nothing around it.
bool CommitBare(int data, const std::string &journalPath, const Change &change)
{
    int journal = open(journalPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::string old(1 << 20, '\0');
    uint32_t header[4] = {16, kFileSize, 0, 1 << 20};
    bool ok = journal >= 0 && PutAll(journal, header, 16, 0);
    off_t at = 16;
    for (auto [offset, length] : change.ranges) {
        uint32_t head[2] = {offset, length};
        ok = ok && pread(data, &old[0], length, offset) == (ssize_t)length && PutAll(journal, head, 8, at) &&
             PutAll(journal, old.data(), length, at + 8);
        at += 8 + length;
    }
    header[2] = (uint32_t)at;
    ok = ok && fsync(journal) == 0 && PutAll(journal, header, 16, 0) && fsync(journal) == 0 && close(journal) == 0;
    for (auto [offset, length] : change.ranges)
        ok = ok && PutAll(data, g_fill.data(), length, offset);
    return ok && fsync(data) == 0 && unlink(journalPath.c_str()) == 0;
}

bool Exec(sqlite3 *db, const char *sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

sqlite3 *MakeDatabase(const std::string &path)
{
    unlink(path.c_str());
    sqlite3 *db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK ||
        !Exec(db, "PRAGMA page_size=8192; PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL;"
                  "CREATE TABLE pages(id INTEGER PRIMARY KEY, bytes BLOB); BEGIN"))
        return nullptr;
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO pages VALUES(?, ?)", -1, &insert, nullptr);
    std::string page(kPage, 'o');
    for (uint32_t i = 0; i < kPages; ++i) {
        sqlite3_bind_int(insert, 1, (int)i);
        sqlite3_bind_blob(insert, 2, page.data(), kPage, SQLITE_STATIC);
        if (sqlite3_step(insert) != SQLITE_DONE)
            return nullptr;
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    return Exec(db, "COMMIT") ? db : nullptr;
}

// The same bytes as rows of 4 KB: a range becomes the rows it covers.
bool CommitSqlite(sqlite3 *db, sqlite3_stmt *update, const Change &change)
{
    if (!Exec(db, "BEGIN"))
        return false;
    for (auto [offset, length] : change.ranges)
        for (uint32_t page = offset / kPage; page < (offset + length) / kPage; ++page) {
            sqlite3_bind_blob(update, 1, g_fill.data(), kPage, SQLITE_STATIC);
            sqlite3_bind_int(update, 2, (int)page);
            if (sqlite3_step(update) != SQLITE_DONE)
                return false;
            sqlite3_reset(update);
        }
    return Exec(db, "COMMIT");
}

} // namespace

int main(int argc, char **argv)
{
    std::string folder = argc > 1 ? std::string(argv[1]) + "/" : "";
    std::string dataPath = folder + "trans_bench.db", barePath = folder + "trans_bare.db";
    for (const std::string &path : {dataPath, barePath}) {
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::string block(1 << 20, 'o');
        for (uint32_t i = 0; fd >= 0 && i < kFileSize / block.size(); ++i)
            (void)!write(fd, block.data(), block.size());
        if (fd < 0 || fsync(fd) != 0 || close(fd) != 0)
            return 1;
    }
    sqlite3 *db = MakeDatabase(folder + "trans_bench.sqlite");
    CQorFileTrans file;
    int bare = open(barePath.c_str(), O_RDWR);
    if (db == nullptr || bare < 0 || FAILED(file.Open(dataPath.c_str())))
        return 1;
    sqlite3_stmt *update = nullptr;
    sqlite3_prepare_v2(db, "UPDATE pages SET bytes = ? WHERE id = ?", -1, &update, nullptr);
    std::printf("%-24s %10s %10s %10s %12s %12s\n", "change", "trans ms", "bare ms", "sqlite ms", "trans/bare",
                "trans/sqlite");
    for (int kind = 0; kind < 3; ++kind) {
        std::vector<double> trans, floor, sqlite;
        for (int i = 0; i < kRepetitions; ++i) {
            Change change = Draw(kind);
            trans.push_back(TimeMs([&] { return CommitTrans(file, change); }));
            floor.push_back(TimeMs([&] { return CommitBare(bare, barePath + ".qrn", change); }));
            sqlite.push_back(TimeMs([&] { return CommitSqlite(db, update, change); }));
        }
        double t = Median(trans), b = Median(floor), s = Median(sqlite);
        std::printf("%-24s %10.2f %10.2f %10.2f %12.2f %12.2f\n", Draw(kind).name, t, b, s, t / b, t / s);
    }
    sqlite3_finalize(update);
    sqlite3_close(db);
    close(bare);
    file.Close(true);
    for (const std::string &path : {dataPath, barePath, folder + "trans_bench.sqlite"})
        unlink(path.c_str());
    return 0;
}
