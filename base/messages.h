#pragma once

#include "base/error.h"

#include <QString>

namespace tembra {

// Every message is cut to what a message box can show (cuttext.h): the details in it can
// come from outside the program.

// The message for a collection that cannot be opened: the file, the reason in plain
// Sorani words, then the technical detail.
QString openErrorMessage(const QString &path, const Error &error);

// The plain words for a kind of failure.
QString reasonText(Error::Kind kind);

// The message for a search text that could not be saved at close.
QString saveErrorMessage(const Error &error);
// The message for the search option that could not be saved when it changed.
QString optionSaveErrorMessage(const Error &error);

// The message for a failure of the bookmarks: opening them, a change that was not saved,
// an export or an import. The plain words, then the system's reason and the file.
QString bookmarksErrorMessage(const Error &error);

// The message for an error that no handler trapped.
QString unhandledErrorMessage(const QString &what);

} // namespace tembra
