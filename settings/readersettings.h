#pragma once

#include "base/error.h"

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariant>

#include <array>
#include <optional>

namespace tembra {

// What the reader leaves for the next start. Each has its place in the file and a default
// that stands while the file has no value for it (settings/readersettings.cpp has the
// table). The names in [Settings] are those earlier versions wrote.
enum class Setting {
    SearchText, // [Settings] Text0: the search box's text (QString, empty)
    ExactMatch, // [Settings] ExactMatch: the exact comparison option (bool, false)
    AnyOrder, // [Settings] AnyOrder: the search option "every word, in any order" (bool,
    // false)
    PaneFontSize, // [Settings] PaneFontSize: the reading pane's text size in points (double;
    // 0, the design's size, when none was kept)
    PaneFont, // [Settings] PaneFont: the reading pane's font family (QString; empty, the
    // design's font)
    ShowMarks, // [Settings] ShowMarks: the pane shows the vowel marks (bool, true)
    NightAppearance, // [Settings] NightAppearance: the night colours (bool, false)
    History, // [History]: the last searches (SearchHistory, empty)
    Place, // [Place]: where the reader was (SavedPlace, none)
};
constexpr int kSettingCount = 9;

// One search as the history keeps it.
struct PastSearch {
    QString text;
    bool exact = false; // the exact comparison option
    bool anyOrder = false; // every word, in any order

    friend bool operator==(const PastSearch &a, const PastSearch &b)
    {
        return a.text == b.text && a.exact == b.exact && a.anyOrder == b.anyOrder;
    }
    friend bool operator!=(const PastSearch &a, const PastSearch &b) { return !(a == b); }
};

// The last distinct searches, newest first: at most kHistoryLength, none the same as
// another (text and options), none with a text longer than kMaxKeptText. Kept in group
// [History] as QSettings keeps an array (size, then 1\Text, 1\ExactMatch, 1\AnyOrder, ...).
using SearchHistory = QList<PastSearch>;

// Where the reader was when they closed the window with its close button: what the list
// held and the hadith they were on. NULL (std::nullopt) is not the same as empty. Kept in
// group [Place], a NULL field as a key that is not there.
struct SavedPlace {
    QString list; // the kind of list, as the list names its kinds
    QString text; // the search that made it, and its options
    bool exact = false;
    bool anyOrder = false;
    std::optional<QString> book; // the book it was narrowed to, or is read in
    std::optional<QString> chapter; // the chapter it was narrowed to
    std::optional<QString> hadithBook; // the current hadith: its book (Tab5)
    std::optional<QString> hadithNumber; // its number (Tab2)
    QString hadithDigest; // and the digest of its text

    friend bool operator==(const SavedPlace &a, const SavedPlace &b)
    {
        return a.list == b.list && a.text == b.text && a.exact == b.exact
            && a.anyOrder == b.anyOrder && a.book == b.book && a.chapter == b.chapter
            && a.hadithBook == b.hadithBook && a.hadithNumber == b.hadithNumber
            && a.hadithDigest == b.hadithDigest;
    }
    friend bool operator!=(const SavedPlace &a, const SavedPlace &b) { return !(a == b); }
};

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
    // The largest file read, and so the largest written: a search text of 1,000,000
    // characters of any script fits whole, escapes and all (at most 6 bytes a character),
    // beside a whole history and place.
    static constexpr qint64 kMaxFileBytes = 8 << 20;
    static constexpr int kHistoryLength = 30;
    // The longest text the history, the place and the font's name keep, in UTF-16 units.
    static constexpr int kMaxKeptText = 10000;

    // The user's file, under the user's configuration folder.
    ReaderSettings();
    // The settings in the given file.
    explicit ReaderSettings(const QString &fileName);

    // The file's name, for messages: the system's calls take it as the bytes it came as.
    QString fileName() const;

    // Reads the file and keeps its values. False, with *why saying why, when the file
    // cannot be used: every setting then has its default (nothing is wrong with a missing
    // file, which has no values).
    bool load(Error *why = nullptr);

    // The value load() found, or the one last written, or the setting's default, of the
    // type the list above gives: value(Setting::History).value<SearchHistory>().
    QVariant value(Setting setting) const;

    // Saves the value, and keeps it. The file is read again first: it is written only
    // while it is the program's own, with the values it holds now and this one. False,
    // with *error set, when it was not saved (the file is then as it was); the details
    // name the file. A history is kept as SearchHistory says (a repeated search, the ones
    // past kHistoryLength and those of a text too long left out); a place or a font name
    // with a text longer than kMaxKeptText is refused (SettingsTooLarge).
    bool setValue(Setting setting, const QVariant &value, Error *error = nullptr);

private:
    QByteArray m_path; // as the system's calls take it
    std::array<QVariant, kSettingCount> m_values; // invalid where the file has none
};

// The history with search first: the same search further down moves up, a text that is
// empty or longer than ReaderSettings::kMaxKeptText is not kept, and the oldest past
// ReaderSettings::kHistoryLength goes.
SearchHistory remembered(SearchHistory history, const PastSearch &search);

} // namespace tembra

Q_DECLARE_METATYPE(tembra::PastSearch)
Q_DECLARE_METATYPE(tembra::SavedPlace)
