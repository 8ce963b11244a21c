/* zlib_floor.c: the floor of the ZIP benchmark (bench/zip_corpus.py): the least a program must do to create
 * and extract a deflated ZIP archive of a folder, written directly over zlib and POSIX calls, with a chosen
 * buffer size for every read, write and zlib call:
 *   zlib_floor create ARCHIVE FOLDER BUFFER   every file under FOLDER at level 6, local headers, central
 *                                             directory and end record; no folders, no extra fields
 *   zlib_floor extract ARCHIVE FOLDER BUFFER  every member into FOLDER with its modification time, CRC checked
 * With BUFFER 4096 it is the floor of the library's engines, whose storages move data in 4096-byte buffers;
 * with a larger one it shows what that size costs. It reads only the archives it writes itself. */
#define _XOPEN_SOURCE 700
#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <zlib.h>

static size_t g_buffer;
static int g_archive;
static size_t g_rootLength;
static unsigned char *g_central;
static size_t g_centralSize, g_centralCapacity;
static unsigned g_count;

static int Fail(const char *what, const char *name)
{
    fprintf(stderr, "zlib_floor: %s %s: %s\n", what, name, strerror(errno));
    return 1;
}

static void Put16(unsigned char *at, unsigned value) { at[0] = (unsigned char)value, at[1] = (unsigned char)(value >> 8); }
static void Put32(unsigned char *at, uint32_t value) { Put16(at, value & 0xFFFF), Put16(at + 2, value >> 16); }
static unsigned Get16(const unsigned char *at) { return at[0] | at[1] << 8; }
static uint32_t Get32(const unsigned char *at) { return Get16(at) | (uint32_t)Get16(at + 2) << 16; }

static int WriteAll(int fd, const void *bytes, size_t count)
{
    for (const char *at = bytes; count > 0;) {
        ssize_t done = write(fd, at, count);
        if (done <= 0)
            return -1;
        at += done, count -= (size_t)done;
    }
    return 0;
}

static uint32_t DosTime(time_t when)
{
    struct tm local;
    localtime_r(&when, &local);
    return (uint32_t)(local.tm_year - 80) << 25 | (uint32_t)(local.tm_mon + 1) << 21 | (uint32_t)local.tm_mday << 16 |
           (uint32_t)local.tm_hour << 11 | (uint32_t)local.tm_min << 5 | (uint32_t)local.tm_sec / 2;
}

/* The fields that local header and central record share, from the version needed to the name length. */
static void CommonFields(unsigned char *at, uint32_t dos, uint32_t crc, uint32_t packed, uint32_t size, size_t name)
{
    Put16(at, 20), Put16(at + 2, 0), Put16(at + 4, 8), Put32(at + 6, dos);
    Put32(at + 10, crc), Put32(at + 14, packed), Put32(at + 18, size), Put16(at + 22, (unsigned)name);
}

