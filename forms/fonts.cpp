#include "forms/fonts.h"

#include <QFont>
#include <QStringList>

namespace tembra {

void substituteFonts()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    QFont::insertSubstitutions(QStringLiteral("Traditional Arabic"),
                               {QStringLiteral("Amiri"), QStringLiteral("Noto Naskh Arabic")});
    const QStringList sans
        = {QStringLiteral("Noto Sans Arabic UI"), QStringLiteral("Noto Sans Arabic"),
           QStringLiteral("Noto Sans"), QStringLiteral("DejaVu Sans")};
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), sans);
    QFont::insertSubstitutions(QStringLiteral("Microsoft Sans Serif"), sans);
}

} // namespace tembra
