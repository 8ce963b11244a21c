// QorScopedHandle.h: one owning wrapper for every kind of system handle the library and the tool hold
// (file and mutex HANDLEs, registry keys, and more as their kinds appear), and the guard of a
// CQorCriticalRegion. A kind is a traits class: its handle type, its invalid value and how to close it.
// Internal to the library and the tool; never part of the installed interface.
#pragma once

#include "QorWinTypes.h"

#include <utility>

namespace qor {

// Owns one handle of the kind `Traits` describes and closes it when it goes out of scope. Moves hand
// the handle on; copies do not exist, so no two owners ever close one handle.
template <typename Traits> class ScopedHandle {
public:
    using Handle = typename Traits::Handle;

    ScopedHandle() = default;
    explicit ScopedHandle(Handle handle) : m_handle(handle) {}
    ~ScopedHandle() { Close(); }

    ScopedHandle(ScopedHandle &&other) noexcept : m_handle(other.Release()) {}
    ScopedHandle &operator=(ScopedHandle &&other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    ScopedHandle(const ScopedHandle &) = delete;
    ScopedHandle &operator=(const ScopedHandle &) = delete;

    Handle Get() const { return m_handle; }
    bool IsValid() const { return !Traits::IsInvalid(m_handle); }
    explicit operator bool() const { return IsValid(); }

    // Gives the handle up without closing it.
    Handle Release() { return std::exchange(m_handle, Traits::Invalid()); }

    // Closes the handle held, if any, and holds `handle` instead.
    void Reset(Handle handle = Traits::Invalid())
    {
        Close();
        m_handle = handle;
    }

    // Closes the handle now and answers whether the close succeeded (true when none was held), for
    // callers that report a failed close.
    bool Close()
    {
        Handle handle = Release();
        return Traits::IsInvalid(handle) || Traits::Close(handle);
    }

private:
    Handle m_handle = Traits::Invalid();
};

// A file HANDLE: CreateFileA answers INVALID_HANDLE_VALUE for a failed open.
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsInvalid(Handle handle) { return handle == INVALID_HANDLE_VALUE || handle == nullptr; }
    static bool Close(Handle handle) { return CloseHandle(handle) != FALSE; }
};

// A kernel object HANDLE (mutexes): a failed create answers null.
struct KernelHandleTraits : FileHandleTraits {
    static Handle Invalid() { return nullptr; }
};

// An open registry key. The predefined roots are never owned, so never closed.
struct RegistryKeyTraits {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static bool IsInvalid(Handle key) { return key == nullptr; }
    static bool Close(Handle key) { return RegCloseKey(key) == ERROR_SUCCESS; }
};

using ScopedFileHandle = ScopedHandle<FileHandleTraits>;
using ScopedKernelHandle = ScopedHandle<KernelHandleTraits>;
using ScopedRegistryKey = ScopedHandle<RegistryKeyTraits>;

// Holds a region (CQorCriticalRegion, or anything with Enter and Leave) for the guard's lifetime.
template <typename Region> class RegionGuard {
public:
    explicit RegionGuard(Region &region) : m_region(region) { m_region.Enter(); }
    ~RegionGuard() { m_region.Leave(); }
    RegionGuard(const RegionGuard &) = delete;
    RegionGuard &operator=(const RegionGuard &) = delete;

private:
    Region &m_region;
};

} // namespace qor
