#pragma once

class QMenu;

namespace tembra {

// The toolkit's own menu of a text box names its commands in English: each becomes its
// Sorani word, the shortcut shown after it kept, and the menu reads right to left.
void soraniEditCommands(QMenu *menu);

} // namespace tembra
