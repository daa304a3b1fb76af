#pragma once

#include "base/error.h"

#include <QString>
#include <QVariant>

#include <array>

namespace tembra {

// What the reader leaves for the next start. Each has its place in the file and a default
// that stands while the file has no value for it (settings/readersettings.cpp has the
// table).
enum class Setting {
    SearchText, // [Settings] Text0: the search box's text (text, empty)
    ExactMatch, // [Settings] ExactMatch: the exact comparison option (yes or no, no)
    PaneFontSize, // [Settings] PaneFontSize: the reading pane's text size in points (number;
    // 0, the design's size, when none was kept)
};
constexpr int kSettingCount = 3;

// The settings in an INI file of the user's own ($XDG_CONFIG_HOME/Tembra/Tembra.ini).
// Every text comes back as it was written.
//
// The file is read as QSettings reads it, as earlier versions did (Windows line ends, a
// byte order mark, spaces around '=', comment lines), and is used only while it is the
// program's own: strict UTF-8, every line a group, a key and its value, a comment or
// empty, and every key one of the table's. Anything else (someone's file behind a link)
// is neither read nor written over, and the reason says so. A file is written whole with
// the program's keys (see FileReplacement), so a comment in it goes, as it went when
// QSettings wrote it.
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

    // Reads the file and keeps its values. False, with *why saying why, when the file
    // cannot be used: every setting then has its default (nothing is wrong with a missing
    // file, which has no values).
    bool load(Error *why = nullptr);

    // The value load() found, or the one last written, or the setting's default: a bool,
    // a double or a QString, as the table above gives.
    QVariant value(Setting setting) const;

    // Saves the value, and keeps it. The file is read again first: it is written only
    // while it is the program's own, with the values it holds now and this one. False,
    // with *error set, when it was not saved (the file is then as it was); the details
    // name the file.
    bool setValue(Setting setting, const QVariant &value, Error *error = nullptr);

private:
    QString m_fileName;
    std::array<QVariant, kSettingCount> m_values; // invalid where the file has none
};

} // namespace tembra
