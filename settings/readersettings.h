#pragma once

#include "base/error.h"

#include <QString>

namespace tembra {

// What the reader leaves for the next start, in group "Settings" of an INI file of the
// user's own ($XDG_CONFIG_HOME/Tembra/Tembra.ini): the search box's text ("Text0"), the
// exact comparison option ("ExactMatch") and the reading pane's text size
// ("PaneFontSize"). Every text comes back as it was written.
//
// The file is read as QSettings reads it, as earlier versions did (Windows line ends, a
// byte order mark, spaces around '=', comment lines), and is used only while it is the
// program's own: strict UTF-8, every line a group, a key and its value, a comment or
// empty, and every key one of the three above. Anything else (someone's file behind a
// link) is neither read nor written over, and the reason says so. A file is written
// whole with the program's three keys (see FileReplacement), so a comment in it goes, as
// it went when QSettings wrote it.
class ReaderSettings final {
public:
    // The largest file read, and so the largest written: a text of 1,000,000 characters of
    // any script fits whole, escapes and all (at most 6 bytes a character).
    static constexpr qint64 kMaxFileBytes = 8 << 20;

    // The user's file, under the user's configuration folder.
    ReaderSettings();
    // The settings in the given file.
    explicit ReaderSettings(const QString &fileName);

    QString fileName() const { return m_fileName; }

    // The saved search text; the empty text when none was saved, and also when the file
    // cannot be used, with *why saying why (nothing is wrong with a missing file).
    QString read(Error *why = nullptr) const;
    // Saves the text; false, with *error set, when it was not saved (the file is then as it
    // was). The details name the file.
    bool write(const QString &text, Error *error = nullptr);

    // The exact comparison option; false when missing or when the file cannot be used.
    bool readExactMatch(Error *why = nullptr) const;
    bool writeExactMatch(bool on, Error *error = nullptr);

    // The reading pane's text size in points; 0 when none was kept.
    qreal readPanePoints(Error *why = nullptr) const;
    bool writePanePoints(qreal points, Error *error = nullptr);

private:
    QString readValue(int key, Error *why) const;
    bool writeValue(int key, const QString &value, Error *error);

    QString m_fileName;
};

} // namespace tembra
