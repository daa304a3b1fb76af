// tembra-readfile: the helper that reads a collection for the reader, the tool and the
// benchmark into sealed memory files, and hands them over on its standard output, a
// socket, saying meanwhile how far it has read (the messages are in handover/wire.h, the
// parent's side in handover/childreader.h). It is started by them and by nobody else:
// tembra-readfile PATH PARENT-PID.

#include "base/cuttext.h"
#include "base/filereplace.h"
#include "base/processsetup.h"
#include "base/uniquefd.h"
#include "handover/readfile/blockwriter.h"
#include "handover/readfile/progressreports.h"
#include "handover/wire.h"
#include "jet/jetreader.h"

#include <QByteArray>
#include <QtEndian>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tembra;

namespace {

void putU32(QByteArray *out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out->append(b, 4);
}

void putText(QByteArray *out, const QString &whole)
{
    const QString s = cutText(whole, wire::kMaxErrorUnits);
    putU32(out, quint32(s.size()));
    out->append(reinterpret_cast<const char *>(s.utf16()), s.size() * 2);
}

// Sends bytes on fd, with the descriptors fds attached to the first of them.
bool sendWithFiles(int fd, const QByteArray &bytes, const int *fds, int count)
{
    iovec part{const_cast<char *>(bytes.constData()), size_t(bytes.size())};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * wire::FileCount)] = {};
    if (count > 0) {
        message.msg_control = control;
        message.msg_controllen = CMSG_SPACE(sizeof(int) * size_t(count));
        cmsghdr *files = CMSG_FIRSTHDR(&message);
        files->cmsg_level = SOL_SOCKET;
        files->cmsg_type = SCM_RIGHTS;
        files->cmsg_len = CMSG_LEN(sizeof(int) * size_t(count));
        std::memcpy(CMSG_DATA(files), fds, sizeof(int) * size_t(count));
    }
    ssize_t sent = -1;
    do {
        sent = ::sendmsg(fd, &message, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    if (sent < 0)
        return false;
    return writeAll(fd, bytes.constData() + sent, qint64(bytes.size() - sent));
}

// The answer for a table read whole: 'D' with the three files.
bool sendTable(int fd, quint32 recorded, const UniqueFd (&files)[wire::FileCount])
{
    QByteArray answer(1, wire::kDone);
    putU32(&answer, recorded);
    int fds[wire::FileCount];
    for (int f = 0; f < wire::FileCount; ++f)
        fds[f] = files[f].get();
    return sendWithFiles(fd, answer, fds, wire::FileCount);
}

// The answer for a reading that failed: 'E' and why.
bool sendError(int fd, const Error &error)
{
    QByteArray answer(1, wire::kError);
    putU32(&answer, wire::codeOf(error.kind));
    putText(&answer, error.detail);
    putText(&answer, error.shown);
    return writeAll(fd, answer.constData(), qint64(answer.size()));
}

// The helper's whole work: reads path (once more if it changed meanwhile) into sealed
// memory files and sends them on fd, a socket; or sends why it could not. Returns the
// exit status.
int serveRead(const QByteArray &path, int fd)
{
    // At work: a program that watches can tell a helper past its own set-up.
    if (!writeAll(fd, &wire::kStarted, 1))
        return 1;
    struct stat st { };
    const qint64 fileSize = ::stat(path.constData(), &st) == 0 ? qint64(st.st_size) : 0;
    Error error;
    ProgressReports progress(fd);
    const std::unique_ptr<RowSink> read = JetReader::readHere(
        path,
        [fileSize](Error *why) -> std::unique_ptr<RowSink> {
            auto writer = std::make_unique<BlockWriter>(fileSize);
            if (!writer->open(why))
                return nullptr;
            return writer;
        },
        &error);
    progress.stop(); // the answer is the last message
    if (read) {
        auto *writer = static_cast<BlockWriter *>(read.get());
        UniqueFd fds[wire::FileCount];
        if (writer->finish(fds, &error))
            return sendTable(fd, writer->recorded(), fds) ? 0 : 1;
    }
    return sendError(fd, error) ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    setUpProcess();
    if (argc != 3)
        return 2;
    // Never outlive the program that reads through it, even stopped: the kernel ends the
    // helper when its parent goes. A parent that went before this line is no longer the
    // one the helper has, which is why the parent says who it is.
    bool ok = false;
    const long parent = QByteArray(argv[2]).toLong(&ok);
    if (!ok || ::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != pid_t(parent))
        return 2;
    // The name as it came, bytes that need not be UTF-8.
    return serveRead(QByteArray(argv[1]), 1);
}
