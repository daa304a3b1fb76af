#pragma once

#include "search/record.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstdint>

struct sqlite3;
struct sqlite3_stmt;

namespace tembra::sqlite {

// What SQLite said about the last call that failed: its own result code (SQLITE_CORRUPT,
// SQLITE_NOTADB, SQLITE_READONLY, SQLITE_FULL, SQLITE_BUSY ...) with its extended form,
// the system's errno behind it where there was one (ENOSPC, EFBIG, EROFS), and its message.
struct Failure {
    int code = 0; // primary result code; 0 (SQLITE_OK) for none
    int extended = 0;
    int systemErrno = 0;
    QString message;

    bool isFailure() const { return code != 0; }
};

// One connection to a database file, closed when it goes. Every value goes into SQL
// through a prepared statement's bound parameters (Statement), never into its text.
class Database final {
public:
    Database() = default;
    ~Database();
    Q_DISABLE_COPY_MOVE(Database)

    // sqlite3_open_v2 with the flags given (SQLITE_OPEN_*), extended result codes on. The
    // path is bytes, as the system takes it. False, with lastError() set, when it fails;
    // the connection is then closed.
    bool open(const QByteArray &path, int flags);
    bool isOpen() const { return m_db != nullptr; }
    // Closes; with keepWal, without the checkpoint SQLite makes when the last connection
    // closes, so that a file this program will not use is not written to.
    void close(bool keepWal = false);
    sqlite3 *handle() const { return m_db; }

    // Runs SQL that takes no values (a PRAGMA, a schema statement, BEGIN ... COMMIT).
    bool exec(const char *sql);
    // The first column of the first row of SQL that takes no values, as text; a null
    // Field for no row or a NULL. *ok is false on failure.
    Field value(const char *sql, bool *ok);
    bool setBusyTimeout(int milliseconds);

    qint64 lastInsertId() const;
    int changes() const;

    const Failure &lastError() const { return m_failure; }
    // Records SQLite's own account of the call that returned rc; returns false.
    bool failed(int rc);
    // For a failure that SQLite did not report (a check of this program's).
    bool failedWith(int code, const QString &message);
    // Puts back a failure that a later call (a ROLLBACK after it) would hide.
    void keepFailure(const Failure &failure) { m_failure = failure; }

private:
    sqlite3 *m_db = nullptr;
    Failure m_failure;
};

// A prepared statement, finalized when it goes. Parameters are numbered from 1, columns
// from 0.
class Statement final {
public:
    Statement(Database &db, const char *sql);
    ~Statement();
    Q_DISABLE_COPY_MOVE(Statement)

    bool isValid() const { return m_stmt != nullptr; }

    // A text goes in as a text, as its UTF-16 units. A text that is not well-formed UTF-16
    // (a lone surrogate), which SQLite would not keep as it is, goes in as a blob of its
    // UTF-16 units instead, so that it comes back as it was; a null Field goes in as NULL.
    bool bind(int index, const Field &value);
    bool bind(int index, const QString &value) { return bind(index, Field(value)); }
    bool bind(int index, qint64 value);

    enum class Step { Row, Done, Failed };
    Step step();
    // Steps to the end; true when the statement ran whole.
    bool run() { return step() == Step::Done; }
    bool reset();

    bool isNull(int column) const;
    Field field(int column) const; // as bind() put it in
    QString text(int column) const { return field(column).value_or(QString()); }
    qint64 integer(int column) const;

private:
    Database &m_db;
    sqlite3_stmt *m_stmt = nullptr;
};

// A write transaction, taken at once (BEGIN IMMEDIATE): it waits for another writer, up to
// the busy timeout, before it reads anything, so that what it reads is what it changes.
// Rolled back unless committed.
class Transaction final {
public:
    explicit Transaction(Database &db);
    ~Transaction();
    Q_DISABLE_COPY_MOVE(Transaction)

    bool isActive() const { return m_active; }
    bool commit();

private:
    Database &m_db;
    bool m_active = false;
};

} // namespace tembra::sqlite
