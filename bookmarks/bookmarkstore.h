#pragma once

#include "base/error.h"
#include "bookmarks/bookmark.h"
#include "search/comparison.h"
#include "search/hadithkey.h"
#include "search/record.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace tembra {

namespace sqlite {
class Database;
struct Failure;
} // namespace sqlite

// The reader's bookmarks and notes, in an SQLite file of the user's own
// ($XDG_DATA_HOME/Tembra/bookmarks.sqlite), one bookmark per hadith key.
//
// Every change is one transaction against the file, committed (and on the disk) before the
// call returns true: two stores on one file (two readers open at once) each add to what is
// there, never write back a list they read earlier. A file that is not this program's (not
// SQLite, another program's database, a schema this version does not know) or that is
// damaged is refused when it is opened, and left exactly as it is. Where the file or its
// folder cannot be written (read-only, no space left), what is there can still be read, and
// each change fails with the reason.
//
// Errors: open() fails with BookmarksBad (the file is damaged or not ours), NotAFile or
// NotReadable; a change fails with MarkNotSaved, whose shown detail gives the system's
// reason and the file; an import with NotAnExport, an export with WriteFailed. Every
// detail names the file; bookmarksErrorMessage() (base/messages.h) is what a window shows.
class BookmarkStore final {
public:
    BookmarkStore();
    ~BookmarkStore();
    Q_DISABLE_COPY_MOVE(BookmarkStore)

    // $XDG_DATA_HOME/Tembra/bookmarks.sqlite, or ~/.local/share/Tembra/bookmarks.sqlite, as
    // the bytes the environment holds: a folder whose name is not UTF-8 is still that folder.
    static QByteArray defaultPath();

    // Opens the file at path, making it (and its folder) when there is none. Where nothing
    // can be made, the store opens empty and read-only, and says why at the first change.
    bool open(const QByteArray &path, Error *error = nullptr);
    bool isOpen() const { return m_open; }
    // Whether changes are refused (the file or its folder cannot be written).
    bool isReadOnly() const { return m_open && m_readOnlyErrno != 0; }
    const QByteArray &path() const { return m_path; }
    void close();

    // Marks the hadith with a note, or gives the hadith's bookmark the new note (and the
    // Tab4 line given) if it has one. *saved gets the bookmark as it now stands.
    bool mark(const Record &record, const QString &note, Bookmark *saved = nullptr,
              Error *error = nullptr);
    // The same with the parts of the record; text must be the text key.digest was made from.
    bool mark(const HadithKey &key, const Field &heading, const Field &text, const QString &note,
              Bookmark *saved = nullptr, Error *error = nullptr);
    // Removes a bookmark (a bookmark already gone is no error).
    bool unmark(qint64 id, Error *error = nullptr);
    // Puts back a bookmark that unmark() removed, as it was: its id, note and dates (to undo
    // the removal). If its hadith has been marked again since, that newer bookmark stays.
    bool restore(const Bookmark &bookmark, Error *error = nullptr);
    // Gives a bookmark a new note. Fails if the bookmark is gone (removed in another window).
    bool setNote(qint64 id, const QString &note, Error *error = nullptr);

    // Every bookmark, the newest first.
    bool all(std::vector<Bookmark> *out, Error *error = nullptr) const;
    // A number that changes whenever another store (another reader's window) has committed
    // a change to the file since it was last asked, and stays the same after this store's
    // own: a list read with all() is still the file's while it has not changed.
    qint64 changesElsewhere() const;
    // The hadith's bookmark; none (and true) if it has none.
    bool find(const HadithKey &key, std::optional<Bookmark> *out, Error *error = nullptr) const;
    // The bookmarks, newest first, whose note or text holds typed as the search finds a text
    // in a hadith under that comparison; all of them for an empty text. For a list that is
    // filtered again at each key, BookmarkFilter keeps what it needs between keys.
    bool filter(const QString &typed, Comparison comparison, std::vector<Bookmark> *out,
                Error *error = nullptr) const;

    // Writes every bookmark to a UTF-8 Markdown file (replaced whole), the newest first.
    bool exportMarkdown(const QString &path, int *written = nullptr, Error *error = nullptr) const;
    // Adds the bookmarks of a file that exportMarkdown() wrote whose hadith has none here.
    // A file that is not such an export, whole, is refused (NotAnExport) and nothing is
    // added; so is everything if any of it cannot be saved.
    struct ImportCounts {
        int added = 0;
        int skipped = 0; // already here (the same hadith key), or twice in the file
    };
    bool importMarkdown(const QString &path, ImportCounts *counts = nullptr,
                        Error *error = nullptr);

    // The schema this version writes (PRAGMA user_version) and the mark every file of the
    // program carries (PRAGMA application_id).
    static constexpr int kSchemaVersion = 2;
    static constexpr int kApplicationId = 0x54626d6b; // "Tbmk"

private:
    bool refuse(Error *error, const QString &why);
    bool openReadOnly(int why, Error *error);
    bool prepare(Error *error);
    bool notSaved(Error *error) const;
    int writeErrno(const sqlite::Failure &failure) const;
    bool insert(const Bookmark &bookmark, bool keepId, bool *added, Error *error);
    bool readRows(const char *sql, const std::vector<Field> &values, std::vector<Bookmark> *out,
                  Error *error) const;
    bool readFailed(Error *error) const;
    QString shownPath() const;

    std::unique_ptr<sqlite::Database> m_db;
    QByteArray m_path;
    bool m_open = false;
    int m_readOnlyErrno = 0; // why changes are refused: EROFS, EACCES; 0 when they are not
    int m_schema = 0; // the file's user_version (1 read-only, or 2)
    bool m_keepWal = false; // the log beside the file was there before it was opened
    int m_setUpErrno = 0; // why the file could not be set up for writing
};

} // namespace tembra
