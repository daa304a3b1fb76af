#include "search/contents.h"

#include <QHash>

namespace tembra {

namespace {

// The names met so far in one column, each with its place: NULL apart, the others by their
// text (views into the table, which outlives the lookup). The last name found is tried
// first: rows of one book, and of one chapter, mostly stand together.
class Names final {
public:
    // The place of the name, or -1 when it is new; then add() gives it one.
    int find(bool null, QStringView name)
    {
        if (m_last >= 0 && null == m_lastNull && (null || name == m_lastName))
            return m_last;
        const int found = null ? m_null : m_places.value(name, -1);
        if (found >= 0)
            remember(found, null, name);
        return found;
    }
    void add(int place, bool null, QStringView name)
    {
        if (null)
            m_null = place;
        else
            m_places.insert(name, place);
        remember(place, null, name);
    }

private:
    void remember(int place, bool null, QStringView name)
    {
        m_last = place;
        m_lastNull = null;
        m_lastName = name;
    }

    QHash<QStringView, int> m_places;
    int m_null = -1;
    int m_last = -1;
    bool m_lastNull = false;
    QStringView m_lastName;
};

} // namespace

Contents::Contents(const HadithTable &table)
{
    const int rows = table.rowCount();
    m_bookOf.resize(size_t(rows));
    Names books;
    std::vector<Names> chapters; // by book
    for (int row = 0; row < rows; ++row) {
        const bool nullBook = table.isNull(row, Column::Book);
        const QStringView bookName = table.view(row, Column::Book);
        int book = books.find(nullBook, bookName);
        if (book < 0) {
            book = int(m_books.size());
            books.add(book, nullBook, bookName);
            m_books.push_back({table.field(row, Column::Book), 0, {}});
            chapters.emplace_back();
        }
        Book &entry = m_books[size_t(book)];
        const bool nullChapter = table.isNull(row, Column::Kind);
        const QStringView chapterName = table.view(row, Column::Kind);
        int chapter = chapters[size_t(book)].find(nullChapter, chapterName);
        if (chapter < 0) {
            chapter = int(entry.chapters.size());
            chapters[size_t(book)].add(chapter, nullChapter, chapterName);
            entry.chapters.push_back({table.field(row, Column::Kind), 0});
        }
        ++entry.hadiths;
        ++entry.chapters[size_t(chapter)].hadiths;
        m_bookOf[size_t(row)] = book;
    }
}

std::vector<Contents::BookCount> Contents::countsByBook(const std::vector<int> &rows) const
{
    std::vector<int> counts(m_books.size());
    for (const int row : rows)
        ++counts[size_t(m_bookOf[size_t(row)])];
    std::vector<BookCount> out;
    for (size_t book = 0; book < counts.size(); ++book) {
        if (counts[book] > 0)
            out.push_back({int(book), counts[book]});
    }
    return out;
}

} // namespace tembra
