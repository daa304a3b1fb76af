#include "mainwindow/listguide.h"

#include "base/texts.h"
#include "forms/controls.h"
#include "forms/form.h"
#include "mainwindow/bookspanel.h"
#include "search/datacontrol.h"
#include "search/words.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace tembra {

namespace {

QString named(const Field &field)
{
    return field.value_or(QString());
}

} // namespace

ListGuide::ListGuide(Form &form, DataControl *data, QWidget *resultPanel)
    : QObject(data),
      m_data(data),
      m_caption(new QLabel(form.window())),
      m_books(new BooksPanel(resultPanel)),
      m_offer(new QPushButton(resultPanel))
{
    form.add(QStringLiteral("ListCaption"), m_caption);
    form.add(QStringLiteral("BooksPanel"), m_books);
    form.add(QStringLiteral("AnyOrderOffer"), m_offer);
    m_caption->setLayoutDirection(Qt::RightToLeft);
    m_caption->setAlignment(kRightAligned | Qt::AlignVCenter);
    m_caption->setTextFormat(Qt::PlainText);
    m_caption->setContentsMargins(6, 0, 6, 0);
    // The heading row's own colours, which the window's definition gives its heading.
    if (QWidget *heading = form.widget(QStringLiteral("Label18"))) {
        m_caption->setFont(heading->font());
        m_caption->setPalette(heading->palette());
    }
    m_caption->raise();
    m_books->hide();
    m_offer->hide();
    m_offer->setLayoutDirection(Qt::RightToLeft);
    m_offer->setCursor(Qt::PointingHandCursor);
    // In the focus order after the list they stand by.
    if (QWidget *list = form.widget(QStringLiteral("DataGrid1"))) {
        QWidget::setTabOrder(list, m_offer);
        QWidget::setTabOrder(m_offer, m_books->list());
    }
    connect(m_books, &BooksPanel::chosen, this, &ListGuide::bookChosen);
    connect(m_offer, &QPushButton::clicked, this, &ListGuide::anyOrderTaken);
    m_offer->installEventFilter(this);
}

// Enter on the offer takes it, as a click does.
bool ListGuide::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_offer && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_offer->click();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void ListGuide::collectionChanged()
{
    m_counted = Listing();
    m_offer->hide();
    if (!m_booksShown)
        return;
    m_booksShown = false;
    m_books->hide();
    emit layoutChanged();
}

bool ListGuide::booksShown() const
{
    return m_booksShown;
}

QString ListGuide::captionOf(const Listing &listing)
{
    switch (listing.kind) {
    case Listing::Kind::Table: return {};
    case Listing::Kind::Search:
        if (listing.chapter)
            return texts::listSearchIn(listing.text, named(*listing.chapter));
        if (listing.book)
            return texts::listSearchIn(listing.text, named(*listing.book));
        return texts::listSearch(listing.text);
    case Listing::Kind::Book:
        return texts::listReading(named(listing.book.value_or(std::nullopt)),
                                  named(listing.startNumber));
    case Listing::Kind::Chapter:
        return texts::listSearchIn(named(listing.chapter.value_or(std::nullopt)),
                                   named(listing.book.value_or(std::nullopt)));
    }
    return {};
}

void ListGuide::listShown(const Listing &lastSearch)
{
    const std::optional<Listing> &shown = m_data->listing();
    const QString caption = shown ? captionOf(*shown) : QString();
    m_caption->setText(caption);
    m_caption->setToolTip(caption);
    m_offer->hide();

    // The counts are the last search's in every book, also while the list shows one book of
    // it or a book read from one of its hadiths.
    const bool wasShown = m_booksShown;
    if (lastSearch.isSearch()) {
        const Listing every = lastSearch.inEveryBook();
        if (every != m_counted) {
            const std::vector<int> rows = shown && *shown == every ? [this] {
                std::vector<int> held(size_t(m_data->recordCount()));
                for (int i = 0; i < m_data->recordCount(); ++i)
                    held[size_t(i)] = m_data->rowAt(i);
                return held;
            }()
                                                                   : m_data->rowsOf(every);
            m_books->setCounts(BooksPanel::countsOf(m_data->contents(), rows), int(rows.size()));
            m_counted = every;
        }
        m_booksShown = m_books->bookCount() > 0;
        m_books->markNarrowing(shown && shown->isSearch() ? shown->book : std::nullopt);
    }
    m_books->setVisible(m_booksShown);
    if (shown && shown->isSearch() && m_data->recordCount() == 0)
        offerAnyOrder(*shown);
    if (m_booksShown != wasShown)
        emit layoutChanged();
}

// Only a search for a text of more than one word, which found nothing as it was typed.
void ListGuide::offerAnyOrder(const Listing &search)
{
    if (search.anyOrder || search.book)
        return;
    int required = 0;
    for (const WordItem &item : splitWords(search.text))
        required += item.excluded ? 0 : 1;
    if (required < 2)
        return;
    const int found = m_data->count(search.inAnyOrder());
    if (found <= 0)
        return;
    m_offer->setText(texts::nothingButAnyOrder(found));
    m_offer->show();
    m_offer->raise();
}

} // namespace tembra
