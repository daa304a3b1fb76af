#pragma once

#include "design/windowplace.h"
#include "forms/form.h"
#include "search/datacontrol.h"
#include "settings/readersettings.h"

#include <QDateTime>
#include <QWidget>

#include <functional>
#include <memory>

class QLineEdit;
class QPushButton;
class QTextEdit;
class QTimer;

namespace tembra {

struct Bookmark;
class BookmarksView;
class Grid;
class Label;
class CaptionLinks;
class CollectionOpener;
class ContentsView;
class GoToNumber;
class ListGuide;
class ReadingLook;
class SideButtons;
class StartOffers;
class Marks;
class MarkSign;
class Panel;
class PaneZoom;
class ReaderMenus;
class RecordBinding;
class SearchBox;
class SearchSteps;
class TextBox;
class WindowDrag;

// The main window, built from its definition: the caption bar of its own, the search
// box and button, the reading pane, the info labels bound to the current record, the
// count and the result grid, all over one data control; the clock banner above the pane.
// This class holds the window's handlers; each part that is more than a handler is a class
// of its own (the search box's menu and options, the search's steps, the menus, the zoom,
// the binding of the controls to the current record, moving the window by its title).
class Tembra1 final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Tembra1)

public:
    // The collection comes to the data control Adodc1 from outside; if it cannot be
    // read, the window says why once it is on screen.
    explicit Tembra1(QWidget *parent = nullptr);
    ~Tembra1() override;

    Form &form() { return m_form; }

    QString searchTerm() const;
    bool collectionOpen() const { return Adodc1->isOpen(); }
    // Takes the collection read at start-up (with a search of it already begun, perhaps), or
    // why it could not be read.
    void setCollection(HadithTable table, std::unique_ptr<TableSearch> search = nullptr)
    {
        Adodc1->setTable(std::move(table), std::move(search));
    }
    // Where the bookmarks are kept; the user's own unless a test gives another. Opened
    // once, when the window is first shown.
    void setBookmarksFile(const QByteArray &path) { m_bookmarksFile = path; }
    Marks *marks() const { return m_marks; }
    BookmarksView *bookmarksView() const { return m_bookmarksView; }
    void setCollectionError(const Error &error) { Adodc1->setOpenError(error); }
    // The file the collection was read from, as a message names it (at first the design's
    // Book/Data.mdb under the working folder).
    void setCollectionFile(const QString &path) { m_collectionFile = path; }
    QString collectionPath() const { return m_collectionFile; }
    // How many hadiths and books the collection in view holds; -1 while none is open.
    int hadithCount() const;
    int bookCount() const;
    // Reads another collection, as Ctrl+O or a file dropped on the window does: the one in
    // view stays until it is read, and stays if it cannot be.
    void openCollection(const QString &path);
    const EnlargeToggle *enlargeState() const { return m_toggle.get(); }

    // Where the search text is kept between runs; the user's own settings unless a
    // test gives another.
    void setSettingsStore(const ReaderSettings &store) { m_store = store; }
    // The clock the banner reads (tests give a fixed one).
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    // Handlers
    void Form_Load();
    void Form_Resize();
    void Text2_KeyDown(int &keyCode);
    void Text1_KeyDown(int &keyCode);
    void Text2_KeyPress(int &keyAscii);
    void Command1_Click();
    void Label4_Change();
    void Text1_Change();
    void Label1_Change();
    void Label2_Change();
    void Label3_Change();
    void Label19_MouseDown();
    void Label19_DblClick();
    void La1_Click();
    void La2_Click();
    void La3_Click();
    void Label15_Click();
    void Timer2_Timer();

    // The result list's menu: the current result narrowed to the current hadith's book,
    // back to every book, or the whole of that book from the current hadith on. Each keeps
    // the current hadith.
    void onlyThisBook();
    void onlyThisChapter();
    void allBooks();
    void readBookFromHere();
    // The current hadith, with its book and number, to the clipboard.
    void copyWithSource();
    // Back to the search box, its text selected to be typed over.
    void focusSearchBox();
    // Ctrl+D: the current hadith marked, with a note, or its mark changed or removed.
    void markCurrent();
    // Ctrl+B: the marked hadiths.
    void showBookmarks();

    // Finding one's way: the contents (Ctrl+T), a hadith by its number (Ctrl+G), back and
    // forward through the places jumped to (Alt+Left, Alt+Right), another collection
    // (Ctrl+O).
    void openContents();
    void askNumber();
    void goBack();
    void goForward();
    void chooseCollection();

