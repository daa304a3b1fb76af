#include "app/program.h"

#include "app/startup.h"
#include "base/error.h"
#include "base/processsetup.h"
#include "design/definition.h"
#include "forms/application.h"
#include "forms/fonts.h"
#include "mainwindow/tembra1.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tembra {

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

// A termination signal (the session ending, kill) ends the program as its own close
// would, without saving the search text: the event loop ends, and every window and
// the reading helper are cleaned up on the way out. The signals are caught from the first
// moment, before the windows are made: one that comes while they are is kept until the
// event loop runs, and ends it then.
void catchTerminationSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        return;
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &action, nullptr);
}

void quitOnTerminationSignals()
{
    if (g_signalPipe[0] < 0)
        return;
    auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
        char byte;
        [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[0], &byte, 1);
        QApplication::quit();
    });
}

// The collection named on the command line ("tembra FILE.mdb", as the desktop entry passes
// a file), else the design's Book/Data.mdb under the working folder. Read before the
// toolkit sees the arguments, since the helper starts first: the toolkit's own options,
// and the values of those that take one, are passed over. (The toolkit strips its options
// itself once QApplication is made, but making it takes 12 to 19 ms offscreen and 64 to
// 100 ms on an X display, measured with the 70 MB collection; the helper started after it
// would start that much later, and the reading is what the main window waits for.) The name stays the bytes it
// came as: it need not be UTF-8.
QByteArray collectionArgument(int argc, char **argv)
{
    static const char *const withValue[] = {"-platform",        "-platformpluginpath",
                                            "-platformtheme",   "-plugin",
                                            "-qwindowgeometry", "-qwindowicon",
                                            "-qwindowtitle",    "-style",
                                            "-stylesheet",      "-display",
                                            "-geometry",        "-title",
                                            "-session",         "-name",
                                            "-qmljsdebugger"};
    QByteArray file;
    bool ended = false;
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (!ended && std::strcmp(arg, "--") == 0) {
            ended = true;
        } else if (!ended && arg[0] == '-') {
            // A collection whose name starts with '-' is taken as one.
            struct stat st { };
            if (QByteArray(arg).endsWith(".mdb") && ::stat(arg, &st) == 0 && S_ISREG(st.st_mode)) {
                file = arg;
                continue;
            }
            for (const char *option : withValue) {
                const char *name = arg[1] == '-' ? arg + 1 : arg; // --style as -style
                if (std::strcmp(name, option) == 0 && i + 1 < argc) {
                    ++i;
                    break;
                }
            }
        } else {
            file = arg;
        }
    }
    return file.isEmpty() ? QFile::encodeName(collectionFile()) : file;
}

// The windows' toolkit ends the program on the spot when it cannot open what it needs
// (its wake-up pipes, the display's socket, fonts). The program holds 16 descriptors once
// its window is up (under X11), and takes the table's three files and opens font files as
// it draws; twice that is asked for.
constexpr rlim_t kFilesNeeded = 32;

// Whether the program may open as many files as its windows need; if not, says so.
bool enoughFiles()
{
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) != 0 || files.rlim_cur >= kFilesNeeded)
        return true;
    std::fprintf(stderr,
                 "tembra: %s: this program may have only %llu files open, and it needs %llu "
                 "(ulimit -n)\n",
                 systemReason(EMFILE).toLocal8Bit().constData(),
                 static_cast<unsigned long long>(files.rlim_cur),
                 static_cast<unsigned long long>(kFilesNeeded));
    return false;
}

} // namespace

int runProgram(int argc, char **argv, const std::function<void(Tembra1 *)> &mainWindowShown)
{
    setUpProcess();
    if (!enoughFiles())
        return 1;
    catchTerminationSignals();
    // The collection is read by a helper program that starts before anything else, so
    // that the reading goes on while the windows are being made.
    const QByteArray collection = collectionArgument(argc, argv);
    ChildRead reading = ChildRead::start(collection);

    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tembra"));
    substituteFonts();
    quitOnTerminationSignals();
    Startup startup(std::move(reading), QFile::decodeName(collection));
    startup.onMainWindowShown = mainWindowShown;
    startup.showSplash();
    return QApplication::exec();
}

} // namespace tembra
