#pragma once

#include "collection/error.h"

#include <QString>

namespace tembra {

// The search text kept between runs: application "Tembra", section "Settings", key
// "Text0", in an INI file of the user's own settings. Any text comes back as it was
// written.
class SearchTextStore final {
public:
    // The user's store, under the user's configuration folder.
    SearchTextStore();
    // A store in the given file.
    explicit SearchTextStore(const QString &fileName);

    QString fileName() const { return m_fileName; }

    // The saved text; the empty text when nothing was ever saved.
    QString read() const;
    // Saves the text; false, with *error set, when the store cannot be written (the
    // caller says so and goes on).
    bool write(const QString &text, Error *error = nullptr);

private:
    QString m_fileName;
};

} // namespace tembra
