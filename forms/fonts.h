#pragma once

namespace tembra {

// The window definitions name Windows fonts that do not exist here: "Traditional
// Arabic" is drawn with Amiri (Noto Naskh Arabic if Amiri is missing), "MS Sans Serif"
// and "Microsoft Sans Serif" with an Arabic-capable sans. Safe to call more than once.
void substituteFonts();

} // namespace tembra
