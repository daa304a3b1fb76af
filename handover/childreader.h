#pragma once

#include "base/error.h"
#include "base/uniquefd.h"
#include "jet/jetreader.h"
#include "search/hadithtable.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

#include <sys/types.h>

namespace tembra {

struct Answer;

// A collection read by a helper program of its own (tembra-readfile). The database
// library trusts the file it reads: a damaged or hostile file can make it read out of
// bounds, crash or loop. The helper reads the file into three sealed memory files in the
// table's final form, and hands them over on a socket (tableblock.h); the program maps
// them and never reads a collection itself.
//
// The helper is trusted no further than it is checked. Its answer is read message by
// message, each of a length its first byte gives, with bounded texts; files are taken
// only with the one message that carries them, and any others are closed at once and the
// answer refused. The table's every count is checked against what a file of the
// collection's size can give before anything is touched, and the rows must be as many
// as Table1 records; the helper must then end with status 0. It says every half second
// how far it has read: one that makes no progress for the stall bound, or takes longer than
// a file of its size may take, is ended and the read fails, saying so. A helper that
// fails is said to have failed as it did (stopped, ended by a signal, ended without an
// answer); only the helper's own checks of the file call the file damaged.
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
    // path is the collection's name as the system knows it: bytes, which need not be
    // UTF-8, passed to the helper as they are.
    static ChildRead start(const QByteArray &path);
    // Reads the collection at path through the helper, start to finish: a file which makes
    // the database library crash or hang costs an error message, not the program. On
    // failure *table is left empty and *error says why.
    static bool read(const QByteArray &path, HadithTable *table, Error *error);
    // Starts any program whose standard output speaks as the helper does (tests); the
    // answer is bounded as one for the collection at collection would be (as one for an
    // empty file if none is given).
    static ChildRead startProgram(const QString &program, const QStringList &args,
                                  const QString &collection = QString());

    // How long the helper is waited for. A slow disk is let finish: a helper reading a
    // 70 MB collection at 2 MB/s takes 37 seconds, and says every half second how far it
    // has come.
    struct Limits {
        // The longest wait for progress (the helper's start, more bytes read, its answer),
        // and for the helper to end once it has answered.
        int stallMs = 30000;
        // The whole answer: this long, and as long again as reading the collection at
        // the rate below takes.
        int baseMs = 30000;
        qint64 bytesPerSecond = 100000;
    };

    // Waits for the table. *table is empty on failure. (A file that changed while the
    // helper read it, the helper reads once more itself.)
    bool collect(HadithTable *table, Error *error, const Limits &limits);
    bool collect(HadithTable *table, Error *error) { return collect(table, error, Limits()); }
    // Ends a collect running on another thread at once, as a failure (the program is
    // closing and the rows are no longer wanted).
    void cancel();

    // Where the helper is, for the running program, as a message shows it: empty if it
    // is in neither place.
    static QString helperPath();

private:
    static QByteArray helperFile(QString *why);
    static ChildRead launch(std::vector<QByteArray> argv, const QByteArray &collection);
    bool collectOnce(HadithTable *table, Error *error, const Limits &limits);
    bool collectAnswer(HadithTable *table, Error *error, const Limits &limits);
    // What became of the helper after its answer: its status if it ended (or was made
    // to), whether it failed to end in time, the signal that had stopped it.
    struct HelperEnd {
        int status = 0;
        bool exited = false;
        bool overdue = false;
        int stopSignal = 0;
        bool unknown = false; // it is gone, but its status went elsewhere
    };
    HelperEnd settleHelper(const Answer &answer, const Limits &limits);
    bool waitForExit(int boundMs, int *status, bool cancellable = true);
    bool cancelRequested() const;
    void endHelper();

    void release();

    QByteArray m_file; // the collection, whose size bounds what the helper may send
    pid_t m_pid = -1;
    bool m_endUnknown = false; // waitpid found no child: its status went elsewhere
    UniqueFd m_fd; // the socket the helper answers on
    UniqueFd m_wake[2]; // a pipe: cancel() writes, collect() wakes
    Error m_startError; // why the helper could not be started
};

} // namespace tembra
