#pragma once

#include "collection/error.h"
#include "collection/hadithtable.h"
#include "jet/jetreader.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <sys/types.h>

namespace tembra {

// A collection read by a helper program of its own (tembra-readfile). The database
// library trusts the file it reads: a damaged or hostile file can make it read out of
// bounds, crash or loop. The helper reads the file and streams the rows back through a
// pipe; if it dies or stops answering, the file is reported as damaged.
//
// The helper is a fresh program started with posix_spawn, never a fork of this one:
// after a fork in a process that runs threads (Qt starts several) the child could
// deadlock on a lock another thread held. So a read may start at any moment, and the
// program starts it first thing, to read while the windows come up.
class ChildRead final {
    Q_DISABLE_COPY(ChildRead)

public:
    ChildRead() = default;
    ChildRead(ChildRead &&other) noexcept;
    ChildRead &operator=(ChildRead &&other) noexcept;
    ~ChildRead(); // a read never collected is stopped

    // Starts the helper on the collection at path.
    static ChildRead start(const QString &path);
    // Starts any program whose standard output speaks the helper's stream (tests).
    static ChildRead startProgram(const QString &program, const QStringList &args);

    // Waits for the rows. A helper that dies, sends something it should not, or sends
    // nothing for stallMs gives a Damaged error; *table is then empty. A helper that says
    // the file changed while it read it is started once more.
    bool collect(HadithTable *table, Error *error, int stallMs = 30000);
    // Ends a collect running on another thread at once, as a failure (the program is
    // closing and the rows are no longer wanted).
    void cancel();

    // Where the helper was looked for and found; empty if it was not.
    static QString helperPath();

private:
    bool collectOnce(HadithTable *table, Error *error, int stallMs);
    bool collectStream(HadithTable *table, Error *error, int stallMs);

    QString m_program; // what was started, to start it again
    QStringList m_args;
    pid_t m_pid = -1;
    int m_fd = -1;
    int m_wake[2] = {-1, -1}; // cancel() writes, collect() wakes
    Error m_startError; // why the helper could not be started
    QString m_path; // read here, in this process, when there is no helper
};

// The helper's end: rows go out on fd in blocks of about a megabyte, then the end of
// the stream or the error.
class StreamSink final : public RowSink {
public:
    explicit StreamSink(int fd);
    bool addRow(const QString *values, const bool *isNull) override;
    bool finish(bool ok, const Error &error);

private:
    bool flush();

    int m_fd;
    QByteArray m_buffer;
};

// The helper program's whole work: reads path and streams it to fd. Returns the exit
// status for the helper.
int serveRead(const QString &path, int fd);

} // namespace tembra
