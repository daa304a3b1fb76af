#include "mainwindow/bookmarksview.h"

#include "base/cuttext.h"
#include "base/messages.h"
#include "base/texts.h"
#include "bookmarks/bookmarkfilter.h"
#include "forms/messagebox.h"
#include "mainwindow/marks.h"
#include "mainwindow/markwindow.h"

#include <QAbstractTableModel>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace tembra {

namespace {

enum ViewColumn { BookColumn, NumberColumn, TextColumn, NoteColumn, DateColumn, ColumnCount };

// At most units of text on one line, as a cell shows it.
QString oneLine(const QString &text, qsizetype units)
{
    QString line = text.left(units + 1);
    for (QChar &c : line) {
        if (c == u'\r' || c == u'\n' || c == u'\t')
            c = u' ';
    }
    return cutText(line.simplified(), units);
}

// The date as the banner's locale writes one: the system's where it writes Arabic script,
// Central Kurdish otherwise.
QLocale dateLocale()
{
    const QLocale system;
    return system.script() == QLocale::ArabicScript
        ? system
        : QLocale(QLocale::CentralKurdish, QLocale::Iraq);
}

} // namespace

// The view's rows: the bookmarks the box leaves, each with its row of the open collection.
class BookmarkRows final : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setShown(const std::vector<Bookmark> *bookmarks, const std::vector<int> *rows,
                  std::vector<int> shown)
    {
        beginResetModel();
        m_bookmarks = bookmarks;
        m_rows = rows;
        m_shown = std::move(shown);
        endResetModel();
    }
    const Bookmark *at(int place) const
    {
        return place >= 0 && size_t(place) < m_shown.size()
            ? &(*m_bookmarks)[size_t(m_shown[size_t(place)])]
            : nullptr;
    }
    bool inCollection(int place) const { return (*m_rows)[size_t(m_shown[size_t(place)])] >= 0; }
    int placeOf(qint64 id) const
    {
        for (size_t i = 0; i < m_shown.size(); ++i) {
            if ((*m_bookmarks)[size_t(m_shown[i])].id == id)
                return int(i);
        }
        return -1;
    }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_shown.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : ColumnCount;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        switch (section) {
        case BookColumn: return texts::bookWord();
        case NumberColumn: return texts::numberWord();
        case TextColumn: return texts::textWord();
        case NoteColumn: return texts::noteWord();
        case DateColumn: return texts::dateWord();
        default: return {};
        }
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        const Bookmark *b = index.isValid() ? at(index.row()) : nullptr;
        if (!b)
            return {};
        const bool here = inCollection(index.row());
        switch (role) {
        case Qt::DisplayRole:
            switch (index.column()) {
            case BookColumn: return oneLine(b->key.book.value_or(QString()), 100);
            case NumberColumn: return oneLine(b->key.number.value_or(QString()), 30);
            case TextColumn: {
                const QString start = oneLine(b->text.value_or(QString()), 160);
                return here ? start
                            : QLatin1Char('(') + texts::notInThisCollection() + QStringLiteral(") ")
                        + start;
            }
            case NoteColumn: return oneLine(b->note, 200);
            case DateColumn:
                return dateLocale().toString(b->created.toLocalTime(), QLocale::ShortFormat);
            default: return {};
            }
        case Qt::ToolTipRole:
            if (!here && index.column() != NoteColumn)
                return texts::notInThisCollection();
            if (index.column() == TextColumn)
                return cutForShowing(b->text.value_or(QString()).left(1200));
            if (index.column() == NoteColumn && !b->note.isEmpty())
                return cutForShowing(b->note);
            return {};
        case Qt::AccessibleDescriptionRole:
            return here ? QVariant() : QVariant(texts::notInThisCollection());
        case Qt::ForegroundRole: return here ? QVariant() : QVariant(QColor(0x70, 0x70, 0x70));
        default: return {};
        }
    }

private:
    const std::vector<Bookmark> *m_bookmarks = nullptr;
    const std::vector<int> *m_rows = nullptr;
    std::vector<int> m_shown;
};

