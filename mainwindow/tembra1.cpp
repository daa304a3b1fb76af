#include "mainwindow/tembra1.h"

#include "base/messages.h"
#include "base/texts.h"
#include "design/banner.h"
#include "design/layoutpass.h"
#include "forms/application.h"
#include "forms/controls.h"
#include "forms/messagebox.h"
#include "search/citation.h"
#include "search/pane.h"
#include "search/resultmodel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>

#include <cstdio>

namespace tembra {

namespace {

// Windows key codes, as the key-down handlers speak them.
constexpr int kKeyPageUp = 33;
constexpr int kKeyPageDown = 34;
constexpr int kKeyUp = 38;
constexpr int kKeyDown = 40;
constexpr int kOtherKey = -1;

int keyCode(const QKeyEvent *key)
{
    // Qt's own codes for "&" and "(" are 38 and 40: only these keys are spoken of.
    switch (key->key()) {
    case Qt::Key_Up: return kKeyUp;
    case Qt::Key_Down: return kKeyDown;
    case Qt::Key_PageUp: return kKeyPageUp;
    case Qt::Key_PageDown: return kKeyPageDown;
    default: return kOtherKey;
    }
}

// The other occurrences of the term in the pane: a soft background that leaves the
// selection, on the first, to stand out.
const QColor kOtherOccurrence = resolveColour(kMatchShade);

} // namespace

Tembra1::Tembra1(QWidget *parent) : QWidget(parent), m_form(tembra1Definition(), this)
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
    const FormDef &def = m_form.definition();
    const ControlDef *source = def.find(QStringLiteral("Adodc1"));
    Adodc1 = new DataControl(this);
    Adodc1->setObjectName(source->designName());
    Adodc1->setRecordSource(source->recordSource);
    Adodc1->setCommandType(source->commandType);

    // What the definition binds to it: a column each for the bound controls, the grid's
    // columns for the grid.
    for (const ControlDef &control : def.controls) {
        if (control.dataSource != source->designName() || control.dataField.isEmpty())
            continue;
        auto *bound = dynamic_cast<Bound *>(m_form.object(control.designName()));
        const std::optional<Column> column = columnNamed(control.dataField);
        Q_ASSERT_X(bound && column, "Tembra1", "a bound control shows a column of Table1");
        m_bound.push_back({bound, *column});
    }
    std::vector<ResultModel::Shown> shown;
    for (const GridColumn &column : def.find(DataGrid1->objectName())->columns) {
        const std::optional<Column> field = columnNamed(column.field);
        Q_ASSERT_X(field, "Tembra1", "a grid column shows a column of Table1");
        shown.push_back({column.heading, *field});
    }
    m_model = new ResultModel(Adodc1, std::move(shown), this);
    DataGrid1->setModel(m_model);
    DataGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DataGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DataGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DataGrid1->setWordWrap(false);
    DataGrid1->setContextMenuPolicy(Qt::CustomContextMenu);

    // The pane shows the record; the reader selects and copies from it but never edits it.
    Text1->setReadOnly(true);
    Text1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Text1->setContextMenuPolicy(Qt::CustomContextMenu);
    m_collectionFile = collectionFile();

    const auto action = [this](const QString &text, const char *name) {
        auto *made = new QAction(text, this);
        made->setObjectName(QLatin1String(name));
        return made;
    };
    m_onlyThisBook = action(texts::onlyThisBook(), "OnlyThisBook");
    m_allBooks = action(texts::allBooks(), "AllBooks");
    m_readBook = action(texts::readBookFromHere(), "ReadBookFromHere");
    m_copyWithSource = action(texts::copyWithSource(), "CopyWithSource");
    m_copyWithSource->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    m_copyWithSource->setShortcutContext(Qt::WindowShortcut);
    addAction(m_copyWithSource);

    m_exactMatch = new QAction(texts::exactMatchOption(), this);
    m_exactMatch->setObjectName(QStringLiteral("ExactMatch"));
    m_exactMatch->setCheckable(true);
    m_savePanePoints = new QTimer(this);
    m_savePanePoints->setSingleShot(true);
    m_savePanePoints->setInterval(1000);
    connect(m_savePanePoints, &QTimer::timeout, this, [this] {
        m_panePointsDue = true;
        savePanePoints();
    });

