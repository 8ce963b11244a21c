// ALCopyEngines.cpp: the engine base and the two copy engines, which move a member's bytes unchanged
// ("Binary copy") while the storage computes the CRC-32 of what passes.
#include "ALEngine.h"
#include "ALStorage.h"

#include <new>

namespace {

constexpr LONG kChunk = 4096;

// Moves up to `length` bytes (-1: all) from `input` to `output` a block at a time.
void CopyBytes(ALStorage &input, ALStorage &output, LONG length)
{
    unsigned char chunk[kChunk];
    while (length != 0 && output.mStatus >= 0) {
        LONG wanted = (length < 0 || length > kChunk) ? kChunk : length;
        LONG got = input.ReadBuffer(chunk, wanted);
        if (got <= 0)
            break;
        output.WriteBuffer(chunk, got);
        if (length > 0)
            length -= got;
    }
}

} // namespace

int ALEngine::WriteEngineSettings(ALStorage &storage) { return storage.WriteBigEndianShort(0); }

int ALEngine::ReadEngineSettings(ALStorage &storage)
{
    WORD count = 0;
    return storage.ReadBigEndianShort(count) < 0 ? storage.mStatus.GetStatusCode() : 0;
}

int ALEngine::AdoptStorageStatus(const ALStorage &input, const ALStorage &output)
{
    if (input.mStatus < 0)
        mStatus = input.mStatus;
    else if (output.mStatus < 0)
        mStatus = output.mStatus;
    return mStatus;
}

ALCompressor *ALCopyCompressor::Clone(int type) const
{
    return type == AL_ENGINE_ANY || type == AL_ENGINE_COPY ? new (std::nothrow) ALCopyCompressor : nullptr;
}

int ALCopyCompressor::Compress(ALStorage &input, ALStorage &output)
{
    ALTransferScope scope(input, output);
    if (AdoptStorageStatus(input, output) < 0)
        return mStatus;
    input.InitCrc(0xFFFFFFFFu);
    CopyBytes(input, output, -1);
    output.FlushBuffer(); // a failing last write shows in the result, not only at close
    return AdoptStorageStatus(input, output);
}

ALDecompressor *ALCopyDecompressor::Clone(int type) const
{
    return type == AL_ENGINE_ANY || type == AL_ENGINE_COPY ? new (std::nothrow) ALCopyDecompressor : nullptr;
}

int ALCopyDecompressor::Decompress(ALStorage &input, ALStorage &output, LONG length)
{
    ALTransferScope scope(input, output);
    if (AdoptStorageStatus(input, output) < 0)
        return mStatus;
    output.InitCrc(0xFFFFFFFFu);
    CopyBytes(input, output, length);
    output.FlushBuffer();
    return AdoptStorageStatus(input, output);
}
