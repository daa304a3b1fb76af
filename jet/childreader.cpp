// The helper program and the stream it speaks: a row is 'R' and, for each of Tab1 ..
// Tab5, a NULL flag byte and, unless NULL, the length in UTF-16 units (32-bit little
// endian) and the units; the stream ends with 'D' and the number of rows Table1 records
// (32-bit little endian), or with 'E', the error's kind, its detail and its Sorani detail.

#include "jet/childreader.h"

#include "collection/texts.h"

#include "collection/filereplace.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QtEndian>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace tembra {

namespace {

constexpr char kRow = 'R';
constexpr char kDone = 'D';
constexpr char kError = 'E';
constexpr quint32 kMaxUnits = 64u << 20; // more than any value a Jet file can hold
constexpr const char kHelperName[] = "tembra-readfile";

bool writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

void putU32(QByteArray *out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out->append(b, 4);
}

void putText(QByteArray *out, const QString &s)
{
    putU32(out, quint32(s.size()));
    out->append(reinterpret_cast<const char *>(s.utf16()), s.size() * 2);
}

// The parent's end: takes whole messages from the bytes received so far.
class StreamParser {
public:
    enum State { More, Done, Failed, Garbled };

    State parse(const char *data, qsizetype size, qsizetype *used)
    {
        qsizetype pos = 0;
        State state = More;
        while (pos < size) {
            const qsizetype start = pos;
            const char tag = data[pos++];
            if (tag == kDone) {
                if (!takeU32(data, size, &pos, &recorded)) {
                    pos = start;
                    break;
                }
                state = Done;
                break;
            }
            if (tag == kError) {
                quint32 kind = 0;
                QString detail;
                QString shown;
                if (!takeU32(data, size, &pos, &kind) || !takeText(data, size, &pos, &detail)
                    || !takeText(data, size, &pos, &shown)) {
                    pos = start;
                    break;
                }
                error.kind = kind >= Error::NoFile && kind <= Error::NoMemory ? Error::Kind(kind)
                                                                              : Error::Damaged;
                error.detail = detail;
                error.shown = shown;
                state = Failed;
                break;
            }
            if (tag != kRow) {
                state = Garbled;
                break;
            }
            // Take the row only when all of it has come.
            qsizetype at = pos;
            qsizetype offset[kColumnCount] = {};
            quint32 units[kColumnCount] = {};
            bool complete = true;
            for (int c = 0; c < kColumnCount && complete; ++c) {
                if (at >= size) {
                    complete = false;
                    break;
                }
                m_null[c] = data[at++] != 0;
                if (m_null[c])
                    continue;
                if (!takeU32(data, size, &at, &units[c])) {
                    complete = false;
                } else if (units[c] > kMaxUnits) {
                    *used = start;
                    return Garbled;
                } else if (size - at < qsizetype(units[c]) * 2) {
                    complete = false;
                } else {
                    offset[c] = at;
                    at += qsizetype(units[c]) * 2;
                }
            }
            if (!complete) {
                pos = start;
                break;
            }
            table.appendRow();
            for (int c = 0; c < kColumnCount; ++c) {
                if (!m_null[c])
                    table.setFieldUtf16(c, data + offset[c], qsizetype(units[c]));
            }
            pos = at;
        }
        *used = pos;
        return state;
    }

    HadithTable table;
    quint32 recorded = 0; // the rows Table1 records, as the end of the stream says
    Error error;

private:
    bool takeU32(const char *data, qsizetype size, qsizetype *pos, quint32 *v)
    {
        if (size - *pos < 4)
            return false;
        *v = qFromLittleEndian<quint32>(data + *pos);
        *pos += 4;
        return true;
    }

    bool takeText(const char *data, qsizetype size, qsizetype *pos, QString *out)
    {
        quint32 units = 0;
        if (!takeU32(data, size, pos, &units))
            return false;
        if (units > kMaxUnits || size - *pos < qsizetype(units) * 2)
            return false;
        *out = QString(reinterpret_cast<const QChar *>(data + *pos), qsizetype(units));
        *pos += qsizetype(units) * 2;
        return true;
    }

    bool m_null[kColumnCount] = {};
};

} // namespace

StreamSink::StreamSink(int fd) : m_fd(fd)
{
    m_buffer.reserve(2 << 20);
}

bool StreamSink::addRow(const QString *values, const bool *isNull)
{
    m_buffer.append(kRow);
    for (int c = 0; c < kColumnCount; ++c) {
        m_buffer.append(char(isNull[c] ? 1 : 0));
        if (!isNull[c])
            putText(&m_buffer, values[c]);
    }
    return m_buffer.size() < (1 << 20) || flush();
}

