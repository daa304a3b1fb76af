#include "mainwindow/tembra1.h"

#include "base/messages.h"
#include "base/texts.h"
#include "bookmarks/bookmarkstore.h"
#include "design/addedlayout.h"
#include "design/banner.h"
#include "design/layoutpass.h"
#include "forms/controls.h"
#include "forms/designkeys.h"
#include "forms/messagebox.h"
#include "forms/recordbinding.h"
#include "forms/windowdrag.h"
#include "mainwindow/bookmarksview.h"
#include "mainwindow/bookspanel.h"
#include "mainwindow/captionlinks.h"
#include "mainwindow/collectionopener.h"
#include "mainwindow/contentsview.h"
#include "mainwindow/gotonumber.h"
#include "mainwindow/listguide.h"
#include "mainwindow/marks.h"
#include "mainwindow/marksign.h"
#include "mainwindow/markwindow.h"
#include "mainwindow/panezoom.h"
#include "mainwindow/readermenus.h"
#include "mainwindow/readinglook.h"
#include "mainwindow/searchbox.h"
#include "mainwindow/searchsteps.h"
#include "mainwindow/sidebuttons.h"
#include "mainwindow/startoffers.h"
#include "places/keptplace.h"
#include "search/citation.h"
#include "search/pane.h"
#include "search/resultmodel.h"

#include <QAction>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTextEdit>
#include <QTimer>

#include <cstdio>

