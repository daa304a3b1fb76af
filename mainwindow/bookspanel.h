#pragma once

#include "search/listing.h"

#include <QWidget>

#include <utility>
#include <vector>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace tembra {

class Contents;

// The counts by book of the last search, beside the result list: how many of its hadiths
// each book holds, in the order the books first appear in the collection, under "all
// books" with the whole count. Choosing a book narrows the list to it; "all books" goes
// back. The book the list is narrowed to is the one marked. Arrows and Enter choose from
// the keyboard, as a click does with the mouse.
class BooksPanel final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BooksPanel)

public:
    explicit BooksPanel(QWidget *parent = nullptr);

    // A book and the number of the search's hadiths in it.
    using Count = std::pair<Field, int>;
    // The counts of a search's rows (ascending row numbers), books in the collection's order.
    static std::vector<Count> countsOf(const Contents &contents, const std::vector<int> &rows);

    void setCounts(const std::vector<Count> &counts, int all);
    // Marks the book the list is narrowed to (none: every book).
    void markNarrowing(const Listing::Narrowing &book);
    int bookCount() const { return int(m_books.size()); }
    QWidget *list() const;

signals:
    // A book chosen (none: every book again).
    void chosen(const Listing::Narrowing &book);

private:
    void choose(QTreeWidgetItem *item);

    QLabel *m_heading;
    QTreeWidget *m_list;
    std::vector<Field> m_books; // the book of each item after "all books"
    bool m_marking = false;
};

} // namespace tembra
