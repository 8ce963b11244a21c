// ALZipFormat.cpp: methods and flags by engine, MS-DOS attribute bits and the written form of member
// names.
#include "ALZipFormat.h"


namespace alzip {

namespace {

struct AttributeBit {
    WORD member;
    DWORD external;
};

// The volume-label bit (0x08) has no storage attribute and is dropped.
constexpr AttributeBit kAttributeBits[] = {{AL_ATTRIBUTE_READ_ONLY, 0x01}, {AL_ATTRIBUTE_HIDDEN, 0x02},
                                           {AL_ATTRIBUTE_SYSTEM, 0x04},    {AL_ATTRIBUTE_DIRECTORY, 0x10},
                                           {AL_ATTRIBUTE_ARCHIVE, 0x20}};

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

} // namespace

int EngineTypeOf(WORD method, WORD flags)
{
    if (method == kMethodDeflated)
        return AL_ENGINE_DEFLATE + (flags >> 1 & 3);
    return AL_ENGINE_COPY_ALIAS + method;
}

void LocalMethodAndFlags(const ALCompressor *compressor, WORD &method, WORD &flags)
{
    flags = 0;
    int type = compressor ? compressor->GetEngineType() : AL_ENGINE_ANY;
    if (type == AL_ENGINE_COPY) {
        method = kMethodStored;
    } else if (type == AL_ENGINE_DEFLATE) {
        method = kMethodDeflated;
        if (const auto *deflate = dynamic_cast<const ALDeflateCompressor *>(compressor))
            flags = deflate->GetLevel() == 1 ? 4 : deflate->GetLevel() == 9 ? 2 : 0;
    } else {
        method = kMethodUnknown;
    }
}

void CentralMethodAndFlags(const ALEngine *engine, WORD &method, WORD &flags)
{
    static const WORD kOptionFlags[] = {0, 2, 4, 6}; // normal, maximum, fast, super fast
    flags = 0;
    int type = engine ? engine->GetEngineType() : AL_ENGINE_ANY;
    if (type == AL_ENGINE_COPY) {
        method = kMethodStored;
        return;
    }
    if (type != AL_ENGINE_DEFLATE) {
        method = kMethodUnknown;
        return;
    }
    method = kMethodDeflated;
    int option = 0;
    if (const auto *deflate = dynamic_cast<const ALDeflateCompressor *>(engine))
        option = deflate->GetOption();
    else if (const auto *inflate = dynamic_cast<const ALInflateDecompressor *>(engine))
        option = inflate->GetOption();
    flags = option >= 0 && option <= 3 ? kOptionFlags[option] : 0;
}

WORD AttributesFromExternal(DWORD external)
{
    WORD attributes = 0;
    for (const AttributeBit &bit : kAttributeBits)
        if (external & bit.external)
            attributes |= bit.member;
    return attributes;
}

DWORD ExternalFromAttributes(WORD attributes)
{
    DWORD external = 0;
    for (const AttributeBit &bit : kAttributeBits)
        if (attributes & bit.member)
            external |= bit.external;
    return external;
}

std::string WrittenName(const char *storageName, bool withoutPath)
{
    ALNameString name(storageName, AL_CASE_MIXED);
    if (withoutPath)
        name.StripPath();
    std::string text = name.GetName();
    for (char &c : text)
        if (c == '\\')
            c = '/';
    // \\server\share\rest keeps only rest.
    if (text.size() > 3 && text[0] == '/' && text[1] == '/') {
        size_t share = text.find('/', 2);
        size_t rest = share == std::string::npos ? share : text.find('/', share + 1);
        if (rest != std::string::npos)
            text.erase(0, rest + 1);
    }
    if (text.size() > 2 && text[1] == ':' && IsDriveLetter(text[0]))
        text.erase(0, 2);
    if (!text.empty() && text[0] == '/')
        text.erase(0, 1);
    return text;
}

} // namespace alzip
