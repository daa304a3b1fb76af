#include "mainwindow/tembra1.h"

#include "collection/messages.h"
#include "collection/pane.h"
#include "collection/resultmodel.h"
#include "collection/texts.h"
#include "forms/application.h"
#include "forms/controls.h"
#include "forms/messagebox.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QTextCursor>
#include <QTimer>

namespace tembra {

namespace {

constexpr int kTwipsPerPixel = 15;

void place(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
                   height / kTwipsPerPixel);
}

void fill(QWidget *w, const QColor &colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    p.setColor(QPalette::Base, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QFont makeFont(const char *family, qreal points, bool bold = false)
{
    QFont f(QString::fromLatin1(family));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

Label *heading(QWidget *parent, const QString &caption, int l, int t, int w, int h)
{
    auto *label = new Label(parent);
    label->setCaption(caption);
    fill(label, QColor(0x00, 0x40, 0x40));
    label->setForeColor(0xFFFFFF);
    label->setFrameShape(QFrame::Box);
    place(label, l, t, w, h);
    return label;
}

QFrame *panel(QWidget *parent, const QColor &colour, int l, int t, int w, int h)
{
    auto *frame = new QFrame(parent);
    fill(frame, colour);
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Sunken);
    place(frame, l, t, w, h);
    return frame;
}

// A yellow frame behind a caption and its value.
void yellowFrame(QWidget *parent, int l, int t, int w, int h)
{
    auto *frame = new Label(parent);
    fill(frame, QColor(0xFF, 0xFF, 0x00));
    frame->setFrameShape(QFrame::Box);
    place(frame, l, t, w, h);
}

Label *infoLabel(QWidget *parent, int l, int t, int w, int h, qreal points)
{
    auto *label = new Label(parent);
    fill(label, QColor(0xB8, 0xD3, 0xC6));
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setLayoutDirection(Qt::RightToLeft);
    label->setFont(makeFont("MS Sans Serif", points));
    place(label, l, t, w, h);
    return label;
}

QIcon magnifier()
{
    QPixmap pixmap(38, 38);
    pixmap.fill(QColor(0xB8, 0xD3, 0xC6));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0xE0, 0x80, 0x20), 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(24, 24, 33, 33);
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 2));
    p.setBrush(QColor(0xC8, 0xE4, 0xF8));
    p.drawEllipse(QPointF(16, 16), 11, 11);
    return QIcon(pixmap);
}

} // namespace

Tembra1::Tembra1(QWidget *parent) : QWidget(parent)
{
    Adodc1 = new DataControl(this);
    build();
    connect(Adodc1, &DataControl::currentChanged, this, &Tembra1::currentChanged);
    connect(Label4, &TextBox::changed, this, &Tembra1::Label4_Change);
    connect(Text1, &TextBox::changed, this, &Tembra1::Text1_Change);
    connect(Label1, &Label::changed, this, &Tembra1::Label1_Change);
    connect(Label2, &Label::changed, this, &Tembra1::Label2_Change);
    connect(Label3, &Label::changed, this, &Tembra1::Label3_Change);
    connect(Adodc1, &DataControl::openFailed, this, &Tembra1::openFailed);
}

Tembra1::~Tembra1() = default;