bool StreamSink::finish(bool ok, const Error &error)
{
    if (ok) {
        m_buffer.append(kDone);
        putU32(&m_buffer, m_recorded);
    } else {
        m_buffer.append(kError);
        putU32(&m_buffer, quint32(error.kind));
        putText(&m_buffer, error.detail);
        putText(&m_buffer, error.shown);
    }
    return flush();
}

bool StreamSink::flush()
{
    const bool ok = writeAll(m_fd, m_buffer.constData(), size_t(m_buffer.size()));
    m_buffer.resize(0); // keeps the allocation for the next block
    return ok;
}

int serveRead(const QString &path, int fd)
{
    StreamSink sink(fd);
    Error error;
    const bool ok = JetReader::readHere(path, &sink, &error);
    return sink.finish(ok, error) ? 0 : 1;
}

QString ChildRead::helperPath(QString *why)
{
    // Only where the running program's own installation puts it: beside the program (the
    // build tree, or a folder the programs were copied to together), or in the libexec
    // folder beside its bin folder. A path written into the program would find a helper
    // of another build or another installation, or one that someone else placed there.
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) {
        if (why)
            *why = QStringLiteral("the running program's own path cannot be found "
                                  "(/proc/self/exe: %1)")
                       .arg(QString::fromLocal8Bit(strerror(errno)));
        return {};
    }
    QString dir = QFile::decodeName(QByteArray(self, n));
    dir.truncate(dir.lastIndexOf(QLatin1Char('/')) + 1);
    QStringList looked;
    for (const QString &candidate : {dir + QLatin1String(kHelperName),
                                     QDir::cleanPath(dir + QLatin1String("../libexec/tembra/")
                                                     + QLatin1String(kHelperName))}) {
        const QByteArray name = QFile::encodeName(candidate);
        struct stat st { };
        if (::stat(name.constData(), &st) != 0)
            looked << QStringLiteral("%1 (%2)").arg(candidate,
                                                    QString::fromLocal8Bit(strerror(errno)));
        else if (!S_ISREG(st.st_mode))
            looked << QStringLiteral("%1 (%2, not a program)").arg(candidate, fileKind(st.st_mode));
        else if (::access(name.constData(), X_OK) != 0)
            looked << QStringLiteral("%1 (not executable: %2)")
                          .arg(candidate, QString::fromLocal8Bit(strerror(errno)));
        else
            return candidate;
    }
    if (why)
        *why = looked.join(QStringLiteral("; "));
    return {};
}

ChildRead ChildRead::start(const QString &path)
{
    QString why;
    const QString helper = helperPath(&why);
    if (helper.isEmpty()) {
        ChildRead read;
        // The places looked at, for the reader to tell whoever installed it.
        QStringList places = why.split(QStringLiteral("; "));
        for (QString &place : places)
            place.truncate(place.indexOf(QStringLiteral(" (")));
        fail(&read.m_startError, Error::HelperMissing,
             QStringLiteral("the reading helper %1 is not where the program looks for it: %2")
                 .arg(QLatin1String(kHelperName), why),
             places.join(QLatin1Char('\n')));
        return read;
    }
    // The helper ends itself when the process that started it is gone; it is told which
    // one that is, since the parent it finds may already be another.
    ChildRead read = startProgram(helper, {path, QString::number(::getpid())});
    read.m_file = path;
    return read;
}

ChildRead ChildRead::startProgram(const QString &program, const QStringList &args)
{
    ChildRead read;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        fail(&read.m_startError, Error::HelperFailed,
             QStringLiteral("no pipe for the reading helper: %1")
                 .arg(QString::fromLocal8Bit(strerror(errno))));
        return read;
    }
    // A wide pipe: the rows cross in fewer, larger pieces.
    ::fcntl(fds[1], F_SETPIPE_SZ, 1 << 20);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    // A fault in the helper should end it at once: handlers this program set (a crash
    // reporter, say) could keep it alive and silent instead.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int sig : {SIGSEGV, SIGBUS, SIGABRT, SIGILL, SIGFPE, SIGPIPE})
        sigaddset(&defaults, sig);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    const QByteArray file = QFile::encodeName(program);
    std::vector<QByteArray> argBytes{file};
    for (const QString &arg : args)
        argBytes.push_back(QFile::encodeName(arg));
    std::vector<char *> argv;
    for (QByteArray &arg : argBytes)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    pid_t pid = -1;
    const int failed = posix_spawn(&pid, file.constData(), &actions, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    ::close(fds[1]);
    if (failed != 0) {
        ::close(fds[0]);
        fail(&read.m_startError, Error::HelperMissing,
             QStringLiteral("the reading helper %1 cannot be started: %2")
                 .arg(program, QString::fromLocal8Bit(strerror(failed))),
             program);
        return read;
    }
    read.m_pid = pid;
    read.m_fd = fds[0];
    if (::pipe2(read.m_wake, O_CLOEXEC) != 0)
        read.m_wake[0] = read.m_wake[1] = -1;
    read.m_program = program;
    read.m_args = args;
    return read;
}

