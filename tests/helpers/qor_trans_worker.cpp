// qor_trans_worker: changes a transactional file for crash tests. Generation g of the file holds g in its first
// four bytes, then bytes of position and g, growing with g, so that a mix of two generations shows.
//   run PATH SEED [N] commits N generations (else until killed) as scattered, overlapping writes
//   interrupt PATH    exits (3) in a commit once the journal and the new bytes are written, before the flush
//   check PATH        opens (rolling back) and exits 0 for a whole generation, 1 for a mix, 2 when opening fails
#include "QorFileTrans.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Generation(DWORD g)
{
    std::string bytes(g == 0 ? 0 : 2048 + std::min<DWORD>(g, 40) * 64, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = (char)(i < 4 ? g >> (8 * i) : (i * 31 + g * 7) % 251);
    return bytes;
}

DWORD GenerationOf(CQorFileTrans &file, std::string &bytes)
{
    bytes.assign(file.GetSize(nullptr), '\0');
    DWORD done = 0, generation = 0; // both builds run on little-endian machines
    if (bytes.size() >= 4 && SUCCEEDED(file.Seek(0, FILE_BEGIN)) && SUCCEEDED(file.Read(&bytes[0], (DWORD)bytes.size(), &done)))
        memcpy(&generation, bytes.data(), 4);
    return generation;
}

class InterruptedFile : public CQorFileTrans {
public:
    HRESULT Flush() override { return m_bInTrans ? (std::_Exit(3), E_FAIL) : CQorFileTrans::Flush(); }
};

unsigned g_random = 1;
unsigned Random(unsigned below) { return ((g_random = g_random * 1103515245u + 12345u) >> 8) % below; }

// The whole of `content` in pieces of random length, in random order, with random overlapping rewrites.
bool WriteScattered(CQorFileTrans &file, const std::string &content)
{
    DWORD size = (DWORD)content.size();
    std::vector<std::pair<DWORD, DWORD>> pieces;
    for (DWORD at = 0; at < size; at += pieces.back().second)
        pieces.push_back({at, std::min<DWORD>(1 + Random(400), size - at)});
    for (int extra = Random(6); extra > 0; --extra)
        pieces.push_back({Random(size), 1 + Random(700)});
    for (size_t i = pieces.size(); i > 1; --i)
        std::swap(pieces[i - 1], pieces[Random((unsigned)i)]);
    DWORD done = 0;
    for (const auto &piece : pieces)
        if (FAILED(file.Seek((LONG)piece.first, FILE_BEGIN)) ||
            FAILED(file.Write(content.data() + piece.first, std::min(piece.second, size - piece.first), &done)))
            return false;
    return true;
}

bool CommitNext(CQorFileTrans &file, const char *path)
{
    std::string bytes;
    return SUCCEEDED(file.Open(path, OPEN_ALWAYS)) && SUCCEEDED(file.BeginTrans()) &&
           WriteScattered(file, Generation(GenerationOf(file, bytes) + 1)) && SUCCEEDED(file.CommitTrans());
}

} // namespace

int main(int argc, char **argv)
{
    std::string mode = argc >= 3 ? argv[1] : "";
    if (mode == "check") {
        CQorFileTrans file;
        std::string bytes;
        return FAILED(file.Open(argv[2], OPEN_ALWAYS)) ? 2 : bytes == Generation(GenerationOf(file, bytes)) ? 0 : 1;
    }
    if (mode == "interrupt") {
        InterruptedFile file;
        return CommitNext(file, argv[2]) ? 0 : 2;
    }
    if (mode == "run" && argc >= 4) {
        g_random = (unsigned)std::strtoul(argv[3], nullptr, 0);
        for (long round = argc == 5 ? std::strtol(argv[4], nullptr, 0) : 1000000; round > 0; --round)
            if (CQorFileTrans file; !CommitNext(file, argv[2]))
                return 2;
        return 0;
    }
    return 100;
}