    m_clock = [] { return QDateTime::currentDateTime(); };
    connectHandlers();
}

Tembra1::~Tembra1() = default;

void Tembra1::connectHandlers()
{
    connect(Adodc1, &DataControl::currentChanged, this, &Tembra1::currentChanged);
    connect(Adodc1, &DataControl::openFailed, this, &Tembra1::openFailed);
    connect(Label4, &TextBox::changed, this, &Tembra1::Label4_Change);
    connect(Text1, &TextBox::changed, this, &Tembra1::Text1_Change);
    connect(Label1, &Label::changed, this, &Tembra1::Label1_Change);
    connect(Label2, &Label::changed, this, &Tembra1::Label2_Change);
    connect(Label3, &Label::changed, this, &Tembra1::Label3_Change);
    connect(Command1, &QPushButton::clicked, this, &Tembra1::Command1_Click);
    Text2->installEventFilter(this);
    Text1->installEventFilter(this);
    Text1->viewport()->installEventFilter(this);
    // Text zoom for reading, wherever the focus is: Ctrl+= (or Ctrl++), Ctrl+-, Ctrl+0.
    const std::pair<QKeySequence, int> zoomKeys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Equal), 1},
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), 1},
        {QKeySequence(Qt::CTRL | Qt::Key_Minus), -1},
        {QKeySequence(Qt::CTRL | Qt::Key_0), 0},
    };
    for (const auto &[keys, steps] : zoomKeys) {
        auto *shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, [this, steps = steps] { zoomPane(steps); });
    }
    connect(m_exactMatch, &QAction::toggled, this, &Tembra1::exactMatchToggled);
    connect(m_onlyThisBook, &QAction::triggered, this, &Tembra1::onlyThisBook);
    connect(m_allBooks, &QAction::triggered, this, &Tembra1::allBooks);
    connect(m_readBook, &QAction::triggered, this, &Tembra1::readBookFromHere);
    connect(m_copyWithSource, &QAction::triggered, this, &Tembra1::copyWithSource);
    connect(Text1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { showPaneMenu(Text1->viewport()->mapToGlobal(at)); });
    connect(DataGrid1, &QWidget::customContextMenuRequested, this, &Tembra1::showListMenu);
    connect(Adodc1, &DataControl::resultCounted, this, [this](int records) {
        if (m_countOnRefresh)
            Label12->setCaption(QString::number(records));
    });
    DataGrid1->installEventFilter(this);
    // Back to the search box from anywhere in the window.
    for (const QKeySequence &keys :
         {QKeySequence(Qt::CTRL | Qt::Key_F), QKeySequence(Qt::CTRL | Qt::Key_L)}) {
        auto *shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, &Tembra1::focusSearchBox);
    }
    connect(DataGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    gridRowPicked(current.row());
            });

    // The caption bar
    connect(Label19, &Label::mouseDown, this, &Tembra1::Label19_MouseDown);
    connect(Label19, &Label::doubleClicked, this, &Tembra1::Label19_DblClick);
    Label19->installEventFilter(this);
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

// --- The load step ------------------------------------------------------------------

QRectF Tembra1::windowTwips() const
{
    const QRect g = geometry();
    const qreal twips = kTwipsPerPixel;
    return QRectF(g.x() * twips, g.y() * twips, g.width() * twips, g.height() * twips);
}

TwipsArea Tembra1::areaTwips() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect g = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const float twips = kTwipsPerPixel;
    return {float(g.x()) * twips, float(g.y()) * twips, float(g.width()) * twips,
            float(g.height()) * twips};
}