void Tembra1::build()
{
    setWindowTitle(texts::windowTitle());
    QPalette own = palette(); // the window's colour only: text boxes keep their own base
    own.setColor(QPalette::Window, QColor(0x9C, 0xAC, 0x5B));
    setPalette(own);
    setAutoFillBackground(true);
    setFont(makeFont("Microsoft Sans Serif", 8.25));
    setFixedSize(15045 / kTwipsPerPixel, 9015 / kTwipsPerPixel);

    // Reading pane and the hidden fields behind it
    Label4 = new TextBox(this);
    Label4->setVisible(false);
    Label5 = new Label(this);
    Label5->setVisible(false);
    heading(this, texts::paneHeading(), 0, 240, 11775, 300);
    Text1 = new TextBox(this);
    fill(Text1, QColor(0xB8, 0xD3, 0xC6));
    Text1->setFont(makeFont("Traditional Arabic", 18, true));
    Text1->setLayoutDirection(Qt::RightToLeft);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    place(Text1, 0, 480, 11775, 4335);

    // Search area
    heading(this, texts::searchHint(), 11760, 240, 3135, 300);
    Text2 = new QLineEdit(this);
    Text2->setFont(makeFont("MS Sans Serif", 9.75));
    Text2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Text2->setLayoutDirection(Qt::RightToLeft);
    Text2->setToolTip(texts::searchTooltip());
    Text2->installEventFilter(this);
    place(Text2, 12360, 600, 2535, 405);
    Command1 = new QPushButton(this);
    Command1->setIcon(magnifier());
    Command1->setIconSize(QSize(30, 30));
    Command1->setFlat(true);
    fill(Command1, QColor(0xB8, 0xD3, 0xC6));
    place(Command1, 12000, 600, 555, 435);
    connect(Command1, &QPushButton::clicked, this, &Tembra1::Command1_Click);

    // Record details
    QFrame *pic2 = panel(this, QColor(0x79, 0xA4, 0x81), 11760, 1200, 3105, 3015);
    yellowFrame(pic2, 45, 120, 2970, 780);
    yellowFrame(pic2, 45, 960, 2970, 780);
    yellowFrame(pic2, 45, 1800, 2970, 780);
    heading(pic2, texts::kindCaption(), 75, 150, 2910, 300)
        ->setFont(makeFont("Microsoft Sans Serif", 9.75));
    Label2 = infoLabel(pic2, 75, 465, 2910, 405, 9.75);
    heading(pic2, texts::numberCaption(), 75, 990, 2910, 300)
        ->setFont(makeFont("Microsoft Sans Serif", 9.75));
    Label1 = infoLabel(pic2, 75, 1305, 2910, 405, 9.75);
    heading(pic2, texts::bookCaption(), 75, 1830, 2910, 300)
        ->setFont(makeFont("Microsoft Sans Serif", 9.75));
    Label3 = infoLabel(pic2, 75, 2145, 2910, 405, 8.25);

    // The count
    QFrame *pic3 = panel(this, QColor(0x00, 0xC0, 0xC0), 11760, 4200, 3105, 540);
    yellowFrame(pic3, 45, 60, 2970, 360);
    heading(pic3, texts::countCaption(), 1365, 90, 1620, 300)
        ->setFont(makeFont("Microsoft Sans Serif", 9.75));
    Label12 = new Label(pic3);
    fill(Label12, QColor(0xB8, 0xD3, 0xC6));
    Label12->setFrameShape(QFrame::Box);
    Label12->setLayoutDirection(Qt::RightToLeft);
    Label12->setFont(makeFont("MS Sans Serif", 9.75));
    place(Label12, 75, 90, 1275, 300);

    // The result list
    heading(this, texts::resultHeading(), 120, 4920, 14775, 300);
    QFrame *pic1 = panel(this, QColor(0x4F, 0x80, 0x68), 120, 5160, 14775, 3735);
    pic1->setFrameShape(QFrame::Box);
    pic1->setFrameShadow(QFrame::Plain);
    DataGrid1 = new QTableView(pic1);
    m_model = new ResultModel(Adodc1, this);
    DataGrid1->setModel(m_model);
    DataGrid1->setLayoutDirection(Qt::RightToLeft);
    DataGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DataGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DataGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DataGrid1->setWordWrap(false);
    DataGrid1->setFont(makeFont("MS Sans Serif", 9.75));
    DataGrid1->horizontalHeader()->setFont(makeFont("MS Sans Serif", 8.25));
    DataGrid1->horizontalHeader()->setStretchLastSection(true);
    DataGrid1->verticalHeader()->setDefaultSectionSize(22);
    DataGrid1->setColumnWidth(0, 1800 / kTwipsPerPixel);
    fill(DataGrid1, QColor(0xB8, 0xD3, 0xC6));
    place(DataGrid1, 0, 0, 14775, 3735);
    DataGrid1->setVisible(false);
    connect(DataGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    gridRowPicked(current.row());
            });

    Text2->setFocus();
}

