#pragma once

#include "base/error.h"
#include "bookmarks/bookmark.h"
#include "bookmarks/bookmarkstore.h"
#include "search/hadithkey.h"

#include <QObject>

#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace tembra {

class HadithTable;

// The reader's bookmarks as the window uses them: the store, opened once when the window
// starts; every bookmark, the newest first, held here so that the list's rows and the view
// need not read the file at each paint or key; and which hadith of the open collection each
// one names (a bookmark of another collection names none).
//
// Every change goes to the store first and is held here only once the store has committed
// it, so that what the window shows is what the file holds. The list is read again when
// another reader's window has changed the file (asked for before the view opens and before
// a hadith's note is shown).
class Marks final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Marks)

public:
    explicit Marks(QObject *parent = nullptr);
    ~Marks() override;

    // Opens the bookmarks file (made, with its folder, when there is none). A file that is
    // damaged, another program's, or cannot be read is left as it is: the window works on
    // without bookmarks, and openError() says why to whoever asks for one.
    bool open(const QByteArray &path, Error *error = nullptr);
    bool isOpen() const { return m_store.isOpen(); }
    const Error &openError() const { return m_openError; }
    const QByteArray &path() const { return m_store.path(); }

    // The collection the window shows now (none while it has none): the marks follow it.
    void followCollection(const HadithTable *table);

    // Every bookmark, the newest first, and the row of the open collection each one names
    // (-1 where the collection has no such hadith), side by side.
    const std::vector<Bookmark> &list() const { return m_list; }
    const std::vector<int> &rows() const { return m_rows; }
    // The bookmark of a row of the open collection; null when it has none.
    const Bookmark *atRow(int row) const;
    // The bookmark of a hadith, by its key; null when it has none.
    const Bookmark *find(const HadithKey &key) const;
    // Its note, for the list's rows; none when the row is not marked.
    std::optional<QString> noteAt(int row) const;
    // Goes up with every change of list() (a mark, a removal, a note, a new reading).
    quint64 generation() const { return m_generation; }
    // Reads the list again if another reader's window changed the file.
    void refresh();

    // Each is committed to the file before it returns true; false with the reason (the
    // error's shown detail in the reader's words) and nothing changed here.
    bool mark(const Record &record, const QString &note, Error *error);
    bool unmark(qint64 id, Error *error);
    // Puts a removed bookmark back as it was (a newer mark of its hadith stays instead).
    bool restore(const Bookmark &bookmark, Error *error);
    bool setNote(qint64 id, const QString &note, Error *error);
    bool exportTo(const QString &path, int *written, Error *error) const;
    bool importFrom(const QString &path, BookmarkStore::ImportCounts *counts, Error *error);

signals:
    // The list changed; row is the row of the open collection whose mark came, went or got
    // another note, or -1 when any may have.
    void changed(int row);

private:
    bool reload(Error *error);
    void resolve();
    void indexRows();
    bool notOpen(Error *error) const;
    int rowOf(const Bookmark &bookmark) const;
    void put(Bookmark bookmark);
    void changedAt(int row);

    BookmarkStore m_store;
    Error m_openError;
    std::unique_ptr<HadithIndex> m_index;
    std::vector<Bookmark> m_list;
    std::vector<int> m_rows;
    std::unordered_map<int, size_t> m_atRow; // a row of the collection: its place in m_list
    quint64 m_generation = 0;
    qint64 m_seenVersion = 0;
};

} // namespace tembra
