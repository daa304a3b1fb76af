#pragma once

#include "base/error.h"

#include <QString>

namespace tembra {

// What is kept between runs, in section "Settings" of an INI file of the user's own
// ($XDG_CONFIG_HOME/Tembra/Tembra.ini): the search text (key "Text0"), the search
// option that takes the vowel marks and letter forms into account (key "ExactMatch") and
// the reading pane's text size (key "PaneFontSize").
// Any text comes back as it was written.
//
// The file is the program's own, and is trusted only as far as it was checked:
// - It is read only when it is a regular file (after links) of at most kMaxFileBytes,
//   opened without waiting (a pipe or a device in its place would block or never end).
// - It must read as the program's settings: the INI form QSettings writes (section
//   lines, key=value lines with QSettings' escaping, empty lines; UTF-8), which earlier
//   versions of the program wrote through QSettings and which QSettings reads back.
//   A file with anything else (a comment, someone's own file behind a link) is neither
//   read nor written over.
// - It is written whole and at once (see FileReplacement), only over a regular file that
//   reads as the program's settings, or where there is nothing; through a link, the file
//   the link leads to is replaced and the link stays. Every other line of the file is
//   kept as it was, so writing one entry keeps the other.
class SearchTextStore final {
public:
    // The largest file the store reads, and so the largest it writes.
    static constexpr qint64 kMaxFileBytes = 1 << 20;

    // The user's store, under the user's configuration folder.
    SearchTextStore();
    // A store in the given file.
    explicit SearchTextStore(const QString &fileName);

    QString fileName() const { return m_fileName; }

    // The saved text; the empty text when nothing was saved, and also when the file
    // cannot be used, with *why saying what is wrong with it (nothing is wrong with a
    // missing file).
    QString read(Error *why = nullptr) const;
    // Saves the text; false, with *error set, when it was not saved (the file is left as
    // it was). The details name the file.
    bool write(const QString &text, Error *error = nullptr);

    // The saved search option; false when missing or when the file cannot be used.
    bool readExactMatch(Error *why = nullptr) const;
    bool writeExactMatch(bool on, Error *error = nullptr);

    // The reading pane's text size in points (key "PaneFontSize"); 0 when none was kept.
    qreal readPanePoints(Error *why = nullptr) const;
    bool writePanePoints(qreal points, Error *error = nullptr);

private:
    bool readEntry(const QString &key, QString *value, Error *why) const;
    bool writeEntry(const QString &key, const QString &value, Error *error);
    bool writeEntryTo(const QString &key, const QString &value, Error *error);

    QString m_fileName;
};

} // namespace tembra