BookmarksView::BookmarksView(QWidget *window, Marks *marks, Hooks hooks)
    : QWidget(window, Qt::Window),
      m_marks(marks),
      m_hooks(std::move(hooks)),
      m_box(new QLineEdit(this)),
      m_list(new QTableView(this)),
      m_rows(new BookmarkRows(this)),
      m_status(new QLabel(this)),
      m_note(new QPushButton(texts::noteWord(), this)),
      m_remove(new QPushButton(texts::removeMark(), this)),
      m_undo(new QPushButton(texts::undoCommand(), this)),
      m_export(new QPushButton(texts::exportCommand(), this)),
      m_import(new QPushButton(texts::importCommand(), this))
{
    setObjectName(QStringLiteral("BookmarksView"));
    setWindowTitle(texts::markedHadiths());
    setLayoutDirection(Qt::RightToLeft);
    resize(940, 520);

    m_box->setObjectName(QStringLiteral("BookmarksFilter"));
    m_box->setPlaceholderText(texts::bookmarksFilterHint());
    m_box->setAccessibleName(texts::bookmarksFilterHint());
    m_box->setClearButtonEnabled(true);
    m_box->installEventFilter(this);

    m_list->setObjectName(QStringLiteral("BookmarksList"));
    m_list->setAccessibleName(texts::markedHadiths());
    m_list->setModel(m_rows);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setTabKeyNavigation(false);
    m_list->setWordWrap(false);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Rows of one height, and no column measured against its rows: ten thousand of them
    // are listed as fast as ten.
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 8);
    QHeaderView *columns = m_list->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setSectionResizeMode(TextColumn, QHeaderView::Stretch);
    columns->setSectionResizeMode(NoteColumn, QHeaderView::Stretch);
    columns->resizeSection(BookColumn, 170);
    columns->resizeSection(NumberColumn, 70);
    columns->resizeSection(DateColumn, 140);
    columns->setDefaultAlignment(Qt::AlignLeading | Qt::AlignVCenter);
    m_list->installEventFilter(this);
    connect(m_list, &QTableView::doubleClicked, this, &BookmarksView::openCurrent);

    m_status->setObjectName(QStringLiteral("BookmarksStatus"));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);

    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : {m_note, m_remove, m_undo})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(m_export);
    buttons->addWidget(m_import);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_box);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_status);
    layout->addLayout(buttons);

    // A new text lists its matches from the first; a list made again keeps its current.
    connect(m_box, &QLineEdit::textChanged, this, [this] { refilter(false); });
    connect(m_note, &QPushButton::clicked, this, &BookmarksView::editNote);
    connect(m_remove, &QPushButton::clicked, this, &BookmarksView::removeCurrent);
    connect(m_undo, &QPushButton::clicked, this, &BookmarksView::undoRemoval);
    connect(m_export, &QPushButton::clicked, this, &BookmarksView::askExport);
    connect(m_import, &QPushButton::clicked, this, &BookmarksView::askImport);
    auto *undo
        = new QShortcut(QKeySequence::Undo, this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(undo, &QShortcut::activated, this, &BookmarksView::undoRemoval);
    auto *close = new QShortcut(QKeySequence(Qt::Key_Escape), this, nullptr, nullptr,
                                Qt::WidgetWithChildrenShortcut);
    connect(close, &QShortcut::activated, this, &QWidget::hide);

    // A change made elsewhere (a mark in the main window, another collection, another
    // reader's window) shows at once; the view's own removals are already shown.
    connect(m_marks, &Marks::changed, this, [this] {
        if (!m_changing && isVisible())
            rebuild();
    });
}

BookmarksView::~BookmarksView() = default;

void BookmarksView::showView()
{
    m_marks->refresh();
    if (m_builtAt != m_marks->generation())
        rebuild();
    if (!m_marks->isOpen())
        say(bookmarksErrorMessage(m_marks->openError()));
    if (!isVisible() && parentWidget()) {
        // Over the middle of the main window, the first time.
        const QRect over = parentWidget()->frameGeometry();
        move(over.center() - rect().center());
    }
    show();
    raise();
    activateWindow();
    m_box->setFocus(Qt::ShortcutFocusReason);
    m_box->selectAll();
}

