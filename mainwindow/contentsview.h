#pragma once

#include "search/listing.h"

#include <QElapsedTimer>
#include <QTreeWidget>
#include <QWidget>

#include <vector>

namespace tembra {

class DataControl;

// The contents' tree: a book's or a chapter's name found by typing its first letters, the
// letters compared as the search compares them (ك and ک alike, the marks aside), so that a
// Sorani keyboard finds an Arabic name.
class ContentsTree final : public QTreeWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ContentsTree)

public:
    explicit ContentsTree(QWidget *parent = nullptr);
    void keyboardSearch(const QString &search) override;

private:
    QString m_typed;
    QElapsedTimer m_sinceTyped;
};

// The collection's contents, for a reader to find their way in it: its books in the order
// the table first names each, each with its number of hadiths, and under each its chapters
// in the order the book first names them, each with its count. A chapter chosen (a click,
// Enter) lists that chapter from its first hadith; a book chosen (Enter, a double click)
// lists the whole book from its first. The book and the chapter of the hadith being read
// are marked, and the keys start at that chapter. A window of its own beside the reader's,
// opened with Ctrl+T or from the caption bar; it goes once a choice is made, so that Up and
// Down in the reader's window read on from there, and with Esc.
class ContentsView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ContentsView)

public:
    // The contents are those of the collection the data control holds, whichever it is.
    ContentsView(QWidget *reader, const DataControl *collection);

    // The collection is another: its books and chapters are made into the view once, when
    // it is next opened.
    void collectionChanged();
    // Shows the view beside the reader, the current hadith's book and chapter marked (its
    // row in the table; -1 for none).
    void open(int currentRow);
    // Marks the book and chapter of the table's row (-1: none).
    void mark(int row);

    ContentsTree *tree() const { return m_tree; }

signals:
    // What the list is to hold: a whole chapter, or a whole book.
    void chosen(const Listing &listing);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void choose(QTreeWidgetItem *item, bool activated);
    QTreeWidgetItem *itemOf(int row) const;
    void build();

    ContentsTree *m_tree;
    const DataControl *m_data;
    std::vector<int> m_firstRow; // of each book
    std::vector<QTreeWidgetItem *> m_marked;
    bool m_built = false;
};

} // namespace tembra
