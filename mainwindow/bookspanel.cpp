#include "mainwindow/bookspanel.h"

#include "base/texts.h"
#include "forms/controls.h"
#include "search/contents.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tembra {

BooksPanel::BooksPanel(QWidget *parent)
    : QWidget(parent),
      m_heading(new QLabel(texts::booksHeading(), this)),
      m_list(new QTreeWidget(this))
{
    setLayoutDirection(Qt::RightToLeft);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_heading->setAlignment(kRightAligned | Qt::AlignVCenter);
    m_heading->setContentsMargins(4, 0, 4, 0);
    column->addWidget(m_heading);
    column->addWidget(m_list);
    m_list->setObjectName(QStringLiteral("BooksList"));
    m_list->setColumnCount(2);
    m_list->setHeaderHidden(true);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAccessibleName(texts::booksHeading());
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_heading->setBuddy(m_list);
    connect(m_list, &QTreeWidget::itemClicked, this, &BooksPanel::choose);
    connect(m_list, &QTreeWidget::itemActivated, this, &BooksPanel::choose);
}

std::vector<BooksPanel::Count> BooksPanel::countsOf(const Contents &contents,
                                                    const std::vector<int> &rows)
{
    std::vector<Count> counts;
    for (const Contents::BookCount &count : contents.countsByBook(rows))
        counts.push_back({contents.books()[size_t(count.book)].name, count.hadiths});
    return counts;
}

QWidget *BooksPanel::list() const
{
    return m_list;
}

void BooksPanel::setCounts(const std::vector<Count> &counts, int all)
{
    m_marking = true;
    m_list->clear();
    m_books.clear();
    auto *every = new QTreeWidgetItem(m_list, {texts::allBooks(), QString::number(all)});
    every->setTextAlignment(1, kRightAligned | Qt::AlignVCenter);
    for (const Count &count : counts) {
        auto *item = new QTreeWidgetItem(
            m_list, {count.first.value_or(QString()), QString::number(count.second)});
        item->setTextAlignment(1, kRightAligned | Qt::AlignVCenter);
        item->setToolTip(0, count.first.value_or(QString()));
        m_books.push_back(count.first);
    }
    m_list->setCurrentItem(every);
    m_marking = false;
}

void BooksPanel::markNarrowing(const Listing::Narrowing &book)
{
    int index = 0;
    if (book) {
        const auto found = std::find(m_books.begin(), m_books.end(), *book);
        index = found == m_books.end() ? -1 : int(found - m_books.begin()) + 1;
    }
    m_marking = true;
    if (QTreeWidgetItem *item = index < 0 ? nullptr : m_list->topLevelItem(index))
        m_list->setCurrentItem(item);
    else
        m_list->clearSelection();
    m_marking = false;
}

void BooksPanel::choose(QTreeWidgetItem *item)
{
    if (m_marking || !item)
        return;
    const int index = m_list->indexOfTopLevelItem(item);
    if (index <= 0)
        emit chosen(std::nullopt);
    else if (size_t(index - 1) < m_books.size())
        emit chosen(m_books[size_t(index - 1)]);
}

} // namespace tembra