namespace tembra {

Tembra1::Tembra1(QWidget *parent) : QWidget(parent), m_form(tembra1Definition(), this)
{
    findControls();
    makeParts();
    makeWayParts();
    makeBookmarkParts();
    connectHandlers();
    connectWayHandlers();
    connectCaptionBar();
    connectBookmarkHandlers();
}

Tembra1::~Tembra1() = default;

void Tembra1::findControls()
{
    const auto label
        = [this](const char *name) { return m_form.get<Label>(QString::fromLatin1(name)); };
    Label1 = label("Label1");
    Label2 = label("Label2");
    Label3 = label("Label3");
    Label5 = label("Label5");
    Label12 = label("Label12");
    Label15 = label("Label15");
    Label16 = label("Label16");
    Label19 = label("Label19");
    La1 = label("La1");
    La2 = label("La2");
    La3 = label("La3");
    Mini = label("Mini");
    Label4 = m_form.get<TextBox>(QStringLiteral("Label4"));
    Text1 = m_form.get<TextBox>(QStringLiteral("Text1"));
    Text2 = m_form.get<QLineEdit>(QStringLiteral("Text2"));
    RichTextBox1 = m_form.get<QTextEdit>(QStringLiteral("RichTextBox1"));
    Command1 = m_form.get<QPushButton>(QStringLiteral("Command1"));
    DataGrid1 = m_form.get<Grid>(QStringLiteral("DataGrid1"));
    Pic1 = m_form.get<Panel>(QStringLiteral("Pic1"));
    Timer2 = m_form.get<QTimer>(QStringLiteral("Timer2"));

    // The layout pass moves the details panel down over the top of the count panel; the
    // count stays in front of the panel's empty lower part. Every other control keeps the
    // stacking of the definition.
    m_form.widget(QStringLiteral("Pic2"))->stackUnder(m_form.widget(QStringLiteral("Pic3")));

    // The data control, as its definition sets it up: the whole of Table1 at first.
    const ControlDef *source = m_form.definition().find(QStringLiteral("Adodc1"));
    Adodc1 = new DataControl(this);
    Adodc1->setObjectName(source->designName());
    Adodc1->setRecordSource(source->recordSource);
    Adodc1->setCommandType(source->commandType);
    m_collectionFile = collectionFile();
}

// The parts of the window that are more than a handler, each a class of its own.
void Tembra1::makeParts()
{
    // Each row names its hadith in view, book and number, before the design's kind and text.
    m_binding = new RecordBinding(m_form, Adodc1, DataGrid1,
                                  {{texts::bookWord(), Column::Book, Column::Number, 2700}});
    DataGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DataGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DataGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DataGrid1->setWordWrap(false);
    DataGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    // The pane shows the record; the reader selects and copies from it but never edits it.
    Text1->setReadOnly(true);
    Text1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Text1->setContextMenuPolicy(Qt::CustomContextMenu);

    // The design's keys first: the search box's own (Alt+Down) are looked at before them.
    new DesignKeys(
        Text2, [this](int &code) { Text2_KeyDown(code); },
        [this](int &ascii) { Text2_KeyPress(ascii); });
    new DesignKeys(Text1, [this](int &code) { Text1_KeyDown(code); });
    m_searchBox = new SearchBox(Text2);
    SearchSteps::Controls shown;
    shown.data = Adodc1;
    shown.count = Label12;
    shown.grid = DataGrid1;
    shown.info = {Label1, Label2, Label3};
    shown.pane = Text1;
    shown.model = m_binding->model();
    shown.composition = [this] { return paneComposition(); };
    shown.highlight = [this] { highlightTerm(); };
    m_steps = new SearchSteps(this, std::move(shown));
    m_guide = new ListGuide(m_form, Adodc1, Pic1);
    m_links = new CaptionLinks(m_form);
    m_menus = new ReaderMenus(this);
    m_zoom = new PaneZoom(Text1, this, [this](qreal points, Error *error) {
        return m_store.setValue(Setting::PaneFontSize, points, error);
    });
    m_drag = new WindowDrag(Label19, this);
    m_clock = [] { return QDateTime::currentDateTime(); };
}

// Finding one's way in the collection, and reading in comfort.
void Tembra1::makeWayParts()
{
    m_contents = new ContentsView(this, Adodc1);
    m_goTo = new GoToNumber(this, Adodc1);
    m_opener = new CollectionOpener(this);
    m_offers = new StartOffers(m_form, Pic1);
    m_sideButtons = new SideButtons(this);
    m_look = new ReadingLook(Text1, {DataGrid1, m_guide->books()->list(), m_contents->tree()},
                             [this](Setting setting, const QVariant &value, Error *error) {
                                 return m_store.setValue(setting, value, error);
                             });
    m_links->add(QStringLiteral("ContentsLink"), texts::contents(),
                 texts::keyTip(texts::contents(), QStringLiteral("Ctrl+T")),
                 [this] { openContents(); });
    m_links->add(
        QStringLiteral("OpenLink"), texts::openCollection(),
        texts::keyTip(texts::openCollection(), QStringLiteral("Ctrl+O")),
        [this] { chooseCollection(); }, texts::openButton() + QChar(0x2026));
}

void Tembra1::makeBookmarkParts()
{
    m_marks = new Marks(this);
    m_bookmarksFile = BookmarkStore::defaultPath();
    m_binding->model()->setMarks([this](int row) { return m_marks->noteAt(row); });
    m_markSign = new MarkSign(m_form);
    m_bookmarksView = new BookmarksView(
        this, m_marks,
        {[this](const Bookmark &b) { return openBookmark(b); },
         [this] { return m_searchBox->exact() ? Comparison::Exact : Comparison::Folded; }});
    m_links->add(QStringLiteral("MarkedLink"), texts::markedHadiths(),
                 texts::markedHadiths() + QLatin1Char(' ')
                     + texts::isolatedPath(QStringLiteral("Ctrl+B")),
                 [this] { showBookmarks(); });
}

void Tembra1::connectHandlers()
{
    connect(Adodc1, &DataControl::openFailed, this, [this] {
        m_openFailed = true;
        if (isVisible())
            showEvent(nullptr);
    });
    // The pane follows every change of the record, also when only its Tab4 line differs
    // (the hadith text, and so Label4, may be the same).
    connect(m_binding, &RecordBinding::recordShown, this, [this] {
        if (!DataGrid1->isHidden())
            Text1->setText(paneComposition());
    });
    connect(Label4, &TextBox::changed, this, &Tembra1::Label4_Change);
    connect(Text1, &TextBox::changed, this, &Tembra1::Text1_Change);
    connect(Label1, &Label::changed, this, &Tembra1::Label1_Change);
    connect(Label2, &Label::changed, this, &Tembra1::Label2_Change);
    connect(Label3, &Label::changed, this, &Tembra1::Label3_Change);
    connect(Command1, &QPushButton::clicked, this, &Tembra1::Command1_Click);
    Text1->installEventFilter(this);
    DataGrid1->installEventFilter(this);

    connect(m_searchBox, &SearchBox::exactToggled, this, &Tembra1::exactMatchToggled);
    connect(m_searchBox, &SearchBox::anyOrderToggled, this, &Tembra1::anyOrderToggled);
    connect(m_searchBox, &SearchBox::historyChosen, this,
            [this](const PastSearch &search) { runSearch(search.text); });
    connect(m_steps, &SearchSteps::listShown, this, &Tembra1::listShown);
    connect(m_guide, &ListGuide::bookChosen, this, &Tembra1::bookChosen);
    connect(m_guide, &ListGuide::layoutChanged, this, &Tembra1::Form_Resize);
    connect(m_guide, &ListGuide::anyOrderTaken, this,
            [this] { m_searchBox->anyOrderOption()->setChecked(true); });
    connect(m_zoom, &PaneZoom::notKept, this, &Tembra1::reportNotKept);
    connect(m_menus->onlyThisBook(), &QAction::triggered, this, &Tembra1::onlyThisBook);
    connect(m_menus->onlyThisChapter(), &QAction::triggered, this, &Tembra1::onlyThisChapter);
    connect(m_menus->allBooks(), &QAction::triggered, this, &Tembra1::allBooks);
    connect(m_menus->readBookFromHere(), &QAction::triggered, this, &Tembra1::readBookFromHere);
    connect(m_menus->copyWithSource(), &QAction::triggered, this, &Tembra1::copyWithSource);
    connect(Text1, &QWidget::customContextMenuRequested, this, &Tembra1::showPaneMenu);
    connect(DataGrid1, &QWidget::customContextMenuRequested, this, &Tembra1::showListMenu);
    // Back to the search box from anywhere in the window.
    for (const QKeySequence &keys :
         {QKeySequence(Qt::CTRL | Qt::Key_F), QKeySequence(Qt::CTRL | Qt::Key_L)}) {
        auto *shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, &Tembra1::focusSearchBox);
    }
}

