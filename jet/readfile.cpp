// tembra-readfile: the helper that reads a collection for the reader, the tool and the
// benchmark, and streams its rows to its standard output (see childreader.h). It is
// started by them and by nobody else.

#include "collection/processsetup.h"
#include "jet/childreader.h"

#include <QFile>

int main(int argc, char **argv)
{
    tembra::setUpProcess();
    if (argc != 2)
        return 2;
    return tembra::serveRead(QFile::decodeName(argv[1]), 1);
}
