// ALDeflateCompressor.cpp: raw deflate through zlib. Whole buffers of the input storage go to zlib
// and whole buffers of compressed bytes go back through the output storage, which counts the CRC-32
// of the input as it loads.
#include "ALEngine.h"
#include "ALStorage.h"

#include <new>
#include <zlib.h>

namespace {

struct LevelRow {
    int option;
    const char *name;
};

LevelRow RowForLevel(int level)
{
    if (level == 0)
        return {0, "Stored"};
    if (level == 1)
        return {2, "Deflate Fast"};
    if (level >= 2 && level <= 8)
        return {0, "Deflate Normal"};
    if (level == 9)
        return {1, "Deflate Maximum"};
    return {0, "???"};
}

} // namespace

// Hands the output storage's whole, empty buffer to zlib.
static void ResetOutput(z_stream &stream, unsigned char *buffer, LONG size)
{
    stream.next_out = buffer;
    stream.avail_out = static_cast<uInt>(size);
}

ALDeflateCompressor::ALDeflateCompressor(int level, int windowBits, int memoryLevel)
    : ALCompressor(AL_ENGINE_DEFLATE, RowForLevel(level).name), m_iOption(RowForLevel(level).option),
      m_iLevel(level >= 0 && level <= 9 ? level : -1), m_iWindowBits(windowBits), m_iMemoryLevel(memoryLevel)
{
}

ALCompressor *ALDeflateCompressor::Clone(int type) const
{
    if (type == AL_ENGINE_COPY || type == AL_ENGINE_COPY_ALIAS)
        return new (std::nothrow) ALCopyCompressor;
    if (type != AL_ENGINE_ANY && (type < AL_ENGINE_DEFLATE || type > AL_ENGINE_DEFLATE + 3))
        return nullptr;
    auto *clone = new (std::nothrow) ALDeflateCompressor(m_iLevel, m_iWindowBits, m_iMemoryLevel);
    if (clone != nullptr)
        clone->m_iOption = type == AL_ENGINE_ANY ? 0 : type - AL_ENGINE_DEFLATE;
    return clone;
}

int ALDeflateCompressor::Compress(ALStorage &input, ALStorage &output)
{
    ALTransferScope scope(input, output);
    if (AdoptStorageStatus(input, output) < 0)
        return mStatus;
    input.InitCrc(0xFFFFFFFFu);
    z_stream stream{};
    // The stream is raw deflate: negative window bits leave out zlib's header and trailer.
    int result = deflateInit2(&stream, m_iLevel, Z_DEFLATED, -m_iWindowBits, m_iMemoryLevel, Z_DEFAULT_STRATEGY);
    if (result != Z_OK) {
        deflateEnd(&stream);
        return mStatus.SetError(AL_NO_ENGINE, "Error creating deflate engine. ZLIB returned %d\n", result);
    }
    output.FlushBuffer();
    ResetOutput(stream, output.m_pBuffer, output.m_lBufferSize);
    do {
        if (stream.avail_in == 0) {
            if (input.m_lReadIndex >= input.m_lBytesInBuffer && input.LoadBuffer(input.m_lFilePosition) < 0)
                return FinishStream(&stream, output) < 0 ? mStatus.GetStatusCode() : AdoptStorageStatus(input, output);
            stream.next_in = input.m_pBuffer + input.m_lReadIndex;
            stream.avail_in = static_cast<uInt>(input.m_lBytesInBuffer - input.m_lReadIndex);
            input.m_lReadIndex = input.m_lBytesInBuffer;
        }
        result = deflate(&stream, Z_NO_FLUSH);
        if (stream.avail_out < static_cast<uInt>(output.m_lBufferSize)) {
            output.m_lWriteIndex = output.m_lBufferSize - static_cast<LONG>(stream.avail_out);
            output.FlushBuffer();
            ResetOutput(stream, output.m_pBuffer, output.m_lBufferSize);
        }
    } while (output.mStatus >= 0 && result == Z_OK);
    deflateEnd(&stream);
    mStatus = output.mStatus;
    return mStatus;
}

// Ends the stream: zlib's remaining output flushed until it reports the stream's end.
int ALDeflateCompressor::FinishStream(void *streamMemory, ALStorage &output)
{
    auto &stream = *static_cast<z_stream *>(streamMemory);
    int result;
    do {
        result = deflate(&stream, Z_FINISH);
        if (stream.avail_out < static_cast<uInt>(output.m_lBufferSize)) {
            output.m_lWriteIndex = output.m_lBufferSize - static_cast<LONG>(stream.avail_out);
            output.FlushBuffer();
            ResetOutput(stream, output.m_pBuffer, output.m_lBufferSize);
        }
    } while (result == Z_OK && output.mStatus >= 0);
    deflateEnd(&stream);
    output.FlushBuffer();
    return 0;
}
