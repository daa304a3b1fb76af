#include "mainwindow/contentsview.h"

#include "base/texts.h"
#include "forms/controls.h"
#include "search/comparison.h"
#include "search/datacontrol.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>
#include <QVBoxLayout>

namespace tembra {

namespace {

constexpr int kBookRole = Qt::UserRole;
constexpr int kChapterRole = Qt::UserRole + 1; // -1 on a book

QString named(const Field &name)
{
    return name.value_or(QString());
}

QString folded(const QString &text)
{
    return fold::apply(text, fold::Form::NoMarks);
}

} // namespace

ContentsTree::ContentsTree(QWidget *parent) : QTreeWidget(parent) { }

// As the toolkit's own search: letters typed in quick succession make one name's start, and
// the search goes on from the item the keys are at, round to the top, through the items in
// view.
void ContentsTree::keyboardSearch(const QString &search)
{
    if (search.isEmpty())
        return;
    if (!m_sinceTyped.isValid() || m_sinceTyped.elapsed() > QApplication::keyboardInputInterval())
        m_typed.clear();
    m_sinceTyped.start();
    const bool more = !m_typed.isEmpty();
    m_typed += search;
    const QString wanted = folded(m_typed);
    if (wanted.isEmpty() || topLevelItemCount() == 0)
        return;
    QTreeWidgetItem *start = currentItem() ? currentItem() : topLevelItem(0);
    // A longer start may still be the item the keys are at; a new one looks past it.
    QTreeWidgetItem *item = more ? start : itemBelow(start);
    int items = topLevelItemCount();
    for (int b = 0; b < topLevelItemCount(); ++b)
        items += topLevelItem(b)->childCount();
    for (int seen = 0; seen <= items; ++seen) {
        if (!item)
            item = topLevelItem(0);
        if (folded(item->text(0)).startsWith(wanted)) {
            setCurrentItem(item);
            scrollToItem(item);
            return;
        }
        item = itemBelow(item);
        if (item == start)
            break;
    }
}

ContentsView::ContentsView(QWidget *reader, const DataControl *collection)
    : QWidget(reader, Qt::Dialog), m_tree(new ContentsTree(this)), m_data(collection)
{
    setObjectName(QStringLiteral("ContentsView"));
    setWindowTitle(texts::contents());
    setLayoutDirection(Qt::RightToLeft);
    resize(460, 600);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_tree);
    m_tree->setObjectName(QStringLiteral("ContentsTree"));
    m_tree->setAccessibleName(texts::contents());
    m_tree->setColumnCount(2);
    m_tree->setHeaderLabels(
        {texts::bookWord() + QStringLiteral(" / ") + texts::chapterWord(), texts::hadithsWord()});
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);
    m_tree->setExpandsOnDoubleClick(false); // a double click lists the book
    m_tree->header()->setStretchLastSection(false);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_tree->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    QFont font = m_tree->font();
    font.setPointSizeF(font.pointSizeF() * 1.2); // names in Arabic script, marks and all
    m_tree->setFont(font);
    connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
        // where a click activates an item, its activation chooses it
        if (!m_tree->style()->styleHint(QStyle::SH_ItemView_ActivateItemOnSingleClick, nullptr,
                                        m_tree))
            choose(item, false);
    });
    connect(m_tree, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem *item) { choose(item, true); });
}

void ContentsView::collectionChanged()
{
    m_marked.clear();
    m_tree->clear();
    m_firstRow.clear();
    m_built = false;
    if (isVisible())
        build();
}