void Tembra1::connectWayHandlers()
{
    connect(Adodc1, &DataControl::tableChanged, this, &Tembra1::tableChanged);
    connect(Adodc1, &DataControl::currentChanged, this, [this] {
        if (m_contents->isVisible())
            m_contents->mark(Adodc1->currentRow());
    });
    connect(m_menus->back(), &QAction::triggered, this, &Tembra1::goBack);
    connect(m_menus->forward(), &QAction::triggered, this, &Tembra1::goForward);
    connect(m_sideButtons, &SideButtons::back, this, &Tembra1::goBack);
    connect(m_sideButtons, &SideButtons::forward, this, &Tembra1::goForward);
    connect(m_menus->contents(), &QAction::triggered, this, &Tembra1::openContents);
    connect(m_menus->goToNumber(), &QAction::triggered, this, &Tembra1::askNumber);
    connect(m_menus->openCollection(), &QAction::triggered, this, &Tembra1::chooseCollection);
    connect(m_contents, &ContentsView::chosen, this, &Tembra1::readChosen);
    connect(m_goTo, &GoToNumber::found, this, &Tembra1::readNumber);
    connect(m_steps, &SearchSteps::searchRestored, this, &Tembra1::searchRestored);
    connect(m_offers, &StartOffers::carryOnTaken, this, [this] {
        goBack();
        readOn();
    });
    connect(m_offers, &StartOffers::openTaken, this, &Tembra1::chooseCollection);
    // The offer to carry on stands until the reader does something else.
    connect(Text2, &QLineEdit::textEdited, this, [this] { m_offers->offerCarryOn(false); });
    connect(m_opener, &CollectionOpener::opened, this, &Tembra1::collectionOpened);
    connect(m_opener, &CollectionOpener::failed, this, &Tembra1::collectionFailed);
    connect(m_menus->nightAppearance(), &QAction::triggered, m_look, &ReadingLook::setNight);
    connect(m_menus->showMarks(), &QAction::triggered, m_look, &ReadingLook::setMarksShown);
    connect(m_menus, &ReaderMenus::familyChosen, m_look, &ReadingLook::setFamily);
    connect(m_look, &ReadingLook::notKept, this, &Tembra1::reportNotKept);
}

