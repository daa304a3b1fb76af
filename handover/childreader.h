#pragma once

#include "base/error.h"
#include "jet/jetreader.h"
#include "search/hadithtable.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <sys/types.h>

namespace tembra {

// A collection read by a helper program of its own (tembra-readfile). The database
// library trusts the file it reads: a damaged or hostile file can make it read out of
// bounds, crash or loop. The helper reads the file and streams the rows back through a
// pipe; the program never reads a collection itself.
//
// The helper is trusted no further than it is checked: its stream must end with the
// number of rows Table1 records and hold exactly that many, the helper must then end
// with status 0, and no wait on it is longer than the stall bound (past it, the helper is
// ended and the read fails, saying so). A helper that fails is said to have failed as
// it did (stopped, ended by a signal, ended without an answer); only the helper's own
// checks of the file call the file damaged.
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

    // Starts the helper on the collection at path. The helper is looked for beside the
    // running program and in ../libexec/tembra/ from it, and nowhere else; without it,
    // collect() fails with HelperMissing.
    static ChildRead start(const QString &path);
    // Reads the collection at path through the helper, start to finish: a file which makes
    // the database library crash or hang costs an error message, not the program. On
    // failure *table is left empty and *error says why.
    static bool read(const QString &path, HadithTable *table, Error *error);
    // Starts any program whose standard output speaks as the helper does (tests).
    static ChildRead startProgram(const QString &program, const QStringList &args);

    // Waits for the table. *table is empty on failure. stallMs bounds every wait: for the
    // next bytes, and for the helper to end once it has sent its last. (A file that
    // changed while the helper read it, the helper reads once more itself.)
    bool collect(HadithTable *table, Error *error, int stallMs = 30000);
    // Ends a collect running on another thread at once, as a failure (the program is
    // closing and the rows are no longer wanted).
    void cancel();

    // Where the helper is, for the running program: empty if it is in neither place,
    // with *why naming the places looked at.
    static QString helperPath(QString *why = nullptr);

private:
    bool collectOnce(HadithTable *table, Error *error, int stallMs);
    bool collectStream(HadithTable *table, Error *error, int stallMs);
    bool waitForExit(int boundMs, int *status);
    bool cancelRequested() const;
    void endHelper();

    void release();

    QString m_file; // the collection, whose size bounds what the helper may send
    pid_t m_pid = -1;
    int m_fd = -1;
    int m_wake[2] = {-1, -1}; // cancel() writes, collect() wakes
    Error m_startError; // why the helper could not be started
};

// The helper program's whole work: reads path (once more if it changed meanwhile) into
// sealed memory files and sends them on fd, a socket; or sends why it could not. Returns
// the exit status for the helper.
int serveRead(const QString &path, int fd);

} // namespace tembra
