// log_throughput.cpp: lines per second that 1 and 4 processes append to one shared log through
// CQorFileLog, against the floor of that work: the same line written by a bare flock + write loop,
// measured in the same run on the same disk. POSIX only (the peer is flock).
// Usage: log_throughput [FOLDER] [LINES]   (default: $TMPDIR or /tmp, 20000 lines per run)
#include "QorFileLog.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The line that CQorFileLog writes for code 0x80004005 and the texts "bench", "line".
const char kPeerLine[] = "[12/05/26 12:00:00] 80004005\tbench\tline\t \t \r\n";

void AppendWithLibrary(const std::string &path, int lines)
{
    CQorFileLog log;
    if (FAILED(log.Open(path.c_str())))
        std::_Exit(2);
    for (int i = 0; i < lines; ++i)
        log.Log(E_FAIL, "bench", "line", nullptr, nullptr);
}

void AppendWithFlock(const std::string &path, int lines)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd < 0)
        std::_Exit(2);
    for (int i = 0; i < lines; ++i) {
        flock(fd, LOCK_EX);
        if (write(fd, kPeerLine, sizeof kPeerLine - 1) < 0)
            std::_Exit(3);
        flock(fd, LOCK_UN);
    }
    close(fd);
}

long CountLines(const std::string &path)
{
    FILE *file = std::fopen(path.c_str(), "rb");
    long count = 0;
    for (int c; file != nullptr && (c = std::fgetc(file)) != EOF;)
        count += c == '\n';
    if (file != nullptr)
        std::fclose(file);
    return count;
}

// Lines per second of `processes` children sharing `totalLines`, each appending through `append`.
double LinesPerSecond(void (*append)(const std::string &, int), const std::string &path, int processes, int totalLines)
{
    std::remove(path.c_str());
    auto start = std::chrono::steady_clock::now();
    for (int child = 0; child < processes; ++child) {
        pid_t pid = fork();
        if (pid == 0) {
            append(path, totalLines / processes);
            std::_Exit(0);
        }
    }
    int failures = 0;
    for (int status = 0; wait(&status) > 0;)
        failures += !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    long written = CountLines(path);
    std::remove(path.c_str());
    if (failures != 0 || written != (totalLines / processes) * processes) {
        std::fprintf(stderr, "log_throughput: %d failed children, %ld of %d lines\n", failures, written, totalLines);
        std::exit(1);
    }
    return written / elapsed.count();
}

} // namespace

int main(int argc, char **argv)
{
    const char *tmp = std::getenv("TMPDIR");
    std::string folder = argc > 1 ? argv[1] : (tmp != nullptr && *tmp ? tmp : "/tmp");
    int lines = argc > 2 ? std::atoi(argv[2]) : 20000;
    std::string path = folder + "/qor-log-throughput.txt";
    std::printf("%-11s %14s %16s %7s\n", "processes", "CQorFileLog/s", "flock+write/s", "ratio");
    for (int processes : {1, 4}) {
        double library = LinesPerSecond(AppendWithLibrary, path, processes, lines);
        double peer = LinesPerSecond(AppendWithFlock, path, processes, lines);
        std::printf("%-11d %14.0f %16.0f %7.2f\n", processes, library, peer, peer / library);
    }
    return 0;
}
