/* libzip_driver.c: the libzip peer of the ZIP benchmark (bench/zip_corpus.sh), a small program over
 * Debian's libzip-dev doing what a C programmer would write with that library:
 *   libzip_driver create ARCHIVE FOLDER   every file and folder under FOLDER, deflate level 6
 *   libzip_driver extract ARCHIVE FOLDER  every member into FOLDER, with its modification time
 * Names in the archive are relative to FOLDER, as `zip -r` run inside it writes them. */
#define _XOPEN_SOURCE 700
#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

static zip_t *g_archive;
static size_t g_rootLength;

static int Fail(const char *what, const char *name)
{
    fprintf(stderr, "libzip_driver: %s %s: %s\n", what, name, g_archive ? zip_strerror(g_archive) : strerror(errno));
    return 1;
}

static int AddEntry(const char *path, const struct stat *info, int kind, struct FTW *where)
{
    (void)info;
    (void)where;
    if (strlen(path) <= g_rootLength)
        return 0; /* the folder itself */
    const char *name = path + g_rootLength + 1;
    if (kind == FTW_D)
        return zip_dir_add(g_archive, name, ZIP_FL_ENC_UTF_8) < 0 ? Fail("cannot add folder", name) : 0;
    if (kind != FTW_F)
        return 0;
    zip_source_t *source = zip_source_file(g_archive, path, 0, -1);
    if (source == NULL)
        return Fail("cannot read", path);
    zip_int64_t index = zip_file_add(g_archive, name, source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        return Fail("cannot add", name);
    }
    return zip_set_file_compression(g_archive, (zip_uint64_t)index, ZIP_CM_DEFLATE, 6) < 0 ? Fail("level", name) : 0;
}

static int Create(const char *archive, const char *folder)
{
    int error = 0;
    g_archive = zip_open(archive, ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (g_archive == NULL) {
        fprintf(stderr, "libzip_driver: cannot create %s (libzip error %d)\n", archive, error);
        return 1;
    }
    g_rootLength = strlen(folder);
    if (nftw(folder, AddEntry, 64, FTW_PHYS) != 0) {
        zip_discard(g_archive);
        return 1;
    }
    return zip_close(g_archive) < 0 ? Fail("cannot write", archive) : 0;
}

/* Makes every folder on the way to path (path itself too when it ends in '/'). */
static void MakeParents(char *path)
{
    for (char *slash = strchr(path + 1, '/'); slash != NULL; slash = strchr(slash + 1, '/')) {
        *slash = '\0';
        mkdir(path, 0755);
        *slash = '/';
    }
}

static int ExtractMember(zip_uint64_t index, const char *folder)
{
    zip_stat_t details;
    if (zip_stat_index(g_archive, index, 0, &details) < 0)
        return Fail("cannot read entry of", "archive");
    char path[4096];
    snprintf(path, sizeof path, "%s/%s", folder, details.name);
    MakeParents(path);
    if (details.name[strlen(details.name) - 1] == '/')
        return 0;
    zip_file_t *member = zip_fopen_index(g_archive, index, 0);
    int out = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (member == NULL || out < 0)
        return Fail("cannot extract", details.name);
    char chunk[65536];
    zip_int64_t got;
    while ((got = zip_fread(member, chunk, sizeof chunk)) > 0)
        if (write(out, chunk, (size_t)got) != got)
            return Fail("cannot write", path);
    zip_fclose(member);
    close(out);
    if (got < 0)
        return Fail("damaged member", details.name);
    struct timespec times[2] = {{details.mtime, 0}, {details.mtime, 0}};
    return utimensat(AT_FDCWD, path, times, 0) != 0 ? Fail("cannot set the time of", path) : 0;
}

static int Extract(const char *archive, const char *folder)
{
    int error = 0;
    g_archive = zip_open(archive, ZIP_RDONLY, &error);
    if (g_archive == NULL) {
        fprintf(stderr, "libzip_driver: cannot open %s (libzip error %d)\n", archive, error);
        return 1;
    }
    mkdir(folder, 0755);
    zip_int64_t count = zip_get_num_entries(g_archive, 0);
    for (zip_int64_t index = 0; index < count; ++index)
        if (ExtractMember((zip_uint64_t)index, folder) != 0)
            return 1;
    zip_discard(g_archive);
    return 0;
}

int main(int argc, char **argv)
{
    if (argc == 4 && strcmp(argv[1], "create") == 0)
        return Create(argv[2], argv[3]);
    if (argc == 4 && strcmp(argv[1], "extract") == 0)
        return Extract(argv[2], argv[3]);
    fprintf(stderr, "usage: libzip_driver create|extract ARCHIVE FOLDER\n");
    return 2;
}