signals:
    // The About label was clicked: the About window is to be shown modally; the
    // handler returns once it is closed.
    void aboutRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void findControls();
    void makeParts();
    void makeWayParts();
    void makeBookmarkParts();
    void connectHandlers();
    void connectWayHandlers();
    void connectCaptionBar();
    void connectBookmarkHandlers();
    QString paneComposition() const;
    void highlightTerm();
    void exactMatchToggled(bool on);
    void anyOrderToggled(bool on);
    void runSearch(const QString &text);
    void listShown();
    void bookChosen(const Listing::Narrowing &book);
    void showListMenu(const QPoint &at);
    void showPaneMenu(const QPoint &at);
    void reportOpenError();
    void tableChanged();
    void startPlaces();
    void readChosen(const Listing &listing);
    void readNumber(int row);
    void readOn();
    void searchRestored(const Listing &search);
    void placesChanged();
    void collectionOpened(const QString &path, const HadithTable &table);
    void collectionFailed(const QString &path, const Error &error);
    void restoreLook();
    void reportNotKept(const Error &error);
    void openBookmarks();
    void marksFollowCollection();
    bool openBookmark(const Bookmark &bookmark);
    void showMark();

    Form m_form;

    // Controls, by their design names; each object also bears its design name.
    DataControl *Adodc1 = nullptr;
    Label *Label1 = nullptr; // Tab2, the hadith's number
    Label *Label2 = nullptr; // Tab3, its kind
    Label *Label3 = nullptr; // Tab5, its book
    TextBox *Label4 = nullptr; // Tab1, hidden
    Label *Label5 = nullptr; // Tab4, hidden
    Label *Label12 = nullptr; // the count
    Label *Label15 = nullptr; // About
    Label *Label16 = nullptr; // the banner
    Label *Label19 = nullptr; // the title, the handle to move the window by
    Label *La1 = nullptr; // close
    Label *La2 = nullptr; // enlarge and restore
    Label *La3 = nullptr; // minimise
    Label *Mini = nullptr; // hidden: "1" normal, "2" enlarged
    TextBox *Text1 = nullptr; // the reading pane
    QLineEdit *Text2 = nullptr; // the search box
    QTextEdit *RichTextBox1 = nullptr; // the hint laid over the search box at start
    QPushButton *Command1 = nullptr;
    Grid *DataGrid1 = nullptr;
    Panel *Pic1 = nullptr;
    QTimer *Timer2 = nullptr; // the banner, every 500 ms

    RecordBinding *m_binding = nullptr;
    SearchBox *m_searchBox = nullptr;
    SearchSteps *m_steps = nullptr;
    ListGuide *m_guide = nullptr;
    CaptionLinks *m_links = nullptr;
    ReaderMenus *m_menus = nullptr;
    PaneZoom *m_zoom = nullptr;
    WindowDrag *m_drag = nullptr;
    ContentsView *m_contents = nullptr;
    GoToNumber *m_goTo = nullptr;
    CollectionOpener *m_opener = nullptr;
    ReadingLook *m_look = nullptr;
    StartOffers *m_offers = nullptr;
    SideButtons *m_sideButtons = nullptr;
    Marks *m_marks = nullptr;
    MarkSign *m_markSign = nullptr;
    BookmarksView *m_bookmarksView = nullptr;
    QByteArray m_bookmarksFile;
    QString m_collectionFile;
    ReaderSettings m_store;
    std::function<QDateTime()> m_clock;
    std::unique_ptr<EnlargeToggle> m_toggle;
    bool m_loaded = false;
    bool m_openFailed = false;
    bool m_openErrorShown = false;
};

} // namespace tembra
