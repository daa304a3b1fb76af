// The parent's side of the reading helper: starting it, waiting for it, ending it, and
// judging what it answered (answer.h reads the messages, adoptblock.h checks the table's
// files). The helper's own side is the program in readfile/.

#include "handover/childreader.h"

#include "base/filereplace.h"
#include "base/texts.h"
#include "handover/adoptblock.h"
#include "handover/answer.h"
#include "handover/wire.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace tembra {

namespace {

constexpr const char kHelperName[] = "tembra-readfile";

// Starts the program argv[0] with the arguments argv, its standard input /dev/null and
// its standard output out; 0, or the system's reason it could not.
int spawn(std::vector<QByteArray> argv, int out, pid_t *pid)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out, 1);
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

    std::vector<char *> pointers;
    for (QByteArray &arg : argv)
        pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    const int failed
        = posix_spawn(pid, argv[0].constData(), &actions, &attr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    return failed;
}

} // namespace

QByteArray ChildRead::helperFile(QString *why)
{
    // Only where the running program's own installation puts it: beside the program (the
    // build tree, or a folder the programs were copied to together), or in the libexec
    // folder beside its bin folder. A path written into the program would find a helper
    // of another build or another installation, or one that someone else placed there.
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) {
        *why = QStringLiteral("the running program's own path cannot be found "
                              "(/proc/self/exe: %1)")
                   .arg(systemReason(errno));
        return {};
    }
    // Bytes all the way: a folder whose name is not UTF-8 still holds the helper.
    QByteArray dir(self, n);
    dir.truncate(dir.lastIndexOf('/') + 1);
    QStringList looked;
    for (const QByteArray &candidate :
         {dir + kHelperName, dir + "../libexec/tembra/" + kHelperName}) {
        const QString shown = QDir::cleanPath(QFile::decodeName(candidate));
        struct stat st { };
        if (::stat(candidate.constData(), &st) != 0)
            looked << QStringLiteral("%1 (%2)").arg(shown, systemReason(errno));
        else if (!S_ISREG(st.st_mode))
            looked << QStringLiteral("%1 (%2, not a program)").arg(shown, fileKind(st.st_mode));
        else if (::access(candidate.constData(), X_OK) != 0)
            looked << QStringLiteral("%1 (not executable: %2)").arg(shown, systemReason(errno));
        else
            return candidate;
    }
    *why = looked.join(QStringLiteral("; "));
    return {};
}

QString ChildRead::helperPath()
{
    QString why;
    return QFile::decodeName(helperFile(&why));
}

ChildRead ChildRead::start(const QByteArray &path)
{
    QString why;
    const QByteArray helper = helperFile(&why);
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
    return launch({helper, path, QByteArray::number(::getpid())}, path);
}

ChildRead ChildRead::startProgram(const QString &program, const QStringList &args,
                                  const QString &collection)
{
    std::vector<QByteArray> argv{QFile::encodeName(program)};
    for (const QString &arg : args)
        argv.push_back(QFile::encodeName(arg));
    return launch(std::move(argv), QFile::encodeName(collection));
}

ChildRead ChildRead::launch(std::vector<QByteArray> argv, const QByteArray &collection)
{
    ChildRead read;
    read.m_file = collection;
    // A socket, not a pipe: the table's files come back over it.
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        fail(&read.m_startError, Error::HelperFailed,
             QStringLiteral("no socket for the reading helper: %1").arg(systemReason(errno)));
        return read;
    }
    UniqueFd ours(pair[0]);
    const UniqueFd theirs(pair[1]); // the helper's copy is all it needs
    const QString program = QFile::decodeName(argv[0]);
    pid_t pid = -1;
    const int failed = spawn(std::move(argv), theirs.get(), &pid);
    if (failed != 0) {
        fail(&read.m_startError, Error::HelperMissing,
             QStringLiteral("the reading helper %1 cannot be started: %2")
                 .arg(program, systemReason(failed)),
             program);
        return read;
    }
    read.m_pid = pid;
    read.m_fd = std::move(ours);
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC) == 0) {
        read.m_wake[0].reset(wake[0]);
        read.m_wake[1].reset(wake[1]);
    }
    return read;
}

ChildRead::ChildRead(ChildRead &&other) noexcept
{
    *this = std::move(other);
}

// The read moves whole: what this object read before is ended first, and the moved-from
// object is left with no helper, no descriptor and nothing to end.
ChildRead &ChildRead::operator=(ChildRead &&other) noexcept
{
    if (this == &other)
        return *this;
    release();
    m_file = std::move(other.m_file);
    m_pid = std::exchange(other.m_pid, -1);
    m_endUnknown = std::exchange(other.m_endUnknown, false);
    m_fd = std::move(other.m_fd);
    m_wake[0] = std::move(other.m_wake[0]);
    m_wake[1] = std::move(other.m_wake[1]);
    m_startError = std::exchange(other.m_startError, Error());
    return *this;
}

