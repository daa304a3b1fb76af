#pragma once

#include "bookmarks/bookmark.h"
#include "search/comparison.h"

#include <QWidget>

#include <functional>
#include <future>
#include <memory>
#include <unordered_set>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace tembra {

class BookmarkFilter;
class BookmarkRows;
class Marks;

// The marked hadiths, in a window of their own (Ctrl+B, or the caption bar's link): every
// bookmark with its book, number, the start of its text, its note and the date it was made,
// the newest first. What is typed in its box narrows the list to the bookmarks whose note
// or text holds it, compared as the search compares. Enter (or a double click) opens the
// bookmark's hadith in the main window, its book listed from it, and closes the view; a
// bookmark whose hadith the open collection does not hold says so and opens nothing.
// Delete removes one, Ctrl+Z brings back the last removed; F2 edits the note. Export and
// import write the bookmarks to a Markdown file and add those of one, to move them to
// another machine.
class BookmarksView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BookmarksView)

public:
    struct Hooks {
        // Shows the bookmark's hadith in the main window; false if it could not.
        std::function<bool(const Bookmark &)> open;
        // The comparison the search uses now.
        std::function<Comparison()> comparison;
    };
    BookmarksView(QWidget *window, Marks *marks, Hooks hooks);
    ~BookmarksView() override;

    // Shows the view, its box ready to be typed into; the list as the file holds it.
    void showView();

    QLineEdit *filterBox() const { return m_box; }
    QTableView *list() const { return m_list; }
    QLabel *status() const { return m_status; }

    // What the keys and buttons do, on the bookmark the list has current.
    void openCurrent();
    void removeCurrent();
    void undoRemoval();
    void editNote();
    // Export to, and import from, the file named (the buttons ask for one).
    void exportTo(QString path);
    void importFrom(const QString &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void rebuild();
    void refilter(bool keepCurrent);
    void select(qint64 id, int orPlace);
    const Bookmark *current() const;
    void say(const QString &text);
    void askExport();
    void askImport();
    void enableButtons();

    Marks *m_marks;
    Hooks m_hooks;
    QLineEdit *m_box;
    QTableView *m_list;
    BookmarkRows *m_rows;
    QLabel *m_status;
    QPushButton *m_note;
    QPushButton *m_remove;
    QPushButton *m_undo;
    QPushButton *m_export;
    QPushButton *m_import;
    // The list the box narrows: the bookmarks as they were when it was made, with the row
    // of the open collection each names, less those removed here since; and the filter
    // over the same list, once it is made.
    std::vector<Bookmark> m_bookmarks;
    std::vector<int> m_rowOf;
    std::future<std::unique_ptr<BookmarkFilter>> m_filterMade;
    std::unique_ptr<BookmarkFilter> m_filter;
    std::unordered_set<qint64> m_gone;
    quint64 m_builtAt = ~quint64(0); // the marks' generation the list was made at
    std::vector<Bookmark> m_removed; // for Ctrl+Z, the last removed last
    bool m_changing = false; // a change of the view's own is being made
};

} // namespace tembra