void Tembra1::connectCaptionBar()
{
    connect(Label19, &Label::mouseDown, this, &Tembra1::Label19_MouseDown);
    connect(Label19, &Label::doubleClicked, this, &Tembra1::Label19_DblClick);
    for (Label *button : {La1, La2, La3}) {
        // The pressed look: a frame around the button face while a button is down.
        connect(button, &Label::mouseDown, button,
                [button] { button->setBorderStyle(BorderStyle::Line); });
        connect(button, &Label::mouseUp, button,
                [button] { button->setBorderStyle(BorderStyle::None); });
    }
    connect(La1, &Label::clicked, this, &Tembra1::La1_Click);
    connect(La2, &Label::clicked, this, &Tembra1::La2_Click);
    connect(La3, &Label::clicked, this, &Tembra1::La3_Click);
    connect(Label15, &Label::clicked, this, &Tembra1::Label15_Click);

    connect(Timer2, &QTimer::timeout, this, &Tembra1::Timer2_Timer);
}

// A mark that comes or goes shows in its row and beside the pane at once.
void Tembra1::connectBookmarkHandlers()
{
    connect(m_marks, &Marks::changed, this, [this](int row) {
        m_binding->model()->markChanged(row);
        showMark();
    });
    connect(m_binding, &RecordBinding::recordShown, this, &Tembra1::showMark);
    connect(m_steps, &SearchSteps::listShown, this, &Tembra1::showMark);
    connect(m_markSign, &MarkSign::clicked, this, &Tembra1::markCurrent);
    auto *mark = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_D), this);
    connect(mark, &QShortcut::activated, this, &Tembra1::markCurrent);
    auto *bookmarks = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_B), this);
    connect(bookmarks, &QShortcut::activated, this, &Tembra1::showBookmarks);
}

QString Tembra1::searchTerm() const
{
    return m_steps->term();
}

// --- The load step ------------------------------------------------------------------

// Runs once, before the window is first shown.
void Tembra1::Form_Load()
{
    setWindowTitle(Label19->caption());
    for (Label *button : {La1, La2, La3})
        button->setTransparent(true);
    La1->setToolTip(texts::closeTip());
    La2->setToolTip(texts::enlargeTip());
    La3->setToolTip(texts::minimiseTip());

    // Centred as the design centres it, then reduced and moved onto the part of the screen
    // a window may take, if it is smaller than the design. The primary screen need not
    // start at (0, 0): the place is taken from its own corner.
    const QRectF window = windowTwips(this);
    const QRectF screen = screenTwips();
    const CentredPlace centre = centredPlace(float(screen.width()), float(screen.height()),
                                             float(window.width()), float(window.height()));
    const WindowPlacement place = keepWithin({float(screen.left()) + float(centre.left),
                                              float(screen.top()) + float(centre.top),
                                              float(window.height()), float(window.width())},
                                             availableTwips());
    m_form.setTwips(this, place.left, place.top, place.width, place.height);

    const QRectF centred = windowTwips(this);
    m_toggle = std::make_unique<EnlargeToggle>(float(centred.height()), float(centred.width()));
    // A settings file that cannot be used leaves the box empty; the reason goes to
    // standard error, since nothing was lost that the reader could act on.
    Error why;
    if (!m_store.load(&why)) {
        std::fprintf(stderr, "tembra: the saved search text is not used: %s\n",
                     why.detail.toLocal8Bit().constData());
        startPlaces();
        return; // the other settings are in the same file
    }
    Text2->setText(m_store.value(Setting::SearchText).toString());
    // The search option and the pane's text size as the reader left them.
    m_searchBox->setOptions(m_store.value(Setting::ExactMatch).toBool(),
                            m_store.value(Setting::AnyOrder).toBool());
    Adodc1->setComparison(m_searchBox->exact() ? Comparison::Exact : Comparison::Folded);
    if (const qreal points = m_store.value(Setting::PaneFontSize).toDouble(); points > 0)
        m_zoom->setPoints(pane::zoomedPoints(points, 0));
    m_steps->setHistory(m_store.value(Setting::History).value<SearchHistory>());
    m_searchBox->setHistory(m_steps->history());
    restoreLook();
    startPlaces();
}

// The pane's look as the reader left it.
void Tembra1::restoreLook()
{
    const bool night = m_store.value(Setting::NightAppearance).toBool();
    const bool marks = m_store.value(Setting::ShowMarks).toBool();
    m_look->restore(night, marks, m_store.value(Setting::PaneFont).toString());
    m_menus->nightAppearance()->setChecked(night);
    m_menus->showMarks()->setChecked(marks);
}

