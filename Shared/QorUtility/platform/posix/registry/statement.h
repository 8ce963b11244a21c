// statement.h: one use of a prepared SQLite statement of the registry store: its parameters bound,
// its rows stepped and read, and the statement reset when the use ends, on every path.
// Only the registry folder of the POSIX layer includes this.
#pragma once

#include "QorPlatform.h"

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace qor::platform::registry {

// Bytes bound as a blob parameter.
struct BlobArgument {
    const void *data;
    uint64_t size;
};

class StatementUse {
public:
    // `statement` is null when it could not be prepared; `status` is then SQLite's reason, which
    // Step answers.
    StatementUse(sqlite3_stmt *statement, int status) : m_statement(statement), m_status(status) {}
    StatementUse(StatementUse &&other) noexcept
        : m_statement(std::exchange(other.m_statement, nullptr)), m_status(other.m_status)
    {
    }
    StatementUse(const StatementUse &) = delete;
    StatementUse &operator=(const StatementUse &) = delete;
    StatementUse &operator=(StatementUse &&) = delete;
    ~StatementUse()
    {
        if (m_statement != nullptr) {
            sqlite3_reset(m_statement);
            sqlite3_clear_bindings(m_statement);
        }
    }

    // Parameters are numbered from 1. A failed bind (a blob beyond SQLite's limit) is what Step answers.
    void Bind(int index, int64_t value) { Check(m_statement ? sqlite3_bind_int64(m_statement, index, value) : 0); }
    void Bind(int index, const std::string &text)
    {
        Check(m_statement ? sqlite3_bind_text64(m_statement, index, text.data(), text.size(), SQLITE_TRANSIENT,
                                                SQLITE_UTF8)
                          : 0);
    }
    void Bind(int index, const char *text) // null binds NULL
    {
        Check(!m_statement ? 0
              : text       ? sqlite3_bind_text(m_statement, index, text, -1, SQLITE_TRANSIENT)
                           : sqlite3_bind_null(m_statement, index));
    }
    void Bind(int index, BlobArgument blob)
    {
        static const char kNoBytes[1] = {0}; // a non-null pointer binds an empty blob, not NULL
        Check(m_statement ? sqlite3_bind_blob64(m_statement, index, blob.size ? blob.data : kNoBytes, blob.size,
                                                SQLITE_TRANSIENT)
                          : 0);
    }

    // SQLITE_ROW, SQLITE_DONE, or the error of the step, the bind or the prepare.
    int Step() { return m_status != SQLITE_OK ? m_status : sqlite3_step(m_statement); }

    int64_t Integer(int column) const { return sqlite3_column_int64(m_statement, column); }
    std::string Text(int column) const
    {
        const unsigned char *text = sqlite3_column_text(m_statement, column);
        return text ? std::string(reinterpret_cast<const char *>(text), sqlite3_column_bytes(m_statement, column))
                    : std::string();
    }
    std::vector<BYTE> Bytes(int column) const
    {
        const BYTE *data = static_cast<const BYTE *>(sqlite3_column_blob(m_statement, column));
        return data ? std::vector<BYTE>(data, data + sqlite3_column_bytes(m_statement, column)) : std::vector<BYTE>();
    }

private:
    void Check(int rc)
    {
        if (m_status == SQLITE_OK)
            m_status = rc;
    }

    sqlite3_stmt *m_statement;
    int m_status;
};

} // namespace qor::platform::registry