QRectF Tembra1::screenTwips() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect g = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const qreal twips = kTwipsPerPixel;
    return QRectF(g.x() * twips, g.y() * twips, g.width() * twips, g.height() * twips);
}

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
    // a window may take, if it is smaller than the design.
    // The primary screen need not start at (0, 0): the place is taken from its own corner.
    const QRectF window = windowTwips();
    const QRectF screen = screenTwips();
    const CentredPlace centre = centredPlace(float(screen.width()), float(screen.height()),
                                             float(window.width()), float(window.height()));
    const WindowPlacement place = keepWithin({float(screen.left()) + float(centre.left),
                                              float(screen.top()) + float(centre.top),
                                              float(window.height()), float(window.width())},
                                             areaTwips());
    m_form.setTwips(this, place.left, place.top, place.width, place.height);

    const QRectF centred = windowTwips();
    m_toggle = std::make_unique<EnlargeToggle>(float(centred.height()), float(centred.width()));
    // A settings file that cannot be used leaves the box empty; the reason goes to
    // standard error, since nothing was lost that the reader could act on.
    Error why;
    if (!m_store.load(&why)) {
        std::fprintf(stderr, "tembra: the saved search text is not used: %s\n",
                     why.detail.toLocal8Bit().constData());
        return; // the other settings are in the same file
    }
    Text2->setText(m_store.value(Setting::SearchText).toString());
    // The search option and the pane's text size as the reader left them.
    {
        const QSignalBlocker quiet(m_exactMatch); // read, not changed: nothing to save
        m_exactMatch->setChecked(m_store.value(Setting::ExactMatch).toBool());
        Adodc1->setComparison(m_exactMatch->isChecked() ? Comparison::Exact : Comparison::Folded);
    }
    showComparison();
    if (const qreal points = m_store.value(Setting::PaneFontSize).toDouble(); points > 0)
        setPanePoints(pane::zoomedPoints(points, 0));
}

// A failure that the reader is to hear of: plain Sorani words in a box, and the technical
// detail on the program's error stream, for whoever looks into it.
void Tembra1::report(const QString &message, const Error &error)
{
    if (!error.detail.isEmpty())
        std::fprintf(stderr, "tembra: %s\n", error.detail.toLocal8Bit().constData());
    msgbox::show(this, message, texts::errorTitle());
}

void Tembra1::showEvent(QShowEvent *event)
{
    if (!m_loaded) {
        m_loaded = true;
        Form_Load();
    }
    if (event)
        QWidget::showEvent(event);
    if (m_openFailed && !m_openErrorShown) {
        m_openErrorShown = true;
        // Said once the window is on screen, so that the box stands over it.
        QTimer::singleShot(0, this, &Tembra1::reportOpenError);
    }
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
    // Where the controls stand now.
    TwipsGeometry current;
    for (const ControlDef &control : m_form.definition().controls) {
        if (!m_form.widget(control.designName()))
            continue;
        const QRectF t = m_form.twips(control.designName());
        current[control.designName()]
            = {float(t.left()), float(t.top()), float(t.width()), float(t.height())};
    }
    const QRectF window = windowTwips();
    const LayoutResult result
        = layoutPass(float(window.width()), float(window.height()), isMinimized(), current);
    for (const auto &entry : result.geometry) {
        if (QWidget *control = m_form.widget(entry.first)) {
            const TwipsRect &r = entry.second;
            m_form.setTwips(control, r.left, r.top, r.width, r.height);
        }
    }
    if (result.pic1BackColor)
        Pic1->setBackColor(*result.pic1BackColor);
}

// --- The caption bar ----------------------------------------------------------------

void Tembra1::Label19_MouseDown()
{
    // The move starts once the pointer moves with the button held (eventFilter): a
    // window manager that moves the window takes the pointer, and a double click on the
    // title would never arrive if a plain press started the move.
    m_titlePressed = true;
}

void Tembra1::Label19_DblClick()
{
    m_titlePressed = false;
    toggleEnlarged();
}

void Tembra1::La2_Click()
{
    toggleEnlarged();
}

void Tembra1::toggleEnlarged()
{
    if (!m_toggle)
        return;
    const QRectF window = windowTwips();
    const QRectF screen = screenTwips();
    const WindowPlacement place = m_toggle->toggle(float(window.left()), float(window.top()),
                                                   float(screen.width()), float(screen.height()));
    Mini->setCaption(m_toggle->Mini());
    // Enlarged, the window takes the part of the screen a window may have; restored, it
    // goes back exactly where the reader had it, even partly off the screen.
    applyPlacement(m_toggle->enlarged() ? keepWithin(place, areaTwips()) : place);
}