// The start is the design's; where the reader left off last time is one step back, and
// offered in view until they do something else.
void Tembra1::startPlaces()
{
    const std::optional<Place> kept = collectionOpen()
        ? placeKept(m_store.value(Setting::Place).value<SavedPlace>())
        : std::nullopt;
    m_steps->restartHistory(kept);
    m_offers->offerCarryOn(kept.has_value() && m_steps->canGoBack());
    placesChanged();
}

void Tembra1::showEvent(QShowEvent *event)
{
    if (!m_loaded) {
        m_loaded = true;
        Form_Load();
        // Once the window is on screen: the reader need not wait for the bookmarks to see
        // it (ten thousand of them take a few hundred milliseconds to check and read while
        // the search prepares itself).
        QTimer::singleShot(0, this, &Tembra1::openBookmarks);
    }
    if (event)
        QWidget::showEvent(event);
    if (m_openFailed && !m_openErrorShown) {
        m_openErrorShown = true;
        // Said once the window is on screen, so that the box stands over it; then the way
        // to open another is there in view.
        m_offers->offerOpen(true);
        QTimer::singleShot(0, this, &Tembra1::reportOpenError);
    }
}

void Tembra1::reportOpenError()
{
    msgbox::report(
        this, openErrorMessage(QFileInfo(m_collectionFile).absoluteFilePath(), Adodc1->openError()),
        Adodc1->openError());
    if (m_offers->open()->isVisible())
        m_offers->open()->setFocus(Qt::OtherFocusReason);
}

// The bookmarks are opened once, after the collection is there or not: they need none. A
// file that cannot be used is said, and left as it is.
void Tembra1::openBookmarks()
{
    m_marks->followCollection(Adodc1->table());
    Error error;
    if (!m_marks->open(m_bookmarksFile, &error))
        msgbox::report(this, bookmarksErrorMessage(error), error);
}

void Tembra1::marksFollowCollection()
{
    if (m_loaded)
        m_marks->followCollection(Adodc1->table());
}

// --- The layout pass ----------------------------------------------------------------

void Tembra1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void Tembra1::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void Tembra1::Form_Resize()
{
    const QRectF window = windowTwips(this);
    const LayoutResult result = layoutPass(float(window.width()), float(window.height()),
                                           isMinimized(), m_form.allTwips());
    TwipsGeometry places = result.geometry;
    placeAddedControls(places, {m_guide->booksShown()});
    m_form.setTwips(places);
    if (result.pic1BackColor)
        Pic1->setBackColor(*result.pic1BackColor);
}

// --- The caption bar ----------------------------------------------------------------

void Tembra1::Label19_MouseDown()
{
    m_drag->arm();
}

void Tembra1::Label19_DblClick()
{
    m_drag->disarm();
    La2_Click();
}

// Enlarged, the window takes the part of the screen a window may have; restored, it goes
// back exactly where the reader had it, even partly off the screen.
void Tembra1::La2_Click()
{
    if (!m_toggle)
        return;
    const QRectF window = windowTwips(this);
    const QRectF screen = screenTwips();
    const WindowPlacement place = m_toggle->toggle(float(window.left()), float(window.top()),
                                                   float(screen.width()), float(screen.height()));
    Mini->setCaption(m_toggle->Mini());
    m_form.applyPlacement(m_toggle->enlarged() ? keepWithin(place, availableTwips()) : place);
}

void Tembra1::La3_Click()
{
    showMinimized();
}

// Closing with the close button keeps the search text for the next start, and the earlier
// searches with it; any other way of closing keeps what was saved before.
// So is where the reader is, once they went somewhere (before that, the place kept last
// time stays kept).
void Tembra1::La1_Click()
{
    m_zoom->keepNow();
    Error error;
    const bool somewhere = collectionOpen() && !DataGrid1->isHidden();
    if (!m_store.setValue(Setting::SearchText, Text2->text(), &error)
        || !m_store.setValue(Setting::History, QVariant::fromValue(m_steps->history()), &error)
        || (somewhere
            && !m_store.setValue(Setting::Place,
                                 QVariant::fromValue(keptPlace(m_steps->currentPlace())), &error)))
        msgbox::report(this, saveErrorMessage(error), error);
    close();
}

void Tembra1::Label15_Click()
{
    emit aboutRequested();
}

// --- The clock banner ---------------------------------------------------------------

