// ALStorage.cpp: what every storage shares: the buffer and its indexes, byte and block transfers, the
// little- and big-endian values, counted strings, the CRC register and the yield to the monitor and
// the message pump. The kinds of storage supply the loads, flushes and seeks.
#include "ALStorage.h"
#include "ALCrc32.h"
#include "ALEngine.h"
#include "ALMonitor.h"
#include "QorPlatform.h"

#include <cstdlib>
#include <cstring>

ALStorage::ALStorage(const char *name, LONG bufferSize, LONG type, ALCase caseMode)
    : mName(name, caseMode), m_pBuffer(nullptr), m_lBytesInBuffer(0), m_lWriteIndex(0), m_lReadIndex(0),
      m_lFilePosition(0), m_lSize(-1), m_lCrc(0xFFFFFFFFu), m_bCrcOn(0), m_bStampOnClose(0), m_bReadOnlyOpen(0),
      m_pDecryptor(nullptr), m_iType(type), m_lBufferSize(bufferSize), m_pMonitor(nullptr), m_TimeDate{},
      m_wAttributes(0)
{
    if (name != nullptr && mName.GetName()[0] == '\0' && name[0] != '\0')
        mStatus.SetError(AL_BUFFER_ALLOCATION_FAILED, "Allocation of buffer failed in ALStorage constructor");
}

ALStorage::~ALStorage() { std::free(m_pBuffer); }

int ALStorage::WriteSettings() { return WriteBigEndianShort(0); }

int ALStorage::ReadSettings()
{
    WORD ignored;
    return ReadBigEndianShort(ignored) < 0 ? mStatus.GetStatusCode() : 0;
}

int ALStorage::Open()
{
    if (mStatus < 0)
        return mStatus;
    std::free(m_pBuffer);
    m_pBuffer = static_cast<unsigned char *>(std::malloc(static_cast<size_t>(m_lBufferSize)));
    m_lBytesInBuffer = m_lWriteIndex = m_lReadIndex = m_lFilePosition = 0;
    m_bCrcOn = 0;
    m_lCrc = 0xFFFFFFFFu;
    if (m_pBuffer == nullptr)
        return mStatus.SetError(AL_BUFFER_ALLOCATION_FAILED, "Allocation of buffer failed in Open()");
    return mStatus;
}

int ALStorage::Create()
{
    if (ALStorage::Open() < 0)
        return mStatus;
    m_lSize = 0;
    m_bStampOnClose = 1;
    return mStatus;
}

int ALStorage::Close()
{
    std::free(m_pBuffer);
    m_pBuffer = nullptr;
    return mStatus;
}