// The list made again from the marks as they stand. The filter's copy of the texts and
// notes, which each key is looked for in, is made on a thread of its own: the list shows at
// once, and only a key typed before the copy is made waits for it.
void BookmarksView::rebuild()
{
    const Bookmark *was = current();
    const qint64 keep = was ? was->id : 0;
    m_rows->setShown(nullptr, nullptr, {}); // before the list it shows goes
    m_bookmarks = m_marks->list();
    m_filter.reset();
    m_filterMade = std::async(std::launch::async, [bookmarks = m_bookmarks]() mutable {
        return std::make_unique<BookmarkFilter>(std::move(bookmarks));
    });
    m_rowOf = m_marks->rows();
    m_gone.clear();
    m_builtAt = m_marks->generation();
    refilter(true);
    if (keep)
        select(keep, 0);
}

void BookmarksView::refilter(bool keepCurrent)
{
    if (m_builtAt == ~quint64(0))
        return; // made when the view is first shown
    const Bookmark *was = keepCurrent ? current() : nullptr;
    const qint64 keep = was ? was->id : 0;
    std::vector<int> shown;
    if (m_box->text().isEmpty()) {
        shown.resize(m_bookmarks.size());
        for (size_t i = 0; i < shown.size(); ++i)
            shown[i] = int(i);
    } else {
        if (!m_filter)
            m_filter = m_filterMade.get();
        shown = m_filter->matching(m_box->text(),
                                   m_hooks.comparison ? m_hooks.comparison() : Comparison::Folded);
    }
    if (!m_gone.empty())
        shown.erase(
            std::remove_if(shown.begin(), shown.end(),
                           [this](int i) { return m_gone.count(m_bookmarks[size_t(i)].id) > 0; }),
            shown.end());
    m_rows->setShown(&m_bookmarks, &m_rowOf, std::move(shown));
    select(keep, 0);
    enableButtons();
}

// The bookmark of that id current where it is listed, else the one at orPlace (or the last).
void BookmarksView::select(qint64 id, int orPlace)
{
    const int count = m_rows->rowCount();
    if (count == 0)
        return;
    int place = id ? m_rows->placeOf(id) : -1;
    if (place < 0)
        place = std::clamp(orPlace, 0, count - 1);
    const QModelIndex index = m_rows->index(place, 0);
    m_list->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_list->scrollTo(index);
}

const Bookmark *BookmarksView::current() const
{
    const QModelIndex index = m_list->currentIndex();
    return index.isValid() ? m_rows->at(index.row()) : nullptr;
}

void BookmarksView::say(const QString &text)
{
    m_status->setText(text);
}

void BookmarksView::enableButtons()
{
    const bool open = m_marks->isOpen();
    const bool any = m_rows->rowCount() > 0;
    m_note->setEnabled(open && any);
    m_remove->setEnabled(open && any);
    m_undo->setEnabled(open && !m_removed.empty());
    m_export->setEnabled(open);
    m_import->setEnabled(open);
}

void BookmarksView::openCurrent()
{
    const QModelIndex index = m_list->currentIndex();
    const Bookmark *b = current();
    if (!b)
        return;
    // Never another hadith in its place.
    if (!m_rows->inCollection(index.row())) {
        say(texts::notInThisCollection());
        return;
    }
    say(QString());
    const Bookmark chosen = *b;
    if (m_hooks.open && m_hooks.open(chosen))
        hide();
}

void BookmarksView::removeCurrent()
{
    const Bookmark *b = current();
    if (!b)
        return;
    const Bookmark removed = *b;
    const int place = m_list->currentIndex().row();
    const bool upToDate = m_builtAt == m_marks->generation();
    Error error;
    bool done = false;
    {
        const QScopedValueRollback<bool> own(m_changing, true);
        done = m_marks->unmark(removed.id, &error);
    }
    if (!done) {
        msgbox::report(this, bookmarksErrorMessage(error), error);
        return;
    }
    m_removed.push_back(removed);
    if (upToDate) {
        m_gone.insert(removed.id);
        m_builtAt = m_marks->generation();
        refilter(true);
    } else {
        rebuild();
    }
    select(0, place);
    say(texts::markRemoved() + QLatin1Char(' ') + texts::isolatedPath(QStringLiteral("Ctrl+Z")));
}

