// QorFile2.h: CQorFile, the thin wrapper around a platform file handle, with all its code here so
// that the library and the applications compile the same operations. The transactional file derives
// from it, so the order of its virtual operations is fixed. Every result comes from the platform's
// last error by the standard rule (HRESULT_FROM_WIN32).
#pragma once

#include "QorError.h"
#include "QorString.h"
#include "QorWinTypes.h"

class CQorFile {
public:
    CQorFile() : m_hFile(INVALID_HANDLE_VALUE) {}

    virtual ~CQorFile()
    {
        if (m_hFile != INVALID_HANDLE_VALUE) {
            ::FlushFileBuffers(m_hFile);
            ::CloseHandle(m_hFile);
            m_hFile = INVALID_HANDLE_VALUE;
        }
    }

    // A copy would close the handle a second time: file objects are not copied.
    CQorFile(const CQorFile &) = delete;
    CQorFile &operator=(const CQorFile &) = delete;

    // Deletes any file of that name first, so the new file is empty whatever the disposition.
    virtual HRESULT Create(const char *name, DWORD access = GENERIC_READ | GENERIC_WRITE, DWORD share = 0,
                           DWORD flags = FILE_ATTRIBUTE_NORMAL, DWORD disposition = CREATE_ALWAYS)
    {
        CQorString requested(name);
        m_strName = requested;
        Delete();
        return Open(requested, disposition, access, share, flags);
    }

    // Closes any open file, then opens `name`. A failed open leaves the object closed and the old name.
    virtual HRESULT Open(const char *name, DWORD disposition = OPEN_EXISTING, DWORD access = GENERIC_READ,
                         DWORD share = FILE_SHARE_READ, DWORD flags = FILE_ATTRIBUTE_NORMAL)
    {
        CQorString requested(name);
        Close(false);
        m_hFile = ::CreateFileA(requested, access, share, nullptr, disposition, flags, nullptr);
        if (m_hFile == INVALID_HANDLE_VALUE)
            return QorHResultFromLastError();
        m_strName = requested;
        return S_OK;
    }

    virtual void Close(bool emptyName)
    {
        if (m_hFile != INVALID_HANDLE_VALUE) {
            ::FlushFileBuffers(m_hFile);
            ::CloseHandle(m_hFile);
            m_hFile = INVALID_HANDLE_VALUE;
        }
        if (emptyName)
            m_strName.Empty();
    }

    virtual HRESULT Delete()
    {
        Close(false);
        return ::DeleteFileA(m_strName) ? S_OK : QorHResultFromLastError();
    }

    // S_FALSE when nothing was read (end of file, also when the platform says so with ERROR_HANDLE_EOF).
    virtual HRESULT Read(void *buffer, DWORD count, DWORD *bytesRead)
    {
        DWORD done = 0;
        BOOL read = ::ReadFile(m_hFile, buffer, count, &done, nullptr);
        if (bytesRead != nullptr)
            *bytesRead = done;
        if (read || ::GetLastError() == ERROR_HANDLE_EOF)
            return done == 0 ? S_FALSE : S_OK;
        return QorHResultFromLastError();
    }

    // The next line ended by CR, LF or CR LF, without its end; S_FALSE and an empty line at the end of
    // the file. Lines longer than one buffer are gathered over several reads. The byte after a CR is
    // always skipped: it is taken to be the LF of a pair. A zero byte ends the line's text.
    virtual HRESULT ReadLine(CQorString &line)
    {
        const DWORD chunk = 4095;
        char buffer[chunk + 1];
        DWORD start = Offset();
        DWORD nextLine = 0; // where the next line begins, from `start`
        bool endOfFile = false;
        line.Empty();
        HRESULT result;
        for (;;) {
            DWORD got = 0;
            result = Read(buffer, chunk, &got);
            if (FAILED(result)) {
                line.Empty();
                return result;
            }
            buffer[got] = '\0';
            char *end = buffer;
            while (*end != '\0' && *end != '\r' && *end != '\n')
                ++end;
            if (*end != '\0') {
                nextLine = (DWORD)(end - buffer) + (*end == '\r' ? 2 : 1);
                *end = '\0';
                break;
            }
            if (got < chunk) {
                endOfFile = true;
                break;
            }
            line += buffer;
            start += got;
        }
        line += buffer;
        if (!endOfFile) {
            DWORD target = start + nextLine;
            if (::SetFilePointer(m_hFile, (LONG)target, nullptr, FILE_BEGIN) != target)
                result = QorHResultFromLastError();
        }
        if (FAILED(result))
            line.Empty();
        return result;
    }

