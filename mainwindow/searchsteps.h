#pragma once

#include "places/placehistory.h"
#include "search/comparison.h"
#include "search/listing.h"
#include "settings/readersettings.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>

class QWidget;

namespace tembra {

class DataControl;
class Grid;
class Label;
class ResultModel;
class TextBox;

// The search, as both of its triggers run it (the search button and Enter in the search
// box), and the other ways the list comes to show something: one book of a search and every
// book again, a whole book read from a hadith, a place to go to. Each step runs only if the
// one before it succeeded; the first that fails ends the steps without a word, and what was
// done before it stays done.
//
// Every list shown here is a place the reader jumped to, and goes into the history of
// places on its own: back and forward go through them, and are no jump themselves.
class SearchSteps final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SearchSteps)

public:
    // What the steps act on: the main window's data control and the controls that show
    // its result.
    struct Controls {
        DataControl *data = nullptr;
        Label *count = nullptr; // Label12
        Grid *grid = nullptr; // DataGrid1
        std::array<Label *, 3> info{}; // Label1, Label2, Label3
        TextBox *pane = nullptr; // Text1
        ResultModel *model = nullptr;
        std::function<QString()> composition; // the pane's composition for the record
        std::function<void()> highlight; // selects the term's first occurrence in the pane
    };
    SearchSteps(QWidget *window, Controls controls);

    // The search term: the text of the last search that passed the length check; empty
    // before the first.
    QString term() const { return m_term; }
    // The search the list holds, or the one it came from.
    const Listing &lastSearch() const { return m_lastSearch; }

    // The search for text as typed, under the options given: nothing for an empty text, a
    // message below 3 units. A search that passes the length check goes first in the
    // history.
    void search(const QString &text, Comparison comparison, bool anyOrder);
    const SearchHistory &history() const { return m_history; }
    void setHistory(const SearchHistory &history) { m_history = history; }
    // The list shows listing, the hadith of the table's row keepRow still current where it
    // holds it. The count comes first, as soon as the new result is known, then the grid,
    // the current record and the pane, as a search shows them.
    bool showKeeping(const Listing &listing, int keepRow);

    // Where the reader is: what the list holds and its current hadith.
    Place currentPlace() const;
    // Goes to a place: its list shown as showKeeping() shows one, its hadith current where
    // the collection holds that very hadith (its book, number and text), else the list's
    // first. A place that is a search is the search again, its term and its options. False
    // when the list cannot be shown.
    bool showPlace(const Place &place);

    // The places jumped to: back and forward through them, each place with its list and the
    // hadith current when the reader left it. False at either end, or when the list cannot
    // be shown.
    bool goBack();
    bool goForward();
    bool canGoBack() const { return m_places.canGoBack(); }
    bool canGoForward() const { return m_places.canGoForward(); }
    // The history starts afresh where the reader is now (a collection was opened), with
    // before, where they left off last time, one step back.
    void restartHistory(const std::optional<Place> &before = std::nullopt);
    // A collection of its own: no search of the last one stands any more, and the history
    // starts afresh.
    void collectionChanged();
    const PlaceHistory &places() const { return m_places; }

signals:
    // The list holds something new (the data control's listing says what).
    void listShown();
    // A place that is a search came back (back, forward, or a place gone to): the search
    // box is to show its text and options.
    void searchRestored(const Listing &search);

private:
    bool show(const Listing &listing, int keepRow);
    bool go(const Place &place);
    bool jump(const Place &left, bool shown);

    QWidget *m_window;
    Controls m_c;
    QString m_term;
    Listing m_lastSearch;
    SearchHistory m_history;
    PlaceHistory m_places;
    bool m_countOnRefresh = false;
};

} // namespace tembra
