// ALErrorStatus.cpp: the archive engine's status: a code and a detail text of at most 128 characters.
#include "ALStatus.h"
#include "QorPlatform.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace {

constexpr LONG kDetailCapacity = 129; // 128 characters and the terminating zero
// Formatting goes to a larger buffer first: a longer text is cut rather than overrunning anything.
constexpr size_t kFormatBuffer = 512;

char *CopyDetail(const char *detail)
{
    if (detail == nullptr)
        return nullptr;
    char *copy = static_cast<char *>(std::malloc(kDetailCapacity));
    if (copy != nullptr) {
        std::strncpy(copy, detail, kDetailCapacity - 1);
        copy[kDetailCapacity - 1] = '\0';
    }
    return copy;
}

} // namespace

ALErrorStatus::ALErrorStatus() : m_iStatus(AL_SUCCESS), m_iDetailCapacity(kDetailCapacity), m_szDetail(nullptr) {}

ALErrorStatus::ALErrorStatus(const ALErrorStatus &other)
    : m_iStatus(other.m_iStatus), m_iDetailCapacity(kDetailCapacity), m_szDetail(CopyDetail(other.m_szDetail))
{
}

ALErrorStatus &ALErrorStatus::operator=(const ALErrorStatus &other)
{
    if (this != &other) {
        std::free(m_szDetail);
        m_szDetail = CopyDetail(other.m_szDetail);
        m_iStatus = other.m_iStatus;
    }
    return *this;
}

ALErrorStatus::~ALErrorStatus() { std::free(m_szDetail); }

int ALErrorStatus::SetError(int code, const char *format, ...)
{
    m_iStatus = code;
    if (format == nullptr) {
        std::free(m_szDetail);
        m_szDetail = nullptr;
        return code;
    }
    char text[kFormatBuffer];
    va_list args;
    va_start(args, format);
    _vsnprintf(text, sizeof text - 1, format, args);
    va_end(args);
    text[sizeof text - 1] = '\0';
    if (m_szDetail == nullptr)
        m_szDetail = static_cast<char *>(std::malloc(static_cast<size_t>(m_iDetailCapacity)));
    if (m_szDetail != nullptr) {
        std::strncpy(m_szDetail, text, static_cast<size_t>(m_iDetailCapacity) - 1);
        m_szDetail[m_iDetailCapacity - 1] = '\0';
    }
    return code;
}

const char *ALErrorStatus::GetStatusDetail() const
{
    if (m_szDetail != nullptr)
        return m_szDetail;
    return m_iStatus == AL_SUCCESS ? "No errors" : "Unable to allocate memory for error detail message";
}
