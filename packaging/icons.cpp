// tembra-icons OUTDIR: writes the program's icon for the desktop's icon theme, drawn
// from the window icon's design at each size (OUTDIR/SIZExSIZE/apps/tembra.png).

#include "base/processsetup.h"
#include "forms/pictures.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    tembra::setUpProcess();
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tembra-icons OUTDIR\n");
        return 2;
    }
    const QString out = QFile::decodeName(argv[1]);
    for (int size : {32, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(out).arg(size);
        if (!QDir().mkpath(dir)
            || !tembra::windowIconImage(size).save(dir + QLatin1String("/tembra.png"))) {
            std::fprintf(stderr, "cannot write the %dx%d icon in %s\n", size, size,
                         qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
