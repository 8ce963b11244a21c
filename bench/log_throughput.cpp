// log_throughput.cpp: lines per second that 1 and 4 processes append to one shared log through
// CQorFileLog, against the fair floor of that work (the same line built and written by hand under a
// robust process-shared mutex, as the library must) and against a bare flock + write loop, measured
// in the same run on the same disk. POSIX only.
// Usage: log_throughput [FOLDER] [LINES] [library|floor|flock]   (default: $TMPDIR or /tmp, 20000
// lines per run, all three). Naming one runs only that writer, with 1 and 4 processes: a profile of it
// then holds nothing else.
#include "QorFileLog.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/resource.h>
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

// The floor's cross-process lock, in memory that the children inherit.
pthread_mutex_t *s_floorMutex = nullptr;

void MakeFloorMutex()
{
    void *memory = mmap(nullptr, sizeof(pthread_mutex_t), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        std::exit(2);
    s_floorMutex = static_cast<pthread_mutex_t *>(memory);
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED);
    pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST);
    pthread_mutex_init(s_floorMutex, &attributes);
}

// The work a line needs, done by hand: the robust mutex, a seek to the end, the stamp from one
// localtime_r, and the line's pieces in as many writes as the library makes.
void AppendWithFloor(const std::string &path, int lines)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT, 0644);
    if (fd < 0)
        std::_Exit(2);
    for (int i = 0; i < lines; ++i) {
        if (pthread_mutex_lock(s_floorMutex) == EOWNERDEAD)
            pthread_mutex_consistent(s_floorMutex);
        lseek(fd, 0, SEEK_END);
        std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        char stamp[32], code[16];
        std::snprintf(stamp, sizeof stamp, "[%02d/%02d/%02d %02d:%02d:%02d] ", local.tm_mon + 1, local.tm_mday,
                      local.tm_year % 100, local.tm_hour, local.tm_min, local.tm_sec);
        std::snprintf(code, sizeof code, "%X", 0x80004005u);
        for (const char *piece : {(const char *)stamp, (const char *)code, "\t", "bench", "\t", "line", "\t", " ",
                                  "\t", " ", "\r\n"})
            if (write(fd, piece, std::strlen(piece)) < 0)
                std::_Exit(3);
        pthread_mutex_unlock(s_floorMutex);
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

// The CPU time (user and system) that the ended children have used so far.
double ChildrenCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Rate {
    double perSecond;    // lines per second of wall time
    double perCpuSecond; // lines per second of the children's CPU time: steady on a busy machine
};

// The rates of `processes` children sharing `totalLines`, each appending through `append`.
Rate LinesPerSecond(void (*append)(const std::string &, int), const std::string &path, int processes, int totalLines)
{
    std::remove(path.c_str());
    const double cpuBefore = ChildrenCpuSeconds();
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
    const double cpu = ChildrenCpuSeconds() - cpuBefore;
    long written = CountLines(path);
    std::remove(path.c_str());
    if (failures != 0 || written != (totalLines / processes) * processes) {
        std::fprintf(stderr, "log_throughput: %d failed children, %ld of %d lines\n", failures, written, totalLines);
        std::exit(1);
    }
    return {written / elapsed.count(), written / cpu};
}

using Writer = void (*)(const std::string &, int);

// The rates of one writer alone, for profiling it.
int RunOne(const std::string &name, const std::string &path, int lines)
{
    Writer writer = name == "library" ? AppendWithLibrary
                    : name == "floor" ? AppendWithFloor
                    : name == "flock" ? AppendWithFlock
                                      : nullptr;
    if (writer == nullptr) {
        std::fprintf(stderr, "log_throughput: the writer is library, floor or flock, not %s\n", name.c_str());
        return 2;
    }
    for (int processes : {1, 4})
        std::printf("%s, %d processes: %.0f lines/s\n", name.c_str(), processes,
                    LinesPerSecond(writer, path, processes, lines).perSecond);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const char *tmp = std::getenv("TMPDIR");
    std::string folder = argc > 1 ? argv[1] : (tmp != nullptr && *tmp ? tmp : "/tmp");
    int lines = argc > 2 ? std::atoi(argv[2]) : 20000;
    std::string path = folder + "/qor-log-throughput.txt";
    MakeFloorMutex();
    if (argc > 3)
        return RunOne(argv[3], path, lines);
    std::printf("%-10s %14s %10s %14s %16s %16s\n", "processes", "CQorFileLog/s", "floor/s", "library/floor",
                "per CPU second", "flock+write/s");
    for (int processes : {1, 4}) {
        Rate library = LinesPerSecond(AppendWithLibrary, path, processes, lines);
        Rate floor = LinesPerSecond(AppendWithFloor, path, processes, lines);
        Rate peer = LinesPerSecond(AppendWithFlock, path, processes, lines);
        std::printf("%-10d %14.0f %10.0f %14.2f %16.2f %16.0f\n", processes, library.perSecond, floor.perSecond,
                    library.perSecond / floor.perSecond, library.perCpuSecond / floor.perCpuSecond, peer.perSecond);
    }
    return 0;
}