void Tembra1::Timer2_Timer()
{
    if (RichTextBox1->isVisible()) {
        RichTextBox1->setVisible(false);
        Text2->setFocus();
    }
    Label16->setCaption(bannerText(m_clock(), QLocale()));
}

// --- Search, navigation and the reading pane ----------------------------------------

// Up and Down in the search box step through the matches, and so do PgDn and PgUp, as
// the pane's tooltip promises. A move that fails ends the handler before the key is
// cleared, so the box then handles the key as usual.
void Tembra1::Text2_KeyDown(int &keyCode)
{
    if (Text1->text().isEmpty())
        return;
    if (keyCode == DesignKeys::kDown || keyCode == DesignKeys::kPageDown) {
        if (!Adodc1->moveNext())
            return;
        keyCode = 0;
    }
    if (keyCode == DesignKeys::kUp || keyCode == DesignKeys::kPageUp) {
        if (!Adodc1->movePrevious())
            return;
        keyCode = 0;
    }
}

// In the pane PgDn and PgUp go to the next and the previous match; every other key, the
// arrows among them, stays the pane's.
void Tembra1::Text1_KeyDown(int &keyCode)
{
    if (keyCode == DesignKeys::kPageDown || keyCode == DesignKeys::kPageUp)
        Text2_KeyDown(keyCode);
}

void Tembra1::Text2_KeyPress(int &keyAscii)
{
    if (keyAscii == DesignKeys::kEnter) {
        keyAscii = 0;
        runSearch(Text2->text());
    }
}

void Tembra1::Command1_Click()
{
    runSearch(Text2->text());
}

// Both triggers run the one search, under the options the search box shows.
void Tembra1::runSearch(const QString &text)
{
    m_steps->search(text, m_searchBox->exact() ? Comparison::Exact : Comparison::Folded,
                    m_searchBox->anyOrder());
}

// The comparison changes for the next search, and the search that ran last runs again
// under it, so that the list, the count and the pane agree with the option shown.
void Tembra1::exactMatchToggled(bool on)
{
    Adodc1->setComparison(on ? Comparison::Exact : Comparison::Folded);
    Error error;
    if (!m_store.setValue(Setting::ExactMatch, on, &error))
        msgbox::report(this, optionSaveErrorMessage(error), error);
    if (!searchTerm().isEmpty())
        runSearch(searchTerm());
}

// As the exact option: kept, and the last search runs again under it.
void Tembra1::anyOrderToggled(bool on)
{
    Error error;
    if (!m_store.setValue(Setting::AnyOrder, on, &error))
        msgbox::report(this, optionSaveErrorMessage(error), error);
    if (!searchTerm().isEmpty())
        runSearch(searchTerm());
}

void Tembra1::listShown()
{
    m_guide->listShown(m_steps->lastSearch());
    m_searchBox->setHistory(m_steps->history());
    m_offers->offerCarryOn(false);
    placesChanged();
}

void Tembra1::bookChosen(const Listing::Narrowing &book)
{
    if (DataGrid1->isHidden() || searchTerm().isEmpty())
        return;
    const Listing &search = m_steps->lastSearch();
    m_steps->showKeeping(book ? search.inBook(*book) : search.inEveryBook(), Adodc1->currentRow());
}

// The pane holds nothing but the current record; with no record (a search that found
// nothing) it is empty.
QString Tembra1::paneComposition() const
{
    if (Adodc1->currentRow() < 0)
        return {};
    return pane::compose(Label5->caption(), Label4->text());
}

void Tembra1::Label4_Change()
{
    Text1->setText(DataGrid1->isHidden() ? QString() : paneComposition());
}

// Runs for every change of the pane's text, the program's own and the user's typing
// alike: whatever the user did is put back at once.
void Tembra1::Text1_Change()
{
    if (DataGrid1->isHidden()) {
        Text1->setText(QString());
        return;
    }
    Text1->setText(paneComposition());
    if (Text1->text().isEmpty())
        return;
    highlightTerm();
}

// The first occurrence of the term is selected, found as the search found it.
void Tembra1::highlightTerm()
{
    Text1->showOccurrences(pane::occurrences(Text1->text(), m_steps->lastSearch()));
}

void Tembra1::Label1_Change()
{
    Label1->setToolTip(pane::numberTooltip(Label1->caption()));
}

void Tembra1::Label2_Change()
{
    Label2->setToolTip(pane::kindTooltip(Label2->caption()));
    Text1->setToolTip(pane::paneTooltip(Label2->caption()));
}

