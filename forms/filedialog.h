#pragma once

#include <QString>

class QWidget;

namespace tembra {

// The toolkit's own file dialog, choosing one collection to read (a .mdb file) in Sorani:
// its labels, buttons, tips and messages are the toolkit's English words otherwise. The
// dialog only reads: it makes, renames and deletes nothing. Starts in folder; the file
// chosen, or an empty text when the reader chose none.
QString chooseCollectionFile(QWidget *parent, const QString &folder);

} // namespace tembra
