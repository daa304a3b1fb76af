#include "application.h"
#include "tembra1.h"

#include <QFont>

namespace {

// The windows name Windows fonts; these stand in for them here.
void substituteFonts()
{
    QFont::insertSubstitutions(QStringLiteral("Traditional Arabic"),
                               {QStringLiteral("Amiri"), QStringLiteral("Noto Naskh Arabic")});
    const QStringList sans
        = {QStringLiteral("Noto Sans Arabic UI"), QStringLiteral("Noto Sans Arabic"),
           QStringLiteral("Noto Sans"), QStringLiteral("DejaVu Sans")};
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), sans);
    QFont::insertSubstitutions(QStringLiteral("Microsoft Sans Serif"), sans);
}

} // namespace

int main(int argc, char *argv[])
{
    tembra::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tembra"));
    substituteFonts();
    tembra::Tembra1 window;
    window.show();
    return QApplication::exec();
}