void Tembra1::Label3_Change()
{
    Label3->setToolTip(pane::bookTooltip(Label3->caption()));
}

// --- One book's hadiths, copying with the source, the keys back to the search box ---

void Tembra1::onlyThisBook()
{
    if (DataGrid1->isHidden() || Adodc1->currentRow() < 0 || searchTerm().isEmpty())
        return;
    m_steps->showKeeping(m_steps->lastSearch().inBook(Adodc1->currentRecord()[Column::Book]),
                         Adodc1->currentRow());
}

void Tembra1::onlyThisChapter()
{
    if (DataGrid1->isHidden() || Adodc1->currentRow() < 0 || searchTerm().isEmpty())
        return;
    const Record current = Adodc1->currentRecord();
    m_steps->showKeeping(
        m_steps->lastSearch().inChapter(current[Column::Book], current[Column::Kind]),
        Adodc1->currentRow());
}

void Tembra1::allBooks()
{
    if (DataGrid1->isHidden() || searchTerm().isEmpty())
        return;
    m_steps->showKeeping(m_steps->lastSearch().inEveryBook(), Adodc1->currentRow());
}

// Every hadith of the book in the order it is stored: Up and Down, PgUp and PgDn then read
// through the book from the hadith the reader was at.
void Tembra1::readBookFromHere()
{
    if (DataGrid1->isHidden() || Adodc1->currentRow() < 0)
        return;
    const Record current = Adodc1->currentRecord();
    m_steps->showKeeping(Listing::wholeBook(current[Column::Book], current[Column::Number]),
                         Adodc1->currentRow());
}

void Tembra1::copyWithSource()
{
    if (DataGrid1->isHidden() || Adodc1->currentRow() < 0)
        return;
    QGuiApplication::clipboard()->setText(citation(Adodc1->currentRecord()));
}

void Tembra1::focusSearchBox()
{
    Text2->setFocus(Qt::ShortcutFocusReason);
    Text2->selectAll();
}

// --- Bookmarks and notes -------------------------------------------------------------

void Tembra1::markCurrent()
{
    if (DataGrid1->isHidden() || Adodc1->currentRow() < 0)
        return;
    markHadith(this, m_marks, Adodc1->currentRecord());
}

void Tembra1::showBookmarks()
{
    m_bookmarksView->showView();
}

// A bookmark opens where its hadith stands in its book, read from there; the window's
// steps record it as every other place they go to.
bool Tembra1::openBookmark(const Bookmark &bookmark)
{
    if (!m_steps->showPlace(
            {Listing::wholeBook(bookmark.key.book, bookmark.key.number), bookmark.key}))
        return false;
    activateWindow();
    Text1->setFocus(Qt::OtherFocusReason);
    return true;
}

void Tembra1::showMark()
{
    const bool shown = !DataGrid1->isHidden() && Adodc1->currentRow() >= 0;
    m_markSign->showMark(shown ? m_marks->atRow(Adodc1->currentRow()) : nullptr);
}

// The row under the pointer becomes the current one, and the menu speaks of its book; an
// item that would show the very list shown is greyed.
void Tembra1::showListMenu(const QPoint &at)
{
    const QModelIndex under = DataGrid1->indexAt(at);
    if (under.isValid())
        Adodc1->moveTo(under.row() + 1);
    if (Adodc1->currentRow() < 0)
        return;
    const std::optional<Listing> &shown = Adodc1->listing();
    const Listing &search = m_steps->lastSearch();
    const Record current = Adodc1->currentRecord();
    ReaderMenus::ListOffer offer;
    offer.book = current[Column::Book].value_or(QString());
    offer.chapter = current[Column::Kind].value_or(QString());
    offer.onlyThisBook = shown != search.inBook(current[Column::Book]);
    offer.onlyThisChapter = shown != search.inChapter(current[Column::Book], current[Column::Kind]);
    offer.allBooks = shown != search.inEveryBook();
    m_menus->execListMenu(DataGrid1->viewport()->mapToGlobal(at), offer);
}

void Tembra1::showPaneMenu(const QPoint &at)
{
    ReaderMenus::PaneOffer offer;
    offer.hadith = Adodc1->currentRow() >= 0 && !DataGrid1->isHidden();
    offer.families = ReadingLook::arabicFamilies();
    offer.family = m_look->shownFamily();
    m_menus->execPaneMenu(Text1->viewport()->mapToGlobal(at), Text1, offer);
}