ChildRead::~ChildRead()
{
    release();
}

void ChildRead::release()
{
    for (UniqueFd *fd : {&m_fd, &m_wake[0], &m_wake[1]})
        fd->reset();
    endHelper();
}

void ChildRead::cancel()
{
    if (m_wake[1].isOpen()) {
        const char byte = 1;
        while (::write(m_wake[1].get(), &byte, 1) < 0 && errno == EINTR) { }
    }
}

// Waits at most boundMs for the helper to end, and takes its status; false if it has
// not ended by then or (if cancellable) the read was cancelled meanwhile.
bool ChildRead::waitForExit(int boundMs, int *status, bool cancellable)
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
            // Someone else took its status (SIGCHLD ignored, and the kernel reaped it): it
            // is gone, but how it ended cannot be known.
            *status = 0;
            m_endUnknown = true;
            m_pid = -1;
            return true;
        }
        const qint64 left = boundMs - timer.elapsed();
        if (left <= 0)
            return false;
        // Sleeps on the wake pipe, so that a cancel ends the wait at once.
        const bool watch = cancellable && m_wake[0].isOpen();
        pollfd wake = {m_wake[0].get(), POLLIN, 0};
        if (::poll(&wake, watch ? 1 : 0, int(std::min<qint64>(pause, left))) > 0)
            return false;
        pause = std::min(pause * 2, 50);
    }
}

bool ChildRead::cancelRequested() const
{
    pollfd wake = {m_wake[0].get(), POLLIN, 0};
    return m_wake[0].isOpen() && ::poll(&wake, 1, 0) > 0;
}

// Ends the helper and takes its status. SIGKILL ends any process but one held in the
// kernel (a disk that does not answer); that one is left to the system rather than
// hold up the program, once a bounded wait is over.
void ChildRead::endHelper()
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGKILL);
    int status = 0;
    waitForExit(5000, &status, false); // a cancel does not cut this wait short
    m_pid = -1;
}

bool ChildRead::collect(HadithTable *table, Error *error, const Limits &limits)
{
    *table = HadithTable();
    if (m_startError.isError()) {
        if (error)
            *error = m_startError;
        return false;
    }
    if (m_pid <= 0)
        return fail(error, Error::HelperFailed, QStringLiteral("no reading was started"));
    return collectOnce(table, error, limits);
}

bool ChildRead::collectOnce(HadithTable *table, Error *error, const Limits &limits)
{
    try {
        return collectAnswer(table, error, limits);
    } catch (const std::bad_alloc &) {
        m_fd.reset();
        endHelper();
        return fail(error, Error::NoMemory,
                    QStringLiteral("there is not enough memory to hold the collection"));
    }
}

// What became of the helper once its answer was read as far as it went. One that
// answered, or closed its output, must end within the bound; any other is ended at once,
// a stalled one once it is known whether it was stopped.
ChildRead::HelperEnd ChildRead::settleHelper(const Answer &answer, const Limits &limits)
{
    HelperEnd end;
    const AnswerReader::Waited waited = answer.waited;
    const bool answered
        = answer.ended() || (answer.state == Answer::Waiting && waited == AnswerReader::Closed);
    if (answered) {
        end.exited = waitForExit(limits.stallMs, &end.status);
        end.overdue = !end.exited;
    } else if (waited == AnswerReader::Stalled || waited == AnswerReader::TooLong) {
        const pid_t reaped = ::waitpid(m_pid, &end.status, WNOHANG | WUNTRACED);
        if (reaped == m_pid && WIFSTOPPED(end.status))
            end.stopSignal = WSTOPSIG(end.status);
        if (reaped == m_pid && !WIFSTOPPED(end.status)) {
            end.exited = true;
            m_pid = -1;
        }
    }
    if (!end.exited)
        endHelper();
    end.unknown = m_endUnknown;
    return end;
}

