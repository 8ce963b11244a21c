// ALEngine.h: the archive engine's compression engines, which move one member's bytes between two
// storages (copy, deflate and inflate through zlib), feeding the CRC-32 of the uncompressed data on
// the way, and ALPrototypeSet, the prototypes from which engines and storages are cloned by type.
#pragma once

#include "ALStatus.h"

#include <vector>

class ALStorage;

// Engine types: 0 copies; 108 to 111 deflate with the ZIP deflate options 0 to 3; 100 clones the
// copy engine from a deflate or inflate prototype; -1 is "whatever this prototype is".
enum ALEngineType { AL_ENGINE_ANY = -1, AL_ENGINE_COPY = 0, AL_ENGINE_COPY_ALIAS = 100, AL_ENGINE_DEFLATE = 108 };

class QORUTIL_API ALEngine {
public:
    ALEngine(int type, const char *name) : m_iEngineType(type), m_szEngineName(name) {}
    virtual ~ALEngine() = default;

    // The engine's settings in the engine's own archive formats: a 16-bit count, 0 here.
    virtual int WriteEngineSettings(ALStorage &storage);
    virtual int ReadEngineSettings(ALStorage &storage);

    int GetEngineType() const { return m_iEngineType; }
    const char *GetEngineName() const { return m_szEngineName; }
    ALErrorStatus mStatus;

protected:
    // Takes the first negative status of the two storages (input first); answers the engine's code.
    int AdoptStorageStatus(const ALStorage &input, const ALStorage &output);

    LONG m_iEngineType;
    const char *m_szEngineName;
};

class QORUTIL_API ALCompressor : public ALEngine {
public:
    using ALEngine::ALEngine;
    // A new compressor of this family for `type`, or null.
    virtual ALCompressor *Clone(int type) const = 0;
    // Reads `input` to its end and writes the compressed stream to `output`: 0 or a negative status.
    virtual int Compress(ALStorage &input, ALStorage &output) = 0;
};

class QORUTIL_API ALDecompressor : public ALEngine {
public:
    using ALEngine::ALEngine;
    virtual ALDecompressor *Clone(int type) const = 0;
    // Expands at most `length` compressed bytes (-1: to the end) of `input` into `output`.
    virtual int Decompress(ALStorage &input, ALStorage &output, LONG length = -1) = 0;
};

// An engine that transforms bytes in place as a storage loads them (decryption). None exists in this
// library; the slot is carried for the archive formats that have one.
class QORUTIL_API ALDecryptor : public ALEngine {
public:
    using ALEngine::ALEngine;
    virtual ALDecryptor *Clone(int type) const = 0;
    virtual void Transform(unsigned char *bytes, LONG count) = 0;
};

class QORUTIL_API ALCopyCompressor : public ALCompressor {
public:
    ALCopyCompressor() : ALCompressor(AL_ENGINE_COPY, "Binary copy") {}
    ALCompressor *Clone(int type) const override;
    int Compress(ALStorage &input, ALStorage &output) override;
};

class QORUTIL_API ALCopyDecompressor : public ALDecompressor {
public:
    ALCopyDecompressor() : ALDecompressor(AL_ENGINE_COPY, "Binary copy") {}
    ALDecompressor *Clone(int type) const override;
    int Decompress(ALStorage &input, ALStorage &output, LONG length = -1) override;
};

// Raw deflate (no zlib header or trailer) through zlib.
class QORUTIL_API ALDeflateCompressor : public ALCompressor {
public:
    // Level 0-9 (0 stores, 1 fast, 9 maximum; others give level -1, "???"), window bits 8-15,
    // memory level 1-9.
    explicit ALDeflateCompressor(int level = 6, int windowBits = 15, int memoryLevel = 8);
    ALCompressor *Clone(int type) const override;
    int Compress(ALStorage &input, ALStorage &output) override;

    // The ZIP deflate option: 0 normal, 1 maximum, 2 fast, 3 super fast.
    int GetOption() const { return m_iOption; }
    int GetLevel() const { return m_iLevel; }

private:
    int FinishStream(void *stream, ALStorage &output);

    LONG m_iOption;
    LONG m_iLevel;
    LONG m_iWindowBits;
    LONG m_iMemoryLevel;
};

class QORUTIL_API ALInflateDecompressor : public ALDecompressor {
public:
    ALInflateDecompressor() : ALDecompressor(AL_ENGINE_DEFLATE, "Inflate"), m_iOption(0) {}
    ALDecompressor *Clone(int type) const override;
    int Decompress(ALStorage &input, ALStorage &output, LONG length = -1) override;
    int GetOption() const { return m_iOption; }

private:
    LONG m_iOption;
};

// The prototypes of the engines and storages an archive may make; each is owned and cloned on demand.
// The search order is the order of addition.
class QORUTIL_API ALPrototypeSet {
public:
    ALPrototypeSet() = default;
    explicit ALPrototypeSet(const ALCompressor &compressor);
    explicit ALPrototypeSet(const ALDecompressor &decompressor);
    explicit ALPrototypeSet(const ALStorage &storage);
    explicit ALPrototypeSet(const ALDecryptor &decryptor);
    ALPrototypeSet(const ALPrototypeSet &other);
    ALPrototypeSet &operator=(const ALPrototypeSet &other);
    ~ALPrototypeSet();

    ALPrototypeSet &Add(const ALCompressor &compressor);
    ALPrototypeSet &Add(const ALDecompressor &decompressor);
    ALPrototypeSet &Add(const ALStorage &storage);
    ALPrototypeSet &Add(const ALDecryptor &decryptor);

    // The first prototype's clone for the arguments, or null.
    ALCompressor *CreateCompressor(int type) const;
    ALDecompressor *CreateDecompressor(int type) const;
    ALDecryptor *CreateDecryptor(int type) const;
    ALStorage *CreateStorage(const char *name, int type) const;

private:
    void Clear();

    std::vector<ALCompressor *> m_compressors;
    std::vector<ALDecompressor *> m_decompressors;
    std::vector<ALStorage *> m_storages;
    std::vector<ALDecryptor *> m_decryptors;
};