ChildRead::ChildRead(ChildRead &&other) noexcept
{
    *this = std::move(other);
}

ChildRead &ChildRead::operator=(ChildRead &&other) noexcept
{
    std::swap(m_program, other.m_program);
    std::swap(m_args, other.m_args);
    std::swap(m_file, other.m_file);
    std::swap(m_pid, other.m_pid);
    std::swap(m_fd, other.m_fd);
    std::swap(m_wake, other.m_wake);
    std::swap(m_startError, other.m_startError);
    return *this;
}

ChildRead::~ChildRead()
{
    for (int fd : {m_fd, m_wake[0], m_wake[1]}) {
        if (fd >= 0)
            ::close(fd);
    }
    endHelper();
}

void ChildRead::cancel()
{
    if (m_wake[1] >= 0) {
        const char byte = 1;
        while (::write(m_wake[1], &byte, 1) < 0 && errno == EINTR) { }
    }
}

// Waits at most boundMs for the helper to end, and takes its status; false if it has
// not ended by then or the read was cancelled meanwhile.
bool ChildRead::waitForExit(int boundMs, int *status)
{
    QElapsedTimer timer;
    timer.start();
    int pause = 1;
    for (;;) {
        const pid_t reaped = ::waitpid(m_pid, status, WNOHANG);
        if (reaped == m_pid) {
            m_pid = -1;
            return true;
        }
        if (reaped < 0 && errno == EINTR)
            continue;
        if (reaped < 0) {
            // Someone else took its status (SIGCHLD ignored): what it sent is all there is.
            *status = 0;
            m_pid = -1;
            return true;
        }
        const qint64 left = boundMs - timer.elapsed();
        if (left <= 0)
            return false;
        // Sleeps on the wake pipe, so that a cancel ends the wait at once.
        pollfd wake = {m_wake[0], POLLIN, 0};
        if (::poll(&wake, m_wake[0] >= 0 ? 1 : 0, int(std::min<qint64>(pause, left))) > 0)
            return false;
        pause = std::min(pause * 2, 50);
    }
}

bool ChildRead::cancelRequested() const
{
    pollfd wake = {m_wake[0], POLLIN, 0};
    return m_wake[0] >= 0 && ::poll(&wake, 1, 0) > 0;
}

// Ends the helper and takes its status. SIGKILL ends any process but one held in the
// kernel (a disk that does not answer); that one is left to the system rather than
// hold up the program, once a bounded wait is over.
void ChildRead::endHelper()
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGKILL);
    const int wake = m_wake[0];
    m_wake[0] = -1; // a cancel does not cut this wait short
    int status = 0;
    waitForExit(5000, &status);
    m_wake[0] = wake;
    m_pid = -1;
}

bool ChildRead::collect(HadithTable *table, Error *error, int stallMs)
{
    *table = HadithTable();
    if (m_startError.isError()) {
        if (error)
            *error = m_startError;
        return false;
    }
    if (m_pid <= 0)
        return fail(error, Error::HelperFailed, QStringLiteral("no reading was started"));
    Error why;
    if (collectOnce(table, &why, stallMs))
        return true;
    if (why.kind == Error::Changed) {
        if (!m_file.isEmpty())
            JetReader::waitUntilStill(m_file);
        // A second helper for the second reading; the wake pipe stays, so that a
        // cancel() from another thread still reaches this read.
        ChildRead again = startProgram(m_program, m_args);
        std::swap(m_pid, again.m_pid);
        std::swap(m_fd, again.m_fd);
        m_startError = again.m_startError;
        why = m_startError;
        if (!why.isError() && collectOnce(table, &why, stallMs))
            return true;
    }
    if (error)
        *error = why;
    return false;
}

bool ChildRead::collectOnce(HadithTable *table, Error *error, int stallMs)
{
    try {
        return collectStream(table, error, stallMs);
    } catch (const std::bad_alloc &) {
        // The rows received so far go with the parser.
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
        endHelper();
        return fail(error, Error::NoMemory,
                    QStringLiteral("there is not enough memory to hold the collection"));
    }
}

