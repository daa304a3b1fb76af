#include "bookmarks/sqlite.h"

#include <sqlite3.h>

namespace tembra::sqlite {

Database::~Database()
{
    close();
}

bool Database::open(const QByteArray &path, int flags)
{
    close();
    m_failure = {};
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(path.constData(), &db, flags, nullptr);
    m_db = db; // set even on failure, so that failed() reads its message
    if (rc != SQLITE_OK) {
        if (!db)
            return failedWith(rc, QString::fromUtf8(sqlite3_errstr(rc)));
        failed(rc);
        close();
        return false;
    }
    sqlite3_extended_result_codes(m_db, 1);
    return true;
}

void Database::close(bool keepWal)
{
    if (!m_db)
        return;
    if (keepWal)
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    // Every statement is finalized by its owner before this; close_v2 would keep a
    // forgotten one's connection alive instead of failing.
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

bool Database::exec(const char *sql)
{
    if (!m_db)
        return failedWith(SQLITE_MISUSE, QStringLiteral("the database is not open"));
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    return rc == SQLITE_OK || failed(rc);
}

Field Database::value(const char *sql, bool *ok)
{
    Statement statement(*this, sql);
    *ok = false;
    if (!statement.isValid())
        return {};
    switch (statement.step()) {
    case Statement::Step::Row: *ok = true; return statement.field(0);
    case Statement::Step::Done: *ok = true; return {};
    case Statement::Step::Failed: return {};
    }
    return {};
}

bool Database::setBusyTimeout(int milliseconds)
{
    const int rc = sqlite3_busy_timeout(m_db, milliseconds);
    return rc == SQLITE_OK || failed(rc);
}

qint64 Database::lastInsertId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

int Database::changes() const
{
    return sqlite3_changes(m_db);
}

bool Database::failed(int rc)
{
    m_failure.extended = m_db ? sqlite3_extended_errcode(m_db) : rc;
    if (m_failure.extended == SQLITE_OK)
        m_failure.extended = rc;
    m_failure.code = m_failure.extended & 0xFF;
    m_failure.systemErrno = m_db ? sqlite3_system_errno(m_db) : 0;
    m_failure.message
        = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(rc));
    return false;
}

bool Database::failedWith(int code, const QString &message)
{
    m_failure = {code & 0xFF, code, 0, message};
    return false;
}

Statement::Statement(Database &db, const char *sql) : m_db(db)
{
    if (!db.isOpen()) {
        db.failedWith(SQLITE_MISUSE, QStringLiteral("the database is not open"));
        return;
    }
    const int rc = sqlite3_prepare_v2(db.handle(), sql, -1, &m_stmt, nullptr);
    if (rc != SQLITE_OK) {
        db.failed(rc);
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

bool Statement::bind(int index, const Field &value)
{
    if (!m_stmt)
        return false;
    int rc;
    if (!value) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else if (QStringView(*value).isValidUtf16()) {
        rc = sqlite3_bind_text64(m_stmt, index, reinterpret_cast<const char *>(value->utf16()),
                                 sqlite3_uint64(value->size()) * sizeof(char16_t), SQLITE_TRANSIENT,
                                 SQLITE_UTF16LE);
    } else {
        rc = sqlite3_bind_blob64(m_stmt, index, value->utf16(),
                                 sqlite3_uint64(value->size()) * sizeof(char16_t),
                                 SQLITE_TRANSIENT);
    }
    return rc == SQLITE_OK || m_db.failed(rc);
}

bool Statement::bind(int index, qint64 value)
{
    if (!m_stmt)
        return false;
    const int rc = sqlite3_bind_int64(m_stmt, index, value);
    return rc == SQLITE_OK || m_db.failed(rc);
}

Statement::Step Statement::step()
{
    if (!m_stmt)
        return Step::Failed;
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return Step::Row;
    if (rc == SQLITE_DONE)
        return Step::Done;
    m_db.failed(rc);
    sqlite3_reset(m_stmt);
    return Step::Failed;
}

bool Statement::reset()
{
    if (!m_stmt)
        return false;
    sqlite3_reset(m_stmt);
    return sqlite3_clear_bindings(m_stmt) == SQLITE_OK;
}

bool Statement::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

Field Statement::field(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_NULL: return std::nullopt;
    case SQLITE_BLOB: {
        const auto *units = static_cast<const char16_t *>(sqlite3_column_blob(m_stmt, column));
        const int bytes = sqlite3_column_bytes(m_stmt, column);
        return QString::fromUtf16(units, bytes / qsizetype(sizeof(char16_t)));
    }
    default: {
        const auto *units = static_cast<const char16_t *>(sqlite3_column_text16(m_stmt, column));
        return QString::fromUtf16(units, sqlite3_column_bytes16(m_stmt, column) / 2);
    }
    }
}

qint64 Statement::integer(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

Transaction::Transaction(Database &db) : m_db(db)
{
    m_active = db.exec("BEGIN IMMEDIATE");
}

Transaction::~Transaction()
{
    // A failed COMMIT (SQLITE_BUSY) leaves the transaction open; a failed write (SQLITE_FULL,
    // an I/O error) may have rolled it back already.
    if (m_active && m_db.isOpen() && !sqlite3_get_autocommit(m_db.handle())) {
        const Failure kept = m_db.lastError();
        m_db.exec("ROLLBACK");
        m_db.keepFailure(kept);
    }
}

bool Transaction::commit()
{
    if (!m_active)
        return false;
    if (!m_db.exec("COMMIT"))
        return false;
    m_active = false;
    return true;
}

} // namespace tembra::sqlite