    // The file from the current position to its end; the text's length is set only when the read works.
    virtual HRESULT ReadAll(CQorString &text)
    {
        DWORD size = GetSize(nullptr);
        if (size == 0xFFFFFFFF)
            return QorHResultFromLastError();
        if (size > 0x7FFFFFFE)
            return E_OUTOFMEMORY; // more than a string can hold
        char *buffer;
        try {
            buffer = text.GetBuffer((int)size);
        } catch (HRESULT) {
            return E_OUTOFMEMORY;
        }
        DWORD got = 0;
        HRESULT result = Read(buffer, size, &got);
        if (FAILED(result))
            return result;
        text.ReleaseBuffer((int)got);
        return result;
    }

    // S_FALSE for a write of nothing. A write that the platform cut short without an error is unexpected.
    virtual HRESULT Write(const void *buffer, DWORD count, DWORD *bytesWritten)
    {
        DWORD done = 0;
        BOOL written = ::WriteFile(m_hFile, buffer, count, &done, nullptr);
        if (bytesWritten != nullptr)
            *bytesWritten = done;
        if (written && done == count)
            return count == 0 ? S_FALSE : S_OK;
        DWORD error = ::GetLastError();
        if (error == ERROR_HANDLE_EOF)
            return done == 0 ? S_FALSE : S_OK;
        HRESULT code = QorHResultFromWin32(error);
        if (FAILED(code))
            return code;
        // Fewer bytes than asked and no error: logged under this header's name and its historic line.
        CQorError(code).Trace("QorFile2", 426, nullptr, nullptr, nullptr, nullptr);
        return E_UNEXPECTED;
    }

    // The text and CR LF.
    virtual HRESULT WriteLine(const char *text)
    {
        CQorString line;
        line.Format("%s\r\n", text);
        DWORD written = 0;
        return Write(line.GetString(), (DWORD)line.GetLength(), &written);
    }

    // The current position; 0xFFFFFFFF on failure.
    virtual DWORD Offset() { return ::SetFilePointer(m_hFile, 0, nullptr, FILE_CURRENT); }

    // The size (low part; the high part through `high` when not null). Only a zero handle field asks by
    // name; a closed object (the invalid handle) reports the platform's failure value 0xFFFFFFFF.
    virtual DWORD GetSize(DWORD *high)
    {
        if (m_hFile != nullptr)
            return ::GetFileSize(m_hFile, high);
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!::GetFileAttributesExA(m_strName, GetFileExInfoStandard, &data))
            return 0xFFFFFFFF;
        if (high != nullptr)
            *high = data.nFileSizeHigh;
        return data.nFileSizeLow;
    }

    virtual HANDLE GetHandle() { return m_hFile; }

    // E_FAIL when the platform answers 0xFFFFFFFF.
    virtual HRESULT Seek(LONG distance, DWORD method)
    {
        return ::SetFilePointer(m_hFile, distance, nullptr, method) == 0xFFFFFFFF ? E_FAIL : S_OK;
    }

    virtual HRESULT Flush()
    {
        if (m_hFile == nullptr)
            return S_OK;
        return ::FlushFileBuffers(m_hFile) ? S_OK : QorHResultFromLastError();
    }

    // Ends the file at the current position.
    virtual HRESULT Truncate()
    {
        if (m_hFile == nullptr)
            return S_OK;
        return ::SetEndOfFile(m_hFile) ? S_OK : QorHResultFromLastError();
    }

protected:
    HANDLE m_hFile;       // INVALID_HANDLE_VALUE while no file is open
    CQorString m_strName; // the name of the last successful Open, or of Create
};