/* Deflates the file in buffer-sized steps and writes its local header after the data, as the library does. */
static int AddFile(const char *path, const struct stat *info, int kind, struct FTW *where)
{
    (void)where;
    if (kind != FTW_F)
        return 0;
    const char *name = path + g_rootLength + 1;
    size_t nameLength = strlen(name);
    int input = open(path, O_RDONLY);
    if (input < 0)
        return Fail("cannot read", path);
    off_t header = lseek(g_archive, 0, SEEK_CUR);
    lseek(g_archive, header + 30 + (off_t)nameLength, SEEK_SET);
    unsigned char *in = malloc(g_buffer), *out = malloc(g_buffer);
    z_stream stream = {0};
    deflateInit2(&stream, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    uint32_t crc = 0, size = 0, packed = 0;
    int flush = Z_NO_FLUSH, status = Z_OK;
    while (status != Z_STREAM_END) {
        if (stream.avail_in == 0 && flush == Z_NO_FLUSH) {
            ssize_t got = read(input, in, g_buffer);
            if (got <= 0)
                flush = Z_FINISH;
            else
                crc = (uint32_t)crc32(crc, in, (uInt)got), size += (uint32_t)got;
            stream.next_in = in, stream.avail_in = got > 0 ? (uInt)got : 0;
        }
        stream.next_out = out, stream.avail_out = (uInt)g_buffer;
        status = deflate(&stream, flush);
        size_t produced = g_buffer - stream.avail_out;
        packed += (uint32_t)produced;
        if (WriteAll(g_archive, out, produced) != 0)
            return Fail("cannot write", name);
    }
    deflateEnd(&stream), free(in), free(out), close(input);
    off_t end = lseek(g_archive, 0, SEEK_CUR);
    unsigned char local[30];
    uint32_t dos = DosTime(info->st_mtime);
    Put32(local, 0x04034b50), CommonFields(local + 4, dos, crc, packed, size, nameLength), Put16(local + 28, 0);
    if (pwrite(g_archive, local, 30, header) != 30 || pwrite(g_archive, name, nameLength, header + 30) != (ssize_t)nameLength)
        return Fail("cannot write", name);
    lseek(g_archive, end, SEEK_SET);
    if (g_centralSize + 46 + nameLength > g_centralCapacity) {
        g_centralCapacity = 2 * (g_centralCapacity + 46 + nameLength);
        g_central = realloc(g_central, g_centralCapacity);
    }
    unsigned char *record = g_central + g_centralSize;
    memset(record, 0, 46);
    Put32(record, 0x02014b50), Put16(record + 4, 20), CommonFields(record + 6, dos, crc, packed, size, nameLength);
    Put32(record + 42, (uint32_t)header), memcpy(record + 46, name, nameLength);
    g_centralSize += 46 + nameLength, ++g_count;
    return 0;
}

static int Create(const char *archive, const char *folder)
{
    g_archive = open(archive, O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (g_archive < 0)
        return Fail("cannot create", archive);
    g_rootLength = strlen(folder);
    if (nftw(folder, AddFile, 64, FTW_PHYS) != 0)
        return 1;
    off_t central = lseek(g_archive, 0, SEEK_CUR);
    unsigned char end[22] = {0};
    Put32(end, 0x06054b50), Put16(end + 8, g_count), Put16(end + 10, g_count);
    Put32(end + 12, (uint32_t)g_centralSize), Put32(end + 16, (uint32_t)central);
    if (WriteAll(g_archive, g_central, g_centralSize) != 0 || WriteAll(g_archive, end, 22) != 0)
        return Fail("cannot write", archive);
    return close(g_archive) != 0;
}

static void MakeParents(char *path)
{
    for (char *slash = strchr(path, '/'); slash != NULL; slash = strchr(slash + 1, '/')) {
        *slash = '\0';
        mkdir(path, 0777);
        *slash = '/';
    }
}

static time_t UnixTime(uint32_t dos)
{
    struct tm local = {.tm_year = (int)(dos >> 25) + 80, .tm_mon = (int)(dos >> 21 & 15) - 1, .tm_mday = (int)(dos >> 16 & 31),
                       .tm_hour = (int)(dos >> 11 & 31), .tm_min = (int)(dos >> 5 & 63), .tm_sec = (int)(dos & 31) * 2,
                       .tm_isdst = -1};
    return mktime(&local);
}

/* Inflates one member at `offset` (its local header) into `path`. */
static int ExtractMember(const unsigned char *record, char *path, unsigned char *in, unsigned char *out)
{
    unsigned char local[30];
    off_t offset = Get32(record + 42);
    if (pread(g_archive, local, 30, offset) != 30)
        return Fail("cannot read", path);
    lseek(g_archive, offset + 30 + Get16(local + 26) + Get16(local + 28), SEEK_SET);
    MakeParents(path);
    int output = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (output < 0)
        return Fail("cannot create", path);
    z_stream stream = {0};
    inflateInit2(&stream, -15);
    uint32_t crc = 0, left = Get32(record + 20);
    int status = Z_OK;
    while (status == Z_OK) {
        if (stream.avail_in == 0 && left > 0) {
            ssize_t got = read(g_archive, in, left < g_buffer ? left : g_buffer);
            if (got <= 0)
                break;
            stream.next_in = in, stream.avail_in = (uInt)got, left -= (uint32_t)got;
        }
        stream.next_out = out, stream.avail_out = (uInt)g_buffer;
        status = inflate(&stream, Z_NO_FLUSH);
        size_t produced = g_buffer - stream.avail_out;
        crc = (uint32_t)crc32(crc, out, (uInt)produced);
        if (WriteAll(output, out, produced) != 0)
            return Fail("cannot write", path);
        if (produced == 0 && status == Z_BUF_ERROR)
            break;
    }
    inflateEnd(&stream);
    struct timespec times[2] = {{0, UTIME_OMIT}, {UnixTime(Get32(record + 12)), 0}};
    futimens(output, times);
    close(output);
    if (crc != Get32(record + 16)) {
        fprintf(stderr, "zlib_floor: CRC mismatch in %s\n", path);
        return 1;
    }
    return 0;
}

static int Extract(const char *archive, const char *folder)
{
    g_archive = open(archive, O_RDONLY);
    struct stat info;
    unsigned char end[22];
    if (g_archive < 0 || fstat(g_archive, &info) != 0 || info.st_size < 22 || pread(g_archive, end, 22, info.st_size - 22) != 22)
        return Fail("cannot read", archive);
    size_t centralSize = Get32(end + 12);
    unsigned char *central = malloc(centralSize);
    if (pread(g_archive, central, centralSize, Get32(end + 16)) != (ssize_t)centralSize)
        return Fail("cannot read", archive);
    unsigned char *in = malloc(g_buffer), *out = malloc(g_buffer);
    char path[4096];
    for (const unsigned char *record = central; record + 46 <= central + centralSize;
         record += 46 + Get16(record + 28) + Get16(record + 30) + Get16(record + 32)) {
        snprintf(path, sizeof path, "%s/%.*s", folder, (int)Get16(record + 28), (const char *)record + 46);
        if (ExtractMember(record, path, in, out) != 0)
            return 1;
    }
    return 0;
}

int main(int argc, char **argv)
{
    if (argc != 5 || (strcmp(argv[1], "create") != 0 && strcmp(argv[1], "extract") != 0) || atol(argv[4]) < 512) {
        fprintf(stderr, "usage: zlib_floor create|extract ARCHIVE FOLDER BUFFER (bytes, at least 512)\n");
        return 2;
    }
    g_buffer = (size_t)atol(argv[4]);
    return strcmp(argv[1], "create") == 0 ? Create(argv[2], argv[3]) : Extract(argv[2], argv[3]);
}