// Left, then Top, then Height, then Width, as the toggle gives them; each size change
// runs the layout pass.
void Tembra1::applyPlacement(const WindowPlacement &place)
{
    const QRectF now = windowTwips();
    m_form.setTwips(this, place.left, place.top, float(now.width()), float(now.height()));
    m_form.setTwips(this, place.left, place.top, float(now.width()), place.height);
    m_form.setTwips(this, place.left, place.top, place.width, place.height);
}

void Tembra1::La3_Click()
{
    showMinimized();
}

// Closing with the close button keeps the search text for the next start; any other
// way of closing keeps the text saved before.
void Tembra1::La1_Click()
{
    savePanePoints();
    Error error;
    if (!m_store.setValue(Setting::SearchText, Text2->text(), &error))
        report(saveErrorMessage(error), error);
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

// --- Events -------------------------------------------------------------------------

bool Tembra1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Label19) {
        if (event->type() == QEvent::MouseButtonPress) {
            m_pressAt = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
        } else if (event->type() == QEvent::MouseMove && m_titlePressed) {
            const QPoint at = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
            if (!m_following
                && (at - m_pressAt).manhattanLength() >= QApplication::startDragDistance()) {
                m_titlePressed = false;
                // The system's own interactive move where it has one; else the window
                // follows the pointer until the button is released.
                if (!windowHandle() || !windowHandle()->startSystemMove()) {
                    m_following = true;
                    m_titlePressed = true;
                    m_grabOffset = m_pressAt - pos();
                }
            }
            if (m_following)
                move(at - m_grabOffset);
        } else if (event->type() == QEvent::MouseButtonRelease) {
            m_titlePressed = false;
            m_following = false;
        }
        return false;
    }
    if (watched == Text2 && event->type() == QEvent::ContextMenu) {
        showSearchBoxMenu(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    }
    if (watched == Text1->viewport() && event->type() == QEvent::Wheel) {
        auto *wheel = static_cast<QWheelEvent *>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            const int notches = wheel->angleDelta().y() / QWheelEvent::DefaultDeltasPerStep;
            if (notches != 0)
                zoomPane(notches);
            return true;
        }
    }
    if ((watched == Text1 || watched == DataGrid1) && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
            focusSearchBox();
            return true;
        }
        // In the list a copy is of the hadith, with its source, not of one cell.
        if (watched == DataGrid1 && key->matches(QKeySequence::Copy)) {
            copyWithSource();
            return true;
        }
    }
    if (watched == DataGrid1 && event->type() == QEvent::ShortcutOverride
        && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy)) {
        event->accept();
        return true;
    }
    if (watched == Text1 && event->type() == QEvent::KeyPress) {
        int code = keyCode(static_cast<QKeyEvent *>(event));
        Text1_KeyDown(code);
        if (code == 0)
            return true; // the key is cancelled
    }
    if (watched == Text2 && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        int code = keyCode(key);
        Text2_KeyDown(code);
        if (code == 0)
            return true; // the key is cancelled
        int keyAscii = 0;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            keyAscii = 13;
        else if (!key->text().isEmpty())
            keyAscii = key->text().at(0).unicode();
        if (keyAscii != 0) {
            Text2_KeyPress(keyAscii);
            if (keyAscii == 0)
                return true; // the character is dropped
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Tembra1::openFailed()
{
    m_openFailed = true;
    if (isVisible())
        showEvent(nullptr);
}

void Tembra1::reportOpenError()
{
    report(openErrorMessage(QFileInfo(m_collectionFile).absoluteFilePath(), Adodc1->openError()),
           Adodc1->openError());
}

// --- Search, navigation and the reading pane ----------------------------------------

// Up and Down in the search box step through the matches, and so do PgDn and PgUp, as
// the pane's tooltip promises. A move that fails ends the handler before the key is
// cleared, so the box then handles the key as usual.
void Tembra1::Text2_KeyDown(int &keyCode)
{
    if (Text1->text().isEmpty())
        return;
    if (keyCode == kKeyDown || keyCode == kKeyPageDown) {
        if (!Adodc1->moveNext())
            return;
        keyCode = 0;
    }
    if (keyCode == kKeyUp || keyCode == kKeyPageUp) {
        if (!Adodc1->movePrevious())
            return;
        keyCode = 0;
    }
}

// In the pane PgDn and PgUp go to the next and the previous match; every other key, the
// arrows among them, stays the pane's.
void Tembra1::Text1_KeyDown(int &keyCode)
{
    if (keyCode == kKeyPageDown || keyCode == kKeyPageUp)
        Text2_KeyDown(keyCode);
}

void Tembra1::Text2_KeyPress(int &keyAscii)
{
    if (keyAscii == 13) {
        keyAscii = 0;
        search();
    }
}

void Tembra1::Command1_Click()
{
    search();
}

// Every step runs only if the one before it succeeded; the first that fails ends the
// search without a word, and what was done before it stays done. Anything else that goes
// wrong (no memory left) is no step's failure and takes the program's own path.
void Tembra1::search()
{
    searchSteps(Text2->text());
}

// The box's own menu, in Sorani, with the comparison option under it.
void Tembra1::showSearchBoxMenu(const QPoint &at)
{
    const std::unique_ptr<QMenu> menu(Text2->createStandardContextMenu());
    menu->setLayoutDirection(Qt::RightToLeft);
    // Qt names the commands in English (and names the actions themselves only from 6.5 on).
    struct Command {
        const char *name;
        const char *english;
        QString sorani;
    };
    const Command commands[] = {
        {"edit-undo", "Undo", texts::undoCommand()},
        {"edit-redo", "Redo", texts::redoCommand()},
        {"edit-cut", "Cut", texts::cutCommand()},
        {"edit-copy", "Copy", texts::copyCommand()},
        {"edit-paste", "Paste", texts::pasteCommand()},
        {"edit-delete", "Delete", texts::deleteCommand()},
        {"select-all", "Select All", texts::selectAllCommand()},
    };
    for (QAction *action : menu->actions()) {
        const qsizetype tab = action->text().indexOf(QLatin1Char('\t'));
        QString english = action->text().left(tab < 0 ? action->text().size() : tab);
        english.remove(QLatin1Char('&'));
        for (const Command &command : commands) {
            if (action->objectName() == QLatin1String(command.name)
                || english == QLatin1String(command.english)) {
                // the shortcut shown after the command is kept
                action->setText(tab < 0 ? command.sorani
                                        : command.sorani + action->text().mid(tab));
            }
        }
    }
    menu->addSeparator();
    menu->addAction(m_exactMatch);
    menu->exec(at);
}

// The size is kept once the reader has settled on it (a turn of the wheel is many steps),
// and at the latest when the window closes with its close button.
void Tembra1::zoomPane(int steps)
{
    const qreal points = Text1->font().pointSizeF();
    setPanePoints(steps == 0 ? pane::kDesignPoints : pane::zoomedPoints(points, steps));
    if (Text1->font().pointSizeF() != points)
        m_savePanePoints->start();
}

void Tembra1::setPanePoints(qreal points)
{
    QFont font = Text1->font();
    font.setPointSizeF(points);
    Text1->setFont(font);
}

void Tembra1::savePanePoints()
{
    if (!m_savePanePoints->isActive() && !m_panePointsDue)
        return;
    m_savePanePoints->stop();
    m_panePointsDue = false;
    Error error;
    // Said once: a reader who turns the wheel should not meet the same box at every turn.
    if (!m_store.setValue(Setting::PaneFontSize, Text1->font().pointSizeF(), &error)
        && !m_zoomNotSavedSaid) {
        m_zoomNotSavedSaid = true;
        report(optionSaveErrorMessage(error), error);
    }
}

// The comparison changes for the next search, and the search that ran last runs again
// under it, so that the list, the count and the pane agree with the option shown.
void Tembra1::exactMatchToggled(bool on)
{
    Adodc1->setComparison(on ? Comparison::Exact : Comparison::Folded);
    showComparison();
    Error error;
    if (!m_store.setValue(Setting::ExactMatch, on, &error))
        report(optionSaveErrorMessage(error), error);
    if (!m_searchTerm.isEmpty())
        searchSteps(m_searchTerm);
}

// While the exact option is on, a reader whose Kurdish-typed text finds nothing must see
// why where the eyes are while searching: the search box says so at its free end (the
// left, in right-to-left text), and its text keeps clear of it.
void Tembra1::showComparison()
{
    const bool exact = m_exactMatch->isChecked();
    if (!m_exactShown) {
        if (!exact)
            return;
        m_exactShown = new QLabel(texts::exactComparisonShown(), Text2);
        m_exactShown->setObjectName(QStringLiteral("ExactShown"));
        m_exactShown->setAttribute(Qt::WA_TransparentForMouseEvents);
        // A tag of its own colour, so that it is not read as part of the typed text (the
        // window's style sheets would override a palette).
        m_exactShown->setStyleSheet(
            QStringLiteral("QLabel { background: %1; color: #5a3a00; border-radius: 3px; "
                           "padding: 0 4px; }")
                .arg(kOtherOccurrence.name()));
        auto *row = new QHBoxLayout(Text2);
        row->setContentsMargins(2, 2, 2, 2);
        row->addStretch(); // the label at the end of the text's direction
        row->addWidget(m_exactShown);
    }
    m_exactShown->setVisible(exact);
    const int room = exact ? m_exactShown->sizeHint().width() + 4 : 0;
    Text2->setTextMargins(Text2->isRightToLeft() ? QMargins(room, 0, 0, 0)
                                                 : QMargins(0, 0, room, 0));
}

void Tembra1::searchSteps(const QString &text)
{
    if (text.isEmpty())
        return;
    if (text.size() < 3) {
        msgbox::show(this, texts::tooShortPrompt(), texts::errorTitle());
        return;
    }
    const QString term = text;
    m_searchTerm = term;
    m_model->setSearchTerm(term, Adodc1->comparison());
    Adodc1->setRecordSource(searchStatement(term));
    Adodc1->setCommandType(Statement::Text);
    if (!Adodc1->refresh())
        return;
    if (Adodc1->recordCount() == 0) {
        // Nothing matched: say so with a count of 0 beside the empty grid, and leave
        // no earlier hadith in the pane (the info labels are already empty).
        Label12->setCaption(QStringLiteral("0"));
        DataGrid1->setVisible(true);
        Text1->setText(QString());
        return;
    }
    if (!Adodc1->moveLast())
        return;
    Label12->setCaption(QString::number(Adodc1->absolutePosition()));
    if (!Adodc1->moveFirst())
        return;
    DataGrid1->setVisible(true);
    Label1->setForeColor(kSystemWindowText);
    Label2->setForeColor(kSystemWindowText);
    Label3->setForeColor(kSystemWindowText);
    const QString before = Text1->text();
    Text1->setText(paneComposition());
    // The same record with the same text as before the search raises no change, yet
    // the new term must be selected.
    if (Text1->text() == before)
        highlightTerm();
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

// The first occurrence of the term is selected; the others are marked with a soft
// background, so that the reader sees every place the search found.
void Tembra1::highlightTerm()
{
    const QString text = Text1->text();
    const std::vector<pane::Span> found
        = pane::occurrences(text, m_searchTerm, Adodc1->comparison());
    const pane::DocumentPositions document(text);
    const auto select = [&](QTextCursor cursor, const pane::Span &span) {
        cursor.setPosition(int(document(span.start)));
        cursor.setPosition(int(document(span.end)), QTextCursor::KeepAnchor);
        return cursor;
    };
    QList<QTextEdit::ExtraSelection> others;
    for (size_t i = 1; i < found.size(); ++i) {
        QTextEdit::ExtraSelection other;
        other.cursor = select(QTextCursor(Text1->document()), found[i]);
        other.format.setBackground(kOtherOccurrence);
        others.append(other);
    }
    Text1->setExtraSelections(others);
    if (!found.empty())
        Text1->setTextCursor(select(Text1->textCursor(), found.front()));
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

// Every bound control takes the new record's value before any of them says it
// changed, so that whatever reacts sees the whole record.
void Tembra1::currentChanged()
{
    std::vector<bool> changed(m_bound.size());
    for (size_t i = 0; i < m_bound.size(); ++i) {
        const QSignalBlocker quiet(dynamic_cast<QObject *>(m_bound[i].control));
        const QString value = Adodc1->boundValue(m_bound[i].column);
        changed[i] = m_bound[i].control->boundValue() != value;
        m_bound[i].control->setBoundValue(value);
    }
    for (size_t i = 0; i < m_bound.size(); ++i) {
        if (changed[i])
            m_bound[i].control->signalChange();
    }

    const int position = Adodc1->absolutePosition();
    if (position > 0 && DataGrid1->currentIndex().row() != position - 1) {
        m_syncingGrid = true;
        DataGrid1->selectionModel()->setCurrentIndex(m_model->index(position - 1, 0),
                                                     QItemSelectionModel::ClearAndSelect
                                                         | QItemSelectionModel::Rows);
        m_syncingGrid = false;
    }

    // The pane follows every change of the record, also when only its Tab4 line
    // differs (the hadith text, and so Label4, may be the same).
    if (!DataGrid1->isHidden())
        Text1->setText(paneComposition());
}

void Tembra1::gridRowPicked(int row)
{
    if (m_syncingGrid)
        return;
    Adodc1->moveTo(row + 1);
}

} // namespace tembra

namespace tembra {

// --- One book's hadiths, and copying with the source ---------------------------------

// The count first, as soon as the new result is known, then the grid, the current record
// and the pane, as a search shows them. The current hadith stays current where the new
// result holds it.
void Tembra1::runKeeping(const QString &statement)
{
    const int row = Adodc1->currentRow();
    Adodc1->setRecordSource(statement);
    Adodc1->setCommandType(Statement::Text);
    m_countOnRefresh = true;
    const bool ran = Adodc1->refreshKeeping(row);
    m_countOnRefresh = false;
    if (ran && Adodc1->currentRow() < 0)
        Text1->setText(QString());
}

void Tembra1::onlyThisBook()
{
    if (DataGrid1->isHidden() || Adodc1->currentRow() < 0 || m_searchTerm.isEmpty())
        return;
    runKeeping(bookStatement(m_searchTerm, Adodc1->boundValue(Column::Book)));
}

void Tembra1::allBooks()
{
    if (DataGrid1->isHidden() || m_searchTerm.isEmpty())
        return;
    runKeeping(searchStatement(m_searchTerm));
}

// Every hadith of the book in the order it is stored: Up and Down, PgUp and PgDn then read
// through the book from the hadith the reader was at.
void Tembra1::readBookFromHere()
{
    if (DataGrid1->isHidden() || Adodc1->currentRow() < 0)
        return;
    runKeeping(bookStatement(QString(), Adodc1->boundValue(Column::Book)));
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

void Tembra1::showPaneMenu(const QPoint &at)
{
    QMenu menu(this);
    menu.setLayoutDirection(Qt::RightToLeft);
    QAction *copy = menu.addAction(texts::copyCommand(), Text1, &QPlainTextEdit::copy);
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(Text1->textCursor().hasSelection());
    QAction *all = menu.addAction(texts::selectAllCommand(), Text1, &QPlainTextEdit::selectAll);
    all->setShortcut(QKeySequence::SelectAll);
    all->setEnabled(!Text1->text().isEmpty());
    menu.addSeparator();
    m_copyWithSource->setEnabled(Adodc1->currentRow() >= 0 && !DataGrid1->isHidden());
    menu.addAction(m_copyWithSource);
    menu.exec(at);
    m_copyWithSource->setEnabled(true);
}

// The row under the pointer becomes the current one, and the menu speaks of its book.
void Tembra1::showListMenu(const QPoint &at)
{
    const QModelIndex under = DataGrid1->indexAt(at);
    if (under.isValid())
        Adodc1->moveTo(under.row() + 1);
    if (Adodc1->currentRow() < 0)
        return;
    QMenu menu(this);
    menu.setLayoutDirection(Qt::RightToLeft);
    // An item that would show the very list shown is greyed.
    const QString shown = Adodc1->recordSource();
    m_onlyThisBook->setEnabled(shown
                               != bookStatement(m_searchTerm, Adodc1->boundValue(Column::Book)));
    m_allBooks->setEnabled(shown != searchStatement(m_searchTerm));
    menu.addAction(m_onlyThisBook);
    menu.addAction(m_allBooks);
    menu.addAction(m_readBook);
    menu.addSeparator();
    m_copyWithSource->setEnabled(true);
    menu.addAction(m_copyWithSource);
    menu.exec(DataGrid1->viewport()->mapToGlobal(at));
    m_onlyThisBook->setEnabled(true);
    m_allBooks->setEnabled(true);
}

} // namespace tembra
