#include "mainwindow/marks.h"

#include "search/hadithtable.h"

#include <algorithm>

namespace tembra {

namespace {

// The store's order: the newest first; among those made in the same millisecond, the last
// made first.
bool newerFirst(const Bookmark &a, const Bookmark &b)
{
    return a.created != b.created ? a.created > b.created : a.id > b.id;
}

} // namespace

Marks::Marks(QObject *parent) : QObject(parent) { }

Marks::~Marks() = default;

bool Marks::open(const QByteArray &path, Error *error)
{
    m_openError = Error();
    m_list.clear();
    Error why;
    if (!m_store.open(path, &why) || !reload(&why)) {
        m_store.close();
        m_list.clear();
        m_openError = why;
        resolve();
        if (error)
            *error = why;
        return false;
    }
    return true;
}

bool Marks::reload(Error *error)
{
    std::vector<Bookmark> read;
    if (!m_store.all(&read, error))
        return false;
    m_list = std::move(read);
    m_seenVersion = m_store.changesElsewhere();
    resolve();
    return true;
}

void Marks::refresh()
{
    if (!isOpen() || m_store.changesElsewhere() == m_seenVersion)
        return;
    if (reload(nullptr))
        emit changed(-1);
}

void Marks::followCollection(const HadithTable *table)
{
    m_index = table ? std::make_unique<HadithIndex>(*table) : nullptr;
    resolve();
    emit changed(-1);
}

int Marks::rowOf(const Bookmark &bookmark) const
{
    return m_index ? m_index->find(bookmark.key, bookmark.text) : -1;
}

void Marks::resolve()
{
    m_rows.resize(m_list.size());
    for (size_t i = 0; i < m_list.size(); ++i)
        m_rows[i] = rowOf(m_list[i]);
    indexRows();
}

void Marks::indexRows()
{
    m_atRow.clear();
    m_atRow.reserve(m_rows.size());
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i] >= 0)
            m_atRow.emplace(m_rows[i], i);
    }
    ++m_generation;
}

const Bookmark *Marks::atRow(int row) const
{
    const auto found = m_atRow.find(row);
    return found == m_atRow.end() ? nullptr : &m_list[found->second];
}

const Bookmark *Marks::find(const HadithKey &key) const
{
    const auto found = std::find_if(m_list.begin(), m_list.end(),
                                    [&](const Bookmark &b) { return b.key == key; });
    return found == m_list.end() ? nullptr : &*found;
}

std::optional<QString> Marks::noteAt(int row) const
{
    const Bookmark *mark = atRow(row);
    return mark ? std::optional<QString>(mark->note) : std::nullopt;
}

// Why there are no bookmarks to change: the reason the file was not opened.
bool Marks::notOpen(Error *error) const
{
    if (m_openError.isError())
        return fail(error, m_openError.kind, m_openError.detail, m_openError.shown);
    return fail(error, Error::NotOpen, QStringLiteral("the bookmarks are not open"));
}

// A bookmark as the store now holds it, in its place in the list (taking the place of the
// one with its id, if there is one).
void Marks::put(Bookmark bookmark)
{
    const auto same = std::find_if(m_list.begin(), m_list.end(),
                                   [&](const Bookmark &b) { return b.id == bookmark.id; });
    if (same != m_list.end()) {
        m_rows.erase(m_rows.begin() + (same - m_list.begin()));
        m_list.erase(same);
    }
    const auto at = std::lower_bound(m_list.begin(), m_list.end(), bookmark, newerFirst);
    const int row = rowOf(bookmark);
    m_rows.insert(m_rows.begin() + (at - m_list.begin()), row);
    m_list.insert(at, std::move(bookmark));
    indexRows();
    emit changed(row);
}

bool Marks::mark(const Record &record, const QString &note, Error *error)
{
    if (!isOpen())
        return notOpen(error);
    Bookmark saved;
    if (!m_store.mark(record, note, &saved, error))
        return false;
    put(std::move(saved));
    return true;
}

bool Marks::unmark(qint64 id, Error *error)
{
    if (!isOpen())
        return notOpen(error);
    if (!m_store.unmark(id, error))
        return false;
    const auto gone = std::find_if(m_list.begin(), m_list.end(),
                                   [id](const Bookmark &b) { return b.id == id; });
    if (gone == m_list.end())
        return true;
    const auto place = gone - m_list.begin();
    const int row = m_rows[size_t(place)];
    m_list.erase(gone);
    m_rows.erase(m_rows.begin() + place);
    indexRows();
    emit changed(row);
    return true;
}

bool Marks::restore(const Bookmark &bookmark, Error *error)
{
    if (!isOpen())
        return notOpen(error);
    if (!m_store.restore(bookmark, error))
        return false;
    // What the file holds now: the bookmark put back, or a newer mark of its hadith.
    std::optional<Bookmark> now;
    if (!m_store.find(bookmark.key, &now))
        now = bookmark;
    if (now)
        put(std::move(*now));
    return true;
}

bool Marks::setNote(qint64 id, const QString &note, Error *error)
{
    if (!isOpen())
        return notOpen(error);
    const auto mark = std::find_if(m_list.begin(), m_list.end(),
                                   [id](const Bookmark &b) { return b.id == id; });
    if (!m_store.setNote(id, note, error))
        return false;
    if (mark == m_list.end())
        return true;
    // As the file holds it now, with the time the note changed.
    std::optional<Bookmark> now;
    if (!m_store.find(mark->key, &now) || !now) {
        now = *mark;
        now->note = note;
    }
    put(std::move(*now));
    return true;
}

bool Marks::exportTo(const QString &path, int *written, Error *error) const
{
    if (!isOpen())
        return notOpen(error);
    return m_store.exportMarkdown(path, written, error);
}

bool Marks::importFrom(const QString &path, BookmarkStore::ImportCounts *counts, Error *error)
{
    if (!isOpen())
        return notOpen(error);
    if (!m_store.importMarkdown(path, counts, error))
        return false;
    if (reload(error))
        emit changed(-1);
    return true;
}

} // namespace tembra
