#pragma once

#include "design/windowplace.h"
#include "forms/form.h"
#include "search/datacontrol.h"
#include "settings/readersettings.h"

#include <QDateTime>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;
class QTimer;

namespace tembra {

class Bound;
class Grid;
class Label;
class Panel;
class TextBox;
class ResultModel;

// The main window, built from its definition: the caption bar of its own, the search
// box and button, the reading pane, the info labels bound to the current record, the
// count and the result grid, all over one data control; the clock banner above the pane.
class Tembra1 final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Tembra1)

public:
    // The collection comes to the data control Adodc1 from outside; if it cannot be
    // read, the window says why once it is on screen.
    explicit Tembra1(QWidget *parent = nullptr);
    ~Tembra1() override;

    Form &form() { return m_form; }

    QString searchTerm() const { return m_searchTerm; }
    bool collectionOpen() const { return Adodc1->isOpen(); }
    // Takes the collection read at start-up, or why it could not be read.
    void setCollection(HadithTable table) { Adodc1->setTable(std::move(table)); }
    void setCollectionError(const Error &error) { Adodc1->setOpenError(error); }
    // The file the collection was read from, as a message names it (at first the design's
    // Book/Data.mdb under the working folder).
    void setCollectionFile(const QString &path) { m_collectionFile = path; }
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
    // back to every book, or the whole of that book from the current hadith on. Each runs
    // a statement on the data control and keeps the current hadith.
    void onlyThisBook();
    void allBooks();
    void readBookFromHere();
    // The current hadith, with its book and number, to the clipboard.
    void copyWithSource();
    // Back to the search box, its text selected to be typed over.
    void focusSearchBox();

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
    void connectHandlers();
    void search();
    void searchSteps(const QString &text);
    void exactMatchToggled(bool on);
    void showComparison(); // the exact option in view, inside the search box
    void zoomPane(int steps); // 0 goes back to the design's size
    void setPanePoints(qreal points);
    void savePanePoints(); // if the size changed since it was last kept
    void report(const QString &message, const Error &error);
    void showSearchBoxMenu(const QPoint &at);
    void showPaneMenu(const QPoint &at);
    void showListMenu(const QPoint &at);
    void runKeeping(const Listing &listing);
    QString paneComposition() const;
    void highlightTerm();
    void currentChanged();
    void gridRowPicked(int row);
    void openFailed();
    void reportOpenError();
    void toggleEnlarged();
    void applyPlacement(const WindowPlacement &place);
    QRectF windowTwips() const;
    QRectF screenTwips() const;
    TwipsArea areaTwips() const;

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

    // The controls bound to a column of the current record, as the definition binds them.
    struct BoundControl {
        Bound *control;
        Column column;
    };
    std::vector<BoundControl> m_bound;
    ResultModel *m_model = nullptr;
    QString m_searchTerm;
    Listing m_lastSearch; // the search the list holds, or came from
    QAction *m_exactMatch = nullptr;
    QLabel *m_exactShown = nullptr; // made the first time the option is on
    QAction *m_onlyThisBook = nullptr;
    QAction *m_allBooks = nullptr;
    QAction *m_readBook = nullptr;
    QAction *m_copyWithSource = nullptr;
    QString m_collectionFile;
    bool m_countOnRefresh = false; // the count follows the result as soon as it is known
    QTimer *m_savePanePoints = nullptr; // runs while a new size waits to be kept
    bool m_panePointsDue = false;
    bool m_zoomNotSavedSaid = false;
    ReaderSettings m_store;
    std::function<QDateTime()> m_clock;
    std::unique_ptr<EnlargeToggle> m_toggle;
    bool m_loaded = false;
    bool m_openFailed = false;
    bool m_openErrorShown = false;
    bool m_syncingGrid = false;
    // Moving the window by its title: where the button went down, and whether the
    // window follows the pointer itself (where the system does not move it).
    QPoint m_pressAt;
    bool m_titlePressed = false;
    bool m_following = false;
    QPoint m_grabOffset;
};

} // namespace tembra