void ALStorage::YieldTime()
{
    if (m_pMonitor != nullptr)
        m_pMonitor->Progress(Tell(), *this);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void ALStorage::PassBytes(unsigned char *bytes, LONG count)
{
    if (m_pDecryptor != nullptr)
        m_pDecryptor->Transform(bytes, count);
    if (m_bCrcOn)
        m_lCrc = ALCrc32Update(m_lCrc, bytes, static_cast<size_t>(count));
}

int ALStorage::ReadChar()
{
    if (m_pBuffer == nullptr)
        return mStatus < 0 ? mStatus.GetStatusCode() : -1;
    if (m_lReadIndex >= m_lBytesInBuffer) {
        int loaded = LoadBuffer(m_lFilePosition);
        if (loaded < 0)
            return loaded;
    }
    return m_pBuffer[m_lReadIndex++];
}

int ALStorage::WriteChar(int value)
{
    if (mStatus < 0)
        return mStatus;
    if (m_pBuffer == nullptr)
        return -1;
    if (m_lWriteIndex >= m_lBufferSize && FlushBuffer() < 0)
        return mStatus;
    m_pBuffer[m_lWriteIndex++] = static_cast<unsigned char>(value);
    return value & 0xFF;
}

LONG ALStorage::ReadBuffer(unsigned char *destination, LONG count)
{
    LONG delivered = 0;
    while (m_pBuffer != nullptr && delivered < count) {
        if (m_lReadIndex >= m_lBytesInBuffer && LoadBuffer(m_lFilePosition) < 0)
            break;
        LONG chunk = m_lBytesInBuffer - m_lReadIndex;
        if (chunk > count - delivered)
            chunk = count - delivered;
        std::memcpy(destination + delivered, m_pBuffer + m_lReadIndex, static_cast<size_t>(chunk));
        m_lReadIndex += chunk;
        delivered += chunk;
    }
    return delivered;
}

LONG ALStorage::WriteBuffer(const unsigned char *source, LONG count)
{
    LONG accepted = 0;
    if (mStatus < 0 || m_pBuffer == nullptr)
        return 0;
    while (accepted < count) {
        if (m_lWriteIndex >= m_lBufferSize && FlushBuffer() < 0)
            break;
        LONG chunk = m_lBufferSize - m_lWriteIndex;
        if (chunk > count - accepted)
            chunk = count - accepted;
        std::memcpy(m_pBuffer + m_lWriteIndex, source + accepted, static_cast<size_t>(chunk));
        m_lWriteIndex += chunk;
        accepted += chunk;
    }
    return accepted;
}

LONG ALStorage::Tell() const
{
    if (m_lWriteIndex > 0)
        return m_lFilePosition + m_lWriteIndex;
    return m_lFilePosition - m_lBytesInBuffer + m_lReadIndex;
}

int ALStorage::ReadLittleEndianShort(WORD &value)
{
    int low = ReadChar();
    int high = low < 0 ? low : ReadChar();
    if (high < 0)
        return high;
    value = static_cast<WORD>(low | high << 8);
    return 0;
}

int ALStorage::ReadLittleEndianLong(DWORD &value)
{
    WORD low = 0, high = 0;
    int result = ReadLittleEndianShort(low);
    if (result >= 0)
        result = ReadLittleEndianShort(high);
    if (result < 0)
        return result;
    value = static_cast<DWORD>(low) | static_cast<DWORD>(high) << 16;
    return 0;
}

int ALStorage::WriteLittleEndianShort(WORD value)
{
    int result = WriteChar(value & 0xFF);
    return result < 0 ? result : WriteChar(value >> 8) < 0 ? mStatus.GetStatusCode() : 0;
}

int ALStorage::WriteLittleEndianLong(DWORD value)
{
    int result = WriteLittleEndianShort(static_cast<WORD>(value));
    return result < 0 ? result : WriteLittleEndianShort(static_cast<WORD>(value >> 16));
}

int ALStorage::ReadBigEndianShort(WORD &value)
{
    int high = ReadChar();
    int low = high < 0 ? high : ReadChar();
    if (low < 0)
        return low;
    value = static_cast<WORD>(high << 8 | low);
    return 0;
}

int ALStorage::ReadBigEndianLong(DWORD &value)
{
    WORD high = 0, low = 0;
    int result = ReadBigEndianShort(high);
    if (result >= 0)
        result = ReadBigEndianShort(low);
    if (result < 0)
        return result;
    value = static_cast<DWORD>(high) << 16 | low;
    return 0;
}

int ALStorage::WriteBigEndianShort(WORD value)
{
    int result = WriteChar(value >> 8);
    return result < 0 ? result : WriteChar(value & 0xFF) < 0 ? mStatus.GetStatusCode() : 0;
}

int ALStorage::WriteBigEndianLong(DWORD value)
{
    int result = WriteBigEndianShort(static_cast<WORD>(value >> 16));
    return result < 0 ? result : WriteBigEndianShort(static_cast<WORD>(value));
}

int ALStorage::ReadString(ALNameString &target, WORD length)
{
    if (length == 0xFFFF && ReadBigEndianShort(length) < 0)
        return mStatus.SetError(AL_READ_FAILED, "Error reading string lengthin ReadString() for object %s",
                                mName.GetName());
    auto *text = static_cast<unsigned char *>(std::calloc(static_cast<size_t>(length) + 1, 1));
    if (text == nullptr)
        return mStatus.SetError(AL_OUT_OF_MEMORY, "Error allocating buffer space in call to ReadString() for object %s",
                                mName.GetName());
    ReadBuffer(text, length);
    target = reinterpret_cast<char *>(text);
    std::free(text);
    return mStatus;
}

int ALStorage::WriteString(const char *text)
{
    size_t length = text ? std::strlen(text) : 0;
    if (length > 0xFFFE)
        length = 0xFFFE; // 0xFFFF would read back as "length follows"
    int result = WriteBigEndianShort(static_cast<WORD>(length));
    if (result < 0)
        return result;
    WriteBuffer(reinterpret_cast<const unsigned char *>(text), static_cast<LONG>(length));
    return mStatus;
}

void ALStorage::InitCrc(DWORD value)
{
    m_lCrc = value;
    m_bCrcOn = 1;
}

DWORD ALStorage::GetCrc()
{
    if (IsOpen() && m_bCrcOn)
        FlushBuffer();
    m_bCrcOn = 0;
    return m_lCrc;
}

ALReadScope::ALReadScope(ALStorage &storage) : m_storage(storage), m_bOpened(!storage.IsOpen())
{
    if (m_bOpened)
        m_storage.Open();
}

ALReadScope::~ALReadScope()
{
    if (m_bOpened)
        m_storage.Close();
}

ALWriteScope::ALWriteScope(ALStorage &storage) : m_storage(storage), m_bCreated(!storage.IsOpen())
{
    if (m_bCreated)
        m_storage.Create();
}

ALWriteScope::~ALWriteScope()
{
    if (m_bCreated)
        m_storage.Close();
}
