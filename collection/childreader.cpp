// Reading a collection in a child process. The database library trusts the file it
// reads: a damaged or hostile file can make it read out of bounds, crash or loop. The
// child reads the file and streams the rows back through a pipe; if it dies or stops
// answering, the program says the file is damaged and goes on.

#include "jetreader.h"

#include <QtEndian>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace tembra {

namespace {

constexpr char kRow = 'R';
constexpr char kDone = 'D';
constexpr char kError = 'E';
constexpr quint32 kMaxUnits = 64u << 20; // more than any value a Jet file can hold

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

// The child's end: rows go out in blocks of about a megabyte.
class PipeSink final : public RowSink {
public:
    explicit PipeSink(int fd) : m_fd(fd) { m_buffer.reserve(2 << 20); }

    bool addRow(const QString *values, const bool *isNull) override
    {
        m_buffer.append(kRow);
        for (int c = 0; c < kColumnCount; ++c) {
            m_buffer.append(char(isNull[c] ? 1 : 0));
            if (!isNull[c])
                putText(&m_buffer, values[c]);
        }
        return m_buffer.size() < (1 << 20) || flush();
    }

    bool finish(bool ok, const ReadError &error)
    {
        if (ok) {
            m_buffer.append(kDone);
        } else {
            m_buffer.append(kError);
            putU32(&m_buffer, quint32(error.kind));
            putText(&m_buffer, error.detail);
        }
        return flush();
    }

private:
    bool flush()
    {
        const bool ok = writeAll(m_fd, m_buffer.constData(), size_t(m_buffer.size()));
        m_buffer.resize(0); // keeps the allocation for the next block
        return ok;
    }

    int m_fd;
    QByteArray m_buffer;
};

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
                state = Done;
                break;
            }
            if (tag == kError) {
                quint32 kind = 0;
                QString detail;
                if (!takeU32(data, size, &pos, &kind) || !takeText(data, size, &pos, &detail)) {
                    pos = start;
                    break;
                }
                error.kind
                    = kind <= ReadError::MissingColumn ? ReadError::Kind(kind) : ReadError::Damaged;
                error.detail = detail;
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
    ReadError error;

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

bool fail(ReadError *error, const QString &detail)
{
    if (error) {
        error->kind = ReadError::Damaged;
        error->detail = detail;
    }
    return false;
}

} // namespace

bool JetReader::read(const QString &path, HadithTable *table, ReadError *error)
{
    return readInChild(
        [&path](RowSink *sink, ReadError *childError) { return readHere(path, sink, childError); },
        table, error);
}

bool JetReader::readInChild(const std::function<bool(RowSink *, ReadError *)> &work,
                            HadithTable *table, ReadError *error, int stallMs)
{
    *table = HadithTable();
    const auto readHereAfterAll = [&] {
        TableSink sink;
        if (!work(&sink, error))
            return false;
        sink.table.squeeze();
        *table = std::move(sink.table);
        return true;
    };
    int fds[2];
    if (::pipe(fds) != 0)
        return readHereAfterAll(); // no pipe to be had

    // A wide pipe: the rows cross in fewer, larger pieces.
    ::fcntl(fds[1], F_SETPIPE_SZ, 1 << 20);
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return readHereAfterAll();
    }
    if (pid == 0) {
        // A fault in the child should end it at once; handlers inherited from the
        // parent (a crash reporter, say) could keep it alive and silent instead.
        for (int sig : {SIGSEGV, SIGBUS, SIGABRT, SIGILL, SIGFPE})
            ::signal(sig, SIG_DFL);
        ::close(fds[0]);
        PipeSink sink(fds[1]);
        ReadError childError;
        const bool ok = work(&sink, &childError);
        sink.finish(ok, childError);
        ::_exit(0); // no destructors or exit handlers of the parent's objects
    }

    ::close(fds[1]);
    StreamParser parser;
    // Bytes received and not yet taken lie in buffer[begin, end); the buffer grows only
    // for a row larger than itself.
    std::vector<char> buffer(size_t(4) << 20);
    size_t begin = 0;
    size_t end = 0;
    StreamParser::State state = StreamParser::More;
    bool stalled = false;
    while (state == StreamParser::More) {
        pollfd p{fds[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, stallMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            stalled = true;
            break;
        }
        if (begin > 0 && end + (1 << 20) > buffer.size()) {
            std::memmove(buffer.data(), buffer.data() + begin, end - begin);
            end -= begin;
            begin = 0;
        }
        if (end == buffer.size())
            buffer.resize(buffer.size() * 2);
        const ssize_t n = ::read(fds[0], buffer.data() + end, buffer.size() - end);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // the child is gone
        end += size_t(n);
        qsizetype used = 0;
        state = parser.parse(buffer.data() + begin, qsizetype(end - begin), &used);
        begin += size_t(used);
    }
    ::close(fds[0]);
    if (stalled || state != StreamParser::Done)
        ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }

    switch (state) {
    case StreamParser::Done:
        parser.table.squeeze();
        *table = std::move(parser.table);
        return true;
    case StreamParser::Failed:
        if (error)
            *error = parser.error;
        return false;
    case StreamParser::Garbled:
        return fail(error, QStringLiteral("the reader sent back something it should not have"));
    case StreamParser::More: break;
    }
    if (stalled)
        return fail(error,
                    QStringLiteral("reading the file stopped making progress after %1 "
                                   "seconds; the file is probably damaged")
                        .arg(stallMs / 1000.0));
    if (WIFSIGNALED(status))
        return fail(error,
                    QStringLiteral("the database library failed on this file (signal %1, "
                                   "%2); the file is damaged")
                        .arg(WTERMSIG(status))
                        .arg(QString::fromLocal8Bit(strsignal(WTERMSIG(status)))));
    return fail(error,
                QStringLiteral("the database library stopped on this file without an "
                               "answer (exit status %1)")
                    .arg(WIFEXITED(status) ? WEXITSTATUS(status) : -1));
}

} // namespace tembra
