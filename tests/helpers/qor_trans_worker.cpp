// qor_trans_worker: a child that changes a transactional file for crash tests. The file always holds
// generation g's content (empty for 0): g in its first four bytes, then bytes that depend on the
// position and g, its size growing with g, so any mix of two generations shows.
//   run PATH SEED [N]   commits generation after generation (N of them, else until killed), each as
//                       scattered, overlapping writes in random order, reopening (and recovering) each time
//   interrupt PATH      commits one generation but stops the process once the journal is complete
//                       and the new bytes are written, before they are flushed
//   check PATH          opens the file as a user would (rolling back a journal) and prints its
//                       generation; exit 1 when the content is no generation's, 2 when opening fails
#include "QorFileTrans.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Generation(DWORD g)
{
    if (g == 0)
        return {};
    std::string bytes(2048 + std::min<DWORD>(g, 40) * 64, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = (char)((i * 31 + g * 7) % 251);
    for (int i = 0; i < 4; ++i)
        bytes[i] = (char)(g >> (8 * i));
    return bytes;
}

std::string ReadWhole(CQorFileTrans &file)
{
    std::string bytes(file.GetSize(nullptr), '\0');
    DWORD done = 0;
    if (bytes.empty() || FAILED(file.Seek(0, FILE_BEGIN)) || FAILED(file.Read(&bytes[0], (DWORD)bytes.size(), &done)))
        return {};
    return bytes.substr(0, done);
}

DWORD GenerationOf(const std::string &bytes)
{
    if (bytes.size() < 4)
        return 0;
    DWORD g = 0;
    for (int i = 0; i < 4; ++i)
        g |= (DWORD)(unsigned char)bytes[i] << (8 * i);
    return g;
}

// Stops the process between writing the new bytes and flushing them: the journal is complete.
class InterruptedFile : public CQorFileTrans {
public:
    HRESULT Flush() override
    {
        if (m_bInTrans)
            std::_Exit(3);
        return CQorFileTrans::Flush();
    }
};

unsigned g_random = 1;
unsigned Random(unsigned below)
{
    g_random = g_random * 1103515245u + 12345u;
    return (g_random >> 8) % below;
}

// The whole of `content` in pieces of random length, in random order, with random overlapping rewrites.
bool WriteScattered(CQorFileTrans &file, const std::string &content)
{
    std::vector<std::pair<DWORD, DWORD>> pieces;
    for (DWORD at = 0; at < content.size();) {
        DWORD length = std::min<DWORD>(1 + Random(400), (DWORD)content.size() - at);
        pieces.push_back({at, length});
        at += length;
    }
    for (int extra = Random(6); extra > 0; --extra) {
        DWORD at = Random((DWORD)content.size());
        pieces.push_back({at, std::min<DWORD>(1 + Random(700), (DWORD)content.size() - at)});
    }
    for (size_t i = pieces.size(); i > 1; --i)
        std::swap(pieces[i - 1], pieces[Random((unsigned)i)]);
    for (const auto &piece : pieces) {
        DWORD done = 0;
        if (FAILED(file.Seek((LONG)piece.first, FILE_BEGIN)) ||
            FAILED(file.Write(content.data() + piece.first, piece.second, &done)))
            return false;
    }
    return true;
}

bool CommitNext(CQorFileTrans &file, const char *path)
{
    if (FAILED(file.Open(path, OPEN_ALWAYS)))
        return false;
    DWORD next = GenerationOf(ReadWhole(file)) + 1;
    return SUCCEEDED(file.BeginTrans()) && WriteScattered(file, Generation(next)) && SUCCEEDED(file.CommitTrans());
}

int Check(const char *path)
{
    CQorFileTrans file;
    if (FAILED(file.Open(path, OPEN_ALWAYS)))
        return 2;
    std::string bytes = ReadWhole(file);
    DWORD g = GenerationOf(bytes);
    printf("%lu\n", (unsigned long)g);
    return bytes == Generation(g) ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    std::string mode = argc >= 3 ? argv[1] : "";
    if (mode == "check")
        return Check(argv[2]);
    if (mode == "interrupt") {
        InterruptedFile file;
        return CommitNext(file, argv[2]) ? 0 : 2;
    }
    if (mode == "run" && argc >= 4) {
        g_random = (unsigned)std::strtoul(argv[3], nullptr, 0);
        long rounds = argc == 5 ? std::strtol(argv[4], nullptr, 0) : 1000000;
        for (long round = 0; round < rounds; ++round) {
            CQorFileTrans file;
            if (!CommitNext(file, argv[2]))
                return 2;
        }
        return 0;
    }
    fprintf(stderr, "usage: qor_trans_worker run PATH SEED [N] | interrupt PATH | check PATH\n");
    return 100;
}