void ContentsView::build()
{
    if (m_built || !m_data->isOpen())
        return;
    m_built = true;
    const HadithTable &table = *m_data->table();
    const Contents &contents = m_data->contents();
    m_firstRow.assign(contents.books().size(), -1);
    for (int row = table.rowCount() - 1; row >= 0; --row)
        m_firstRow[size_t(contents.bookOf(row))] = row;
    const auto made = [](QTreeWidgetItem *item, const QString &name, int hadiths) {
        item->setText(0, name);
        item->setToolTip(0, name);
        item->setText(1, QString::number(hadiths));
        item->setTextAlignment(1, kRightAligned | Qt::AlignVCenter);
        return item;
    };
    QList<QTreeWidgetItem *> books;
    for (size_t b = 0; b < contents.books().size(); ++b) {
        const Contents::Book &book = contents.books()[b];
        QTreeWidgetItem *bookItem = made(new QTreeWidgetItem, named(book.name), book.hadiths);
        bookItem->setData(0, kBookRole, int(b));
        bookItem->setData(0, kChapterRole, -1);
        for (size_t c = 0; c < book.chapters.size(); ++c) {
            const Contents::Chapter &chapter = book.chapters[c];
            QTreeWidgetItem *item
                = made(new QTreeWidgetItem(bookItem), named(chapter.name), chapter.hadiths);
            item->setData(0, kBookRole, int(b));
            item->setData(0, kChapterRole, int(c));
        }
        books << bookItem;
    }
    m_tree->addTopLevelItems(books);
}

void ContentsView::open(int currentRow)
{
    if (!isVisible()) {
        // Over the reader's window, on the side where its list starts.
        const QWidget *reader = parentWidget();
        const QRect area = reader->geometry();
        move(area.left() + qMax(0, (area.width() - width()) / 2),
             area.top() + qMax(0, (area.height() - height()) / 3));
    }
    build();
    show();
    mark(currentRow); // once shown, so that the chapter is scrolled to the middle of the view
    raise();
    activateWindow();
    m_tree->setFocus(Qt::ActiveWindowFocusReason);
}

QTreeWidgetItem *ContentsView::itemOf(int row) const
{
    // The tree is this collection's only once built for it.
    if (!m_built || !m_data->isOpen() || row < 0 || row >= m_data->table()->rowCount())
        return nullptr;
    const int book = m_data->contents().bookOf(row);
    QTreeWidgetItem *bookItem = m_tree->topLevelItem(book);
    if (!bookItem)
        return nullptr;
    const Field chapter = m_data->table()->field(row, Column::Kind);
    const std::vector<Contents::Chapter> &chapters
        = m_data->contents().books()[size_t(book)].chapters;
    for (size_t c = 0; c < chapters.size(); ++c) {
        if (chapters[c].name == chapter)
            return bookItem->child(int(c));
    }
    return bookItem;
}

void ContentsView::mark(int row)
{
    build();
    for (QTreeWidgetItem *item : m_marked) {
        item->setData(0, Qt::FontRole, QVariant());
        item->setData(1, Qt::FontRole, QVariant());
    }
    m_marked.clear();
    QTreeWidgetItem *item = itemOf(row);
    if (!item)
        return;
    QFont font = m_tree->font();
    font.setBold(true);
    for (QTreeWidgetItem *marked = item; marked; marked = marked->parent()) {
        marked->setFont(0, font);
        marked->setFont(1, font);
        m_marked.push_back(marked);
    }
    if (item->parent())
        item->parent()->setExpanded(true);
    m_tree->setCurrentItem(item);
    m_tree->scrollToItem(item, QAbstractItemView::PositionAtCenter);
}

// A click on a book opens or closes its chapters; Enter or a double click on it lists it.
void ContentsView::choose(QTreeWidgetItem *item, bool activated)
{
    if (!item || !m_built || !m_data->isOpen())
        return;
    const int book = item->data(0, kBookRole).toInt();
    const int chapter = item->data(0, kChapterRole).toInt();
    if (book < 0 || size_t(book) >= m_firstRow.size())
        return;
    const Contents::Book &entry = m_data->contents().books()[size_t(book)];
    if (chapter < 0 && !activated) {
        item->setExpanded(!item->isExpanded());
        return;
    }
    const Listing listing = chapter < 0
        ? Listing::wholeBook(entry.name,
                             m_data->table()->field(m_firstRow[size_t(book)], Column::Number))
        : Listing::wholeChapter(entry.name, entry.chapters[size_t(chapter)].name);
    hide();
    emit chosen(listing);
}

void ContentsView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace tembra
