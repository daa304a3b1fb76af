#pragma once

#include "search/listing.h"

#include <QObject>

class QLabel;
class QPushButton;
class QWidget;

namespace tembra {

class BooksPanel;
class DataControl;
class Form;

// What the window says about its list beyond the design's count, so that a reader always
// knows what the list holds and where to go from it: a caption (a search and its text, that
// search in one book or chapter, a whole book read from a number); the counts by book of
// the last search beside the list, where choosing a book narrows the list to it; and, when
// a search for a text finds nothing while its words in any order would find some, how many,
// with one click (or Enter) to run that search.
class ListGuide final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ListGuide)

public:
    // The caption goes in the window, the books and the offer in the result panel; each is
    // added to the form by name (see design/addedlayout.h).
    ListGuide(Form &form, DataControl *data, QWidget *resultPanel);

    // The list holds something new: the data control's listing says what, and lastSearch
    // is the search it holds or came from.
    void listShown(const Listing &lastSearch);
    // Another collection: the counts shown were the last one's.
    void collectionChanged();
    bool booksShown() const;

    QLabel *caption() const { return m_caption; }
    BooksPanel *books() const { return m_books; }
    QPushButton *offer() const { return m_offer; }

    // The words that the caption and the menus give the list (tests read them).
    static QString captionOf(const Listing &listing);

signals:
    // A book chosen beside the list (none: every book).
    void bookChosen(const Listing::Narrowing &book);
    // The reader took the offer of the words in any order.
    void anyOrderTaken();
    // The books panel came or went: the window lays itself out again.
    void layoutChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void offerAnyOrder(const Listing &search);

    DataControl *m_data;
    QLabel *m_caption;
    BooksPanel *m_books;
    QPushButton *m_offer;
    Listing m_counted; // the search whose counts by book are shown
    bool m_booksShown = false;
};

} // namespace tembra