namespace {

// A helper that was waited for in vain: stalled, too slow, or not ending after its answer.
// stopSignal is the signal that had stopped it, or 0.
bool failedWaiting(AnswerReader::Waited waited, int stopSignal, const AnswerReader &in,
                   const ChildRead::Limits &limits, Error *error)
{
    const QString seconds = QString::number(limits.stallMs / 1000.0);
    const QString stopped = stopSignal
        ? QStringLiteral("the reading helper was stopped by signal %1 (%2) and ")
              .arg(stopSignal)
              .arg(QString::fromLocal8Bit(strsignal(stopSignal)))
        : QStringLiteral("the reading helper ");
    if (waited == AnswerReader::Stalled)
        return fail(
            error, Error::HelperStopped,
            stopped + QStringLiteral("made no progress for %1 seconds; it was ended").arg(seconds));
    if (waited == AnswerReader::TooLong)
        return fail(error, Error::HelperStopped,
                    stopped
                        + QStringLiteral("took longer than the %1 seconds a file of %2 bytes may "
                                         "take; it was ended")
                              .arg(double(in.allowedMs()) / 1000.0)
                              .arg(in.largestFile()));
    return fail(error, Error::HelperStopped,
                QStringLiteral("the reading helper did not end within %1 seconds of its "
                               "answer; it was ended")
                    .arg(seconds));
}

// A helper that ended: by a signal, with a status other than 0, or before its whole answer.
bool failedEnding(const Answer &answer, int status, const AnswerReader &in, Error *error)
{
    if (WIFSIGNALED(status)) {
        const int sig = WTERMSIG(status);
        const QString said = QStringLiteral("the reading helper was ended by signal %1 (%2)")
                                 .arg(sig)
                                 .arg(QString::fromLocal8Bit(strsignal(sig)));
        return fail(error, sig == SIGKILL ? Error::HelperKilled : Error::HelperCrashed, said);
    }
    if (answer.waited == AnswerReader::ReadFailed)
        return fail(error, Error::HelperFailed,
                    QStringLiteral("the reading helper's answer cannot be read: %1")
                        .arg(systemReason(in.readError())),
                    in.readError() == EMFILE || in.readError() == ENFILE
                        ? texts::tooManyFilesDetail()
                        : QString());
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (answer.state != Answer::Done)
        return fail(error, Error::HelperFailed,
                    QStringLiteral("the reading helper ended without a whole answer (exit "
                                   "status %1)")
                        .arg(code));
    return fail(
        error, Error::HelperFailed,
        QStringLiteral("the reading helper ended with exit status %1 after its answer").arg(code));
}

} // namespace

bool ChildRead::collectAnswer(HadithTable *table, Error *error, const Limits &limits)
{
    AnswerReader in(m_fd.get(), m_wake[0].get(), limits, m_file);
    ReceivedFiles files;
    Answer answer;
    readAnswer(in, &answer, &files);
    const AnswerReader::Waited waited = answer.waited;
    const HelperEnd end = settleHelper(answer, limits);
    // Gone, it has said all it will: nothing may follow its answer.
    if (answer.ended() && !in.nothingMore())
        answer.refuse(QStringLiteral("the reading helper sent back something it should not have "
                                     "(more after its answer)"));
    m_fd.reset();

    // In this order: a cancel is no one's fault, a wait in vain is the helper's, and what
    // it sent counts only once it has ended as it should.
    if (waited == AnswerReader::Cancelled || (end.overdue && cancelRequested()))
        return fail(error, Error::HelperStopped, QStringLiteral("the reading was cancelled"));
    if (waited == AnswerReader::Stalled || waited == AnswerReader::TooLong)
        return failedWaiting(waited, end.stopSignal, in, limits, error);
    if (waited == AnswerReader::StrayFiles)
        answer.refuse(strayFilesRefusal());
    if (answer.state == Answer::Refused)
        return fail(error, Error::HelperFailed, answer.refusal);
    if (answer.state == Answer::Failed) {
        if (error)
            *error = answer.error; // what the helper's own checks found
        return false;
    }
    if (end.overdue)
        return failedWaiting(waited, end.stopSignal, in, limits, error);
    if (end.unknown && waited != AnswerReader::ReadFailed)
        return fail(error, Error::HelperFailed,
                    (answer.state == Answer::Done
                         ? QStringLiteral("the reading helper answered, but whether it then ended "
                                          "with status 0 cannot be known")
                         : QStringLiteral("the reading helper ended without a whole answer"))
                        + QStringLiteral(" (its end was taken by the system: SIGCHLD is "
                                         "ignored in this process)"));
    const bool cleanExit = WIFEXITED(end.status) && WEXITSTATUS(end.status) == 0;
    if (waited == AnswerReader::ReadFailed || answer.state != Answer::Done || !cleanExit)
        return failedEnding(answer, end.status, in, error);
    return adoptBlock(files.descriptors().data(), answer.recorded, in.largestFile(), table, error);
}

bool ChildRead::read(const QByteArray &path, HadithTable *table, Error *error)
{
    return ChildRead::start(path).collect(table, error);
}

} // namespace tembra