void BookmarksView::undoRemoval()
{
    if (m_removed.empty())
        return;
    const Bookmark back = m_removed.back();
    const bool upToDate = m_builtAt == m_marks->generation();
    Error error;
    bool done = false;
    {
        const QScopedValueRollback<bool> own(m_changing, true);
        done = m_marks->restore(back, &error);
    }
    if (!done) {
        msgbox::report(this, bookmarksErrorMessage(error), error);
        return;
    }
    m_removed.pop_back();
    // Listed again where it was, if the list still holds its copy; else the list is made anew.
    if (upToDate && m_gone.erase(back.id) > 0) {
        m_builtAt = m_marks->generation();
        refilter(true);
    } else {
        rebuild();
    }
    select(back.id, 0);
    say(QString());
}

void BookmarksView::editNote()
{
    const Bookmark *b = current();
    if (!b)
        return;
    const Bookmark mark = *b;
    auto *window = new MarkWindow(this, MarkWindow::sourceOf(mark.record()), mark.note, true);
    connect(window, &MarkWindow::saveAsked, window, [this, window, mark](const QString &note) {
        Error error;
        if (note == mark.note || m_marks->setNote(mark.id, note, &error))
            window->accept();
        else
            msgbox::report(window, bookmarksErrorMessage(error), error);
    });
    // Removed from here as Delete removes it, to be brought back with Ctrl+Z.
    connect(window, &MarkWindow::removeAsked, this, [this, window, mark] {
        window->accept();
        select(mark.id, 0);
        removeCurrent();
    });
    window->open();
}

// The file is named as the reader wants; one with no extension is given the export's.
void BookmarksView::exportTo(QString path)
{
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".md");
    int written = 0;
    Error error;
    if (m_marks->exportTo(path, &written, &error))
        say(texts::marksExported(written));
    else
        msgbox::report(this, bookmarksErrorMessage(error), error);
}

void BookmarksView::importFrom(const QString &path)
{
    BookmarkStore::ImportCounts counts;
    Error error;
    if (m_marks->importFrom(path, &counts, &error))
        say(texts::marksImported(counts.added, counts.skipped));
    else
        msgbox::report(this, bookmarksErrorMessage(error), error);
}

namespace {

QString dialogTitle(QString command)
{
    return command.remove(QChar(0x2026)).trimmed();
}

QString markdownFilter()
{
    return texts::markedHadiths() + QStringLiteral(" (*.md)");
}

} // namespace

void BookmarksView::askExport()
{
    const QString path = QFileDialog::getSaveFileName(
        this, dialogTitle(texts::exportCommand()),
        QDir::home().filePath(texts::markedHadiths() + QStringLiteral(".md")), markdownFilter());
    if (!path.isEmpty())
        exportTo(path);
}

void BookmarksView::askImport()
{
    const QString path = QFileDialog::getOpenFileName(this, dialogTitle(texts::importCommand()),
                                                      QDir::homePath(), markdownFilter());
    if (!path.isEmpty())
        importFrom(path);
}

// In the box: Up and Down (and the page keys) move through the list while the box keeps
// the keys, Enter opens. In the list: Enter opens, Delete removes, F2 edits the note. In
// either, Ctrl+Z brings back the last removal, unless the box has typing of its own to undo.
bool BookmarksView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_box && watched != m_list)
        return QWidget::eventFilter(watched, event);
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event); // both are key events
    if (type == QEvent::ShortcutOverride) {
        // Left unaccepted, the key goes to the view's own Ctrl+Z.
        return watched == m_box && key->matches(QKeySequence::Undo) && !m_box->isUndoAvailable();
    }
    const bool plain = key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!plain)
            break;
        openCurrent();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (watched == m_box && plain) {
            QKeyEvent moved(QEvent::KeyPress, key->key(), Qt::NoModifier);
            QCoreApplication::sendEvent(m_list, &moved);
            return true;
        }
        break;
    case Qt::Key_Delete:
        if (watched == m_list && plain) {
            removeCurrent();
            return true;
        }
        break;
    case Qt::Key_F2:
        if (plain) {
            editNote();
            return true;
        }
        break;
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tembra
