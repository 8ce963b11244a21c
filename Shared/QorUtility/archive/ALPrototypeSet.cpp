// ALPrototypeSet.cpp: owned prototypes of compressors, decompressors, storages and decryptors, asked
// in the order they were added to clone themselves for a type.
#include "ALEngine.h"
#include "ALStorage.h"

namespace {

template <typename T> void DeleteAll(std::vector<T *> &prototypes)
{
    for (T *prototype : prototypes)
        delete prototype;
    prototypes.clear();
}

template <typename T> void AddClone(std::vector<T *> &prototypes, T *clone)
{
    if (clone != nullptr)
        prototypes.push_back(clone);
}

template <typename T> void CloneAll(std::vector<T *> &into, const std::vector<T *> &from)
{
    for (const T *prototype : from)
        AddClone(into, prototype->Clone(AL_ENGINE_ANY));
}

template <typename T> T *FirstClone(const std::vector<T *> &prototypes, int type)
{
    for (const T *prototype : prototypes)
        if (T *clone = prototype->Clone(type))
            return clone;
    return nullptr;
}

} // namespace

ALPrototypeSet::ALPrototypeSet(const ALCompressor &compressor) { Add(compressor); }
ALPrototypeSet::ALPrototypeSet(const ALDecompressor &decompressor) { Add(decompressor); }
ALPrototypeSet::ALPrototypeSet(const ALStorage &storage) { Add(storage); }
ALPrototypeSet::ALPrototypeSet(const ALDecryptor &decryptor) { Add(decryptor); }

ALPrototypeSet::ALPrototypeSet(const ALPrototypeSet &other) { *this = other; }

ALPrototypeSet &ALPrototypeSet::operator=(const ALPrototypeSet &other)
{
    if (this == &other)
        return *this;
    Clear();
    CloneAll(m_compressors, other.m_compressors);
    CloneAll(m_decompressors, other.m_decompressors);
    CloneAll(m_decryptors, other.m_decryptors);
    for (const ALStorage *storage : other.m_storages)
        AddClone(m_storages, storage->Clone("", AL_STORAGE_ANY));
    return *this;
}

ALPrototypeSet::~ALPrototypeSet() { Clear(); }

void ALPrototypeSet::Clear()
{
    DeleteAll(m_compressors);
    DeleteAll(m_decompressors);
    DeleteAll(m_storages);
    DeleteAll(m_decryptors);
}

ALPrototypeSet &ALPrototypeSet::Add(const ALCompressor &compressor)
{
    AddClone(m_compressors, compressor.Clone(AL_ENGINE_ANY));
    return *this;
}

ALPrototypeSet &ALPrototypeSet::Add(const ALDecompressor &decompressor)
{
    AddClone(m_decompressors, decompressor.Clone(AL_ENGINE_ANY));
    return *this;
}

ALPrototypeSet &ALPrototypeSet::Add(const ALStorage &storage)
{
    AddClone(m_storages, storage.Clone("", AL_STORAGE_ANY));
    return *this;
}

ALPrototypeSet &ALPrototypeSet::Add(const ALDecryptor &decryptor)
{
    AddClone(m_decryptors, decryptor.Clone(AL_ENGINE_ANY));
    return *this;
}

ALCompressor *ALPrototypeSet::CreateCompressor(int type) const { return FirstClone(m_compressors, type); }
ALDecompressor *ALPrototypeSet::CreateDecompressor(int type) const { return FirstClone(m_decompressors, type); }
ALDecryptor *ALPrototypeSet::CreateDecryptor(int type) const { return FirstClone(m_decryptors, type); }

ALStorage *ALPrototypeSet::CreateStorage(const char *name, int type) const
{
    for (const ALStorage *prototype : m_storages)
        if (ALStorage *clone = prototype->Clone(name, type))
            return clone;
    return nullptr;
}