// Esc in the pane or the list goes back to the search box; in the list a copy is of the
// hadith, with its source, not of one cell.
bool Tembra1::eventFilter(QObject *watched, QEvent *event)
{
    const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride;
    if ((watched != Text1 && watched != DataGrid1) || !key)
        return QWidget::eventFilter(watched, event);
    auto *pressed = static_cast<QKeyEvent *>(event);
    const bool copy = watched == DataGrid1 && pressed->matches(QKeySequence::Copy);
    if (event->type() == QEvent::ShortcutOverride) {
        if (copy)
            event->accept(); // the list's own, not the window's
        return copy;
    }
    if (pressed->key() == Qt::Key_Escape && pressed->modifiers() == Qt::NoModifier) {
        focusSearchBox();
        return true;
    }
    if (copy) {
        copyWithSource();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// --- Finding one's way ----------------------------------------------------------------

int Tembra1::hadithCount() const
{
    return collectionOpen() ? Adodc1->table()->rowCount() : -1;
}

int Tembra1::bookCount() const
{
    return collectionOpen() ? int(Adodc1->contents().books().size()) : -1;
}

// The contents and the numbers are made once for each collection; the places of another
// collection are no way back.
void Tembra1::tableChanged()
{
    m_contents->collectionChanged();
    m_goTo->collectionChanged();
    marksFollowCollection();
    m_steps->restartHistory();
    placesChanged();
}

void Tembra1::openContents()
{
    if (collectionOpen())
        m_contents->open(Adodc1->currentRow());
}

void Tembra1::askNumber()
{
    if (!collectionOpen())
        return;
    const int row = Adodc1->currentRow();
    m_goTo->ask(row < 0 ? 0 : Adodc1->contents().bookOf(row));
}

// A chapter or a book chosen in the contents, from its first hadith; the keys come back to
// the search box, where Up and Down read on.
void Tembra1::readChosen(const Listing &listing)
{
    m_steps->showKeeping(listing, -1);
    readOn();
}

// The hadith of that number current, its whole book listed, as reading the book from a
// hadith lists it.
void Tembra1::readNumber(int row)
{
    const Record hadith = Adodc1->table()->record(row);
    m_steps->showKeeping(Listing::wholeBook(hadith[Column::Book], hadith[Column::Number]), row);
    readOn();
}

void Tembra1::readOn()
{
    activateWindow();
    Text2->setFocus(Qt::OtherFocusReason);
}

void Tembra1::goBack()
{
    m_steps->goBack();
}

void Tembra1::goForward()
{
    m_steps->goForward();
}

// A search that came back brings its text and its options back to the search box, as an
// earlier search chosen from its list does.
void Tembra1::searchRestored(const Listing &search)
{
    Text2->setText(search.text);
    m_searchBox->setOptions(search.comparison == Comparison::Exact, search.anyOrder);
    Adodc1->setComparison(search.comparison);
}

void Tembra1::placesChanged()
{
    m_menus->back()->setEnabled(m_steps->canGoBack());
    m_menus->forward()->setEnabled(m_steps->canGoForward());
}

void Tembra1::chooseCollection()
{
    m_opener->choose(m_collectionFile);
}

void Tembra1::openCollection(const QString &path)
{
    m_opener->open(path);
}

// The new collection in view from its first hadith, the list showing all of it; nothing of
// the last one's searches and places stands.
void Tembra1::collectionOpened(const QString &path, const HadithTable &table)
{
    m_collectionFile = path;
    m_openFailed = false;
    m_offers->offerOpen(false);
    m_offers->offerCarryOn(false);
    Adodc1->setRecordSource(Listing::wholeTable());
    Adodc1->setTable(table);
    m_steps->collectionChanged();
    m_guide->collectionChanged();
    m_steps->showKeeping(Listing::wholeTable(), 0);
    m_steps->restartHistory();
    placesChanged();
    readOn();
}

void Tembra1::collectionFailed(const QString &path, const Error &error)
{
    msgbox::report(this, openErrorMessage(QFileInfo(path).absoluteFilePath(), error), error);
}

void Tembra1::reportNotKept(const Error &error)
{
    msgbox::report(this, optionSaveErrorMessage(error), error);
}

} // namespace tembra
