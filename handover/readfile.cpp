// tembra-readfile: the helper that reads a collection for the reader, the tool and the
// benchmark into sealed memory files, and hands them over on its standard output, a
// socket, saying meanwhile how far it has read (see childreader.h). It is started by
// them and by nobody else: tembra-readfile PATH PARENT-PID.

#include "base/processsetup.h"
#include "handover/childreader.h"

#include <QFile>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    tembra::setUpProcess();
    if (argc != 3)
        return 2;
    // Never outlive the program that reads through it, even stopped: the kernel ends the
    // helper when its parent goes. A parent that went before this line is no longer the
    // one the helper has, which is why the parent says who it is.
    bool ok = false;
    const long parent = QByteArray(argv[2]).toLong(&ok);
    if (!ok || ::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != pid_t(parent))
        return 2;
    return tembra::serveRead(QFile::decodeName(argv[1]), 1);
}
