// ALInflateDecompressor.cpp: raw inflate through zlib, at most a given number of compressed bytes.
// The loop runs while zlib makes progress, so a valid stream is never cut short; a damaged one just
// ends, and the caller's CRC comparison finds the damage.
#include "ALEngine.h"
#include "ALStorage.h"

#include <new>
#include <zlib.h>

ALDecompressor *ALInflateDecompressor::Clone(int type) const
{
    if (type == AL_ENGINE_COPY || type == AL_ENGINE_COPY_ALIAS)
        return new (std::nothrow) ALCopyDecompressor;
    if (type != AL_ENGINE_ANY && (type < AL_ENGINE_DEFLATE || type > AL_ENGINE_DEFLATE + 3))
        return nullptr;
    auto *clone = new (std::nothrow) ALInflateDecompressor;
    if (clone != nullptr)
        clone->m_iOption = type == AL_ENGINE_ANY ? 0 : type - AL_ENGINE_DEFLATE;
    return clone;
}

int ALInflateDecompressor::Decompress(ALStorage &input, ALStorage &output, LONG length)
{
    ALTransferScope scope(input, output);
    if (AdoptStorageStatus(input, output) < 0)
        return mStatus;
    output.InitCrc(0xFFFFFFFFu);
    z_stream stream{};
    output.FlushBuffer();
    stream.next_out = output.m_pBuffer;
    stream.avail_out = static_cast<uInt>(output.m_lBufferSize);
    // A stream that zlib could not start makes every inflate call fail, which ends the loop at once.
    (void)inflateInit2(&stream, -MAX_WBITS);
    int result;
    do {
        if (stream.avail_in == 0 && length != 0) {
            bool available = input.m_lReadIndex < input.m_lBytesInBuffer ||
                             input.LoadBuffer(input.m_lFilePosition) >= 0;
            LONG given = available ? input.m_lBytesInBuffer - input.m_lReadIndex : 0;
            if (length != -1 && length < given)
                given = length;
            if (length != -1)
                length -= given;
            stream.next_in = input.m_pBuffer + input.m_lReadIndex;
            stream.avail_in = static_cast<uInt>(given);
            input.m_lReadIndex += given;
        }
        result = inflate(&stream, Z_NO_FLUSH);
        if (stream.avail_out < static_cast<uInt>(output.m_lBufferSize)) {
            output.m_lWriteIndex = output.m_lBufferSize - static_cast<LONG>(stream.avail_out);
            output.FlushBuffer();
            stream.next_out = output.m_pBuffer;
            stream.avail_out = static_cast<uInt>(output.m_lBufferSize);
        }
    } while (result == Z_OK && output.mStatus >= 0);
    inflateEnd(&stream);
    output.FlushBuffer();
    return AdoptStorageStatus(input, output);
}