void Tembra1::openFailed()
{
    m_openFailed = true;
    if (isVisible())
        showEvent(nullptr);
}

void Tembra1::showEvent(QShowEvent *event)
{
    if (event)
        QWidget::showEvent(event);
    if (m_openFailed && !m_openErrorShown) {
        m_openErrorShown = true;
        // Said once the window is on screen, so that the box stands over it.
        QTimer::singleShot(0, this, &Tembra1::reportOpenError);
    }
}

void Tembra1::reportOpenError()
{
    msgbox::show(this, openErrorMessage(texts::collectionPath(), Adodc1->openError()),
                 texts::errorTitle());
}

// Windows key codes, as the key-down handler speaks them.
constexpr int kKeyUp = 38;
constexpr int kKeyDown = 40;
constexpr int kOtherKey = -1;

bool Tembra1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Text2 && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        // Only the arrows matter here; Qt's own codes for "&" and "(" are 38 and 40.
        int keyCode = key->key() == Qt::Key_Up ? kKeyUp
            : key->key() == Qt::Key_Down       ? kKeyDown
                                               : kOtherKey;
        Text2_KeyDown(keyCode);
        if (keyCode == 0)
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

// Up and Down in the search box step through the matches. A move that fails ends the
// handler before the key is cleared, so the box then handles the key as usual.
void Tembra1::Text2_KeyDown(int &keyCode)
{
    if (Text1->text().isEmpty())
        return;
    if (keyCode == kKeyDown) {
        if (!Adodc1->moveNext())
            return;
        keyCode = 0;
    }
    if (keyCode == kKeyUp) {
        if (!Adodc1->movePrevious())
            return;
        keyCode = 0;
    }
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

// Every step runs only if the one before it succeeded; the first failure ends the
// search without a word, and what was done before it stays done.
void Tembra1::search()
{
    silentErrorExit([this] { searchSteps(); });
}

void Tembra1::searchSteps()
{
    const QString text = Text2->text();
    if (text.isEmpty())
        return;
    if (text.size() < 3) {
        msgbox::show(this, texts::tooShortPrompt(), texts::errorTitle());
        return;
    }
    const QString term = text;
    m_searchTerm = term;
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

void Tembra1::highlightTerm()
{
    const QString text = Text1->text();
    const qsizetype at = pane::firstOccurrence(text, m_searchTerm);
    if (at < 0)
        return;
    const qsizetype start = pane::documentPosition(text, at);
    const qsizetype end = pane::documentPosition(text, at + m_searchTerm.size());
    QTextCursor cursor = Text1->textCursor();
    cursor.setPosition(int(start));
    cursor.setPosition(int(end), QTextCursor::KeepAnchor);
    Text1->setTextCursor(cursor);
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
    const QString old4 = Label4->text();
    const QString old1 = Label1->caption();
    const QString old2 = Label2->caption();
    const QString old3 = Label3->caption();
    {
        const QSignalBlocker quiet4(Label4), quiet1(Label1), quiet2(Label2), quiet5(Label5),
            quiet3(Label3);
        Label4->setText(Adodc1->boundValue(0));
        Label1->setCaption(Adodc1->boundValue(1));
        Label2->setCaption(Adodc1->boundValue(2));
        Label5->setCaption(Adodc1->boundValue(3));
        Label3->setCaption(Adodc1->boundValue(4));
    }
    if (Label4->text() != old4)
        emit Label4->changed();
    if (Label1->caption() != old1)
        emit Label1->changed();
    if (Label2->caption() != old2)
        emit Label2->changed();
    if (Label3->caption() != old3)
        emit Label3->changed();

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