bool ChildRead::collectStream(HadithTable *table, Error *error, int stallMs)
{
    StreamParser parser;
    // Bytes received and not yet taken lie in buffer[begin, end); the buffer grows only
    // for a row larger than itself.
    std::vector<char> buffer(size_t(4) << 20);
    size_t begin = 0;
    size_t end = 0;
    StreamParser::State state = StreamParser::More;
    enum { Streaming, Stalled, Cancelled, Closed, ReadFailed } ended = Streaming;
    int readError = 0;
    while (state == StreamParser::More) {
        pollfd p[2] = {{m_fd, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        const int ready = ::poll(p, m_wake[0] >= 0 ? 2 : 1, stallMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            ended = Stalled;
            break;
        }
        if (p[1].revents != 0) {
            ended = Cancelled;
            break;
        }
        if (begin > 0 && end + (1 << 20) > buffer.size()) {
            std::memmove(buffer.data(), buffer.data() + begin, end - begin);
            end -= begin;
            begin = 0;
        }
        if (end == buffer.size())
            buffer.resize(buffer.size() * 2);
        const ssize_t n = ::read(m_fd, buffer.data() + end, buffer.size() - end);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            readError = errno;
            ended = ReadFailed;
            break;
        }
        if (n == 0) {
            ended = Closed;
            break;
        }
        end += size_t(n);
        qsizetype used = 0;
        state = parser.parse(buffer.data() + begin, qsizetype(end - begin), &used);
        begin += size_t(used);
    }
    if (state == StreamParser::Done && begin != end)
        state = StreamParser::Garbled; // bytes after the end
    ::close(m_fd);
    m_fd = -1;

    // What became of the helper. One that answered, or closed its output, must end
    // within the bound; any other is ended at once, a stalled one once it is known
    // whether it was stopped.
    int status = 0;
    bool exited = false;
    bool overdue = false;
    int stopSignal = 0;
    const bool answered = state == StreamParser::Done || state == StreamParser::Failed
        || (state == StreamParser::More && ended == Closed);
    if (answered) {
        exited = waitForExit(stallMs, &status);
        overdue = !exited;
    } else if (ended == Stalled) {
        const pid_t reaped = ::waitpid(m_pid, &status, WNOHANG | WUNTRACED);
        if (reaped == m_pid && WIFSTOPPED(status))
            stopSignal = WSTOPSIG(status);
        if (reaped == m_pid && !WIFSTOPPED(status)) {
            exited = true;
            m_pid = -1;
        }
    }
    if (!exited)
        endHelper();

    const auto failed
        = [error](Error::Kind kind, const QString &detail) { return fail(error, kind, detail); };
    const QString seconds = QString::number(stallMs / 1000.0);
    if (ended == Cancelled || (overdue && cancelRequested()))
        return failed(Error::HelperStopped, QStringLiteral("the reading was cancelled"));
    if (ended == Stalled) {
        return failed(
            Error::HelperStopped,
            (stopSignal ? QStringLiteral("the reading helper was stopped by signal %1 (%2) and ")
                              .arg(stopSignal)
                              .arg(QString::fromLocal8Bit(strsignal(stopSignal)))
                        : QStringLiteral("the reading helper "))
                + QStringLiteral("made no progress for %1 seconds; it was ended").arg(seconds));
    }
    if (state == StreamParser::Garbled)
        return failed(Error::HelperFailed,
                      QStringLiteral("the reading helper sent back something it should not have"));
    if (state == StreamParser::Failed) {
        if (error)
            *error = parser.error; // what the helper's own checks found
        return false;
    }
    if (overdue)
        return failed(Error::HelperStopped,
                      QStringLiteral("the reading helper did not end within %1 seconds of its "
                                     "last byte; it was ended")
                          .arg(seconds));
    if (WIFSIGNALED(status)) {
        const int sig = WTERMSIG(status);
        const QString said = QStringLiteral("the reading helper was ended by signal %1 (%2)")
                                 .arg(sig)
                                 .arg(QString::fromLocal8Bit(strsignal(sig)));
        return failed(sig == SIGKILL ? Error::HelperKilled : Error::HelperCrashed, said);
    }
    if (ended == ReadFailed)
        return failed(Error::HelperFailed,
                      QStringLiteral("the reading helper's answer cannot be read: %1")
                          .arg(QString::fromLocal8Bit(strerror(readError))));
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (state != StreamParser::Done)
        return failed(Error::HelperFailed,
                      QStringLiteral("the reading helper ended without a whole answer (exit "
                                     "status %1)")
                          .arg(code));
    if (code != 0)
        return failed(Error::HelperFailed,
                      QStringLiteral("the reading helper ended with exit status %1 after its "
                                     "rows")
                          .arg(code));
    if (quint32(parser.table.rowCount()) != parser.recorded) {
        failed(Error::HelperFailed,
               QStringLiteral("the reading helper sent %1 rows, but Table1 records %2")
                   .arg(parser.table.rowCount())
                   .arg(parser.recorded));
        if (error)
            error->shown = texts::rowsDetail(parser.recorded, parser.table.rowCount());
        return false;
    }
    parser.table.squeeze();
    *table = std::move(parser.table);
    return true;
}

bool JetReader::read(const QString &path, HadithTable *table, Error *error)
{
    return ChildRead::start(path).collect(table, error);
}

} // namespace tembra
