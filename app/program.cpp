#include "app/program.h"

#include "app/startup.h"
#include "base/processsetup.h"
#include "design/definition.h"
#include "forms/application.h"
#include "forms/fonts.h"
#include "mainwindow/tembra1.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
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

} // namespace

int runProgram(int argc, char **argv, const std::function<void(Tembra1 *)> &mainWindowShown)
{
    setUpProcess();
    catchTerminationSignals();
    // The collection is read by a helper program that starts before anything else, so
    // that the reading goes on while the windows are being made.
    ChildRead reading = ChildRead::start(collectionFile());

    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tembra"));
    substituteFonts();
    quitOnTerminationSignals();
    Startup startup(std::move(reading));
    startup.onMainWindowShown = mainWindowShown;
    startup.showSplash();
    return QApplication::exec();
}

} // namespace tembra
