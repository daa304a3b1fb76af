#include "mainwindow/searchsteps.h"

#include "base/texts.h"
#include "forms/controls.h"
#include "forms/messagebox.h"
#include "search/datacontrol.h"
#include "search/resultmodel.h"

namespace tembra {

SearchSteps::SearchSteps(QWidget *window, Controls controls)
    : QObject(window), m_window(window), m_c(std::move(controls))
{
    connect(m_c.data, &DataControl::resultCounted, this, [this](int records) {
        if (m_countOnRefresh)
            m_c.count->setCaption(QString::number(records));
    });
}

void SearchSteps::search(const QString &text, Comparison comparison, bool anyOrder)
{
    if (text.isEmpty())
        return;
    if (text.size() < 3) {
        msgbox::show(m_window, texts::tooShortPrompt(), texts::errorTitle());
        return;
    }
    const QString term = text;
    // The pane lays out only the hadith the steps end on, not each one they pass.
    const TextBox::Hold oneLayout(m_c.pane);
    const Place left = currentPlace();
    m_term = term;
    m_history = remembered(m_history, {term, comparison == Comparison::Exact, anyOrder});
    m_lastSearch = Listing::search(term, comparison, anyOrder);
    m_c.model->setListing(m_lastSearch);
    m_c.data->setRecordSource(m_lastSearch);
    m_c.data->setCommandType(Statement::Text);
    if (!m_c.data->refresh())
        return;
    if (m_c.data->recordCount() == 0) {
        // Nothing matched: a count of 0 beside the empty grid, and no earlier hadith in the
        // pane (the info labels are already empty).
        m_c.count->setCaption(QStringLiteral("0"));
        m_c.grid->setVisible(true);
        m_c.pane->setText(QString());
        jump(left, true);
        return;
    }
    if (!m_c.data->moveLast())
        return;
    m_c.count->setCaption(QString::number(m_c.data->absolutePosition()));
    if (!m_c.data->moveFirst())
        return;
    m_c.grid->setVisible(true);
    for (Label *info : m_c.info)
        info->setForeColor(kSystemWindowText);
    const QString before = m_c.pane->text();
    m_c.pane->setText(m_c.composition());
    // The same record with the same text as before the search raises no change, yet the
    // new term must be selected.
    if (m_c.pane->text() == before)
        m_c.highlight();
    jump(left, true);
}

// A list shown is a place jumped to; the list is said to be new once the history has it.
bool SearchSteps::jump(const Place &left, bool shown)
{
    if (shown) {
        m_places.jumped(left, currentPlace());
        emit listShown();
    }
    return shown;
}

bool SearchSteps::showKeeping(const Listing &listing, int keepRow)
{
    const Place left = currentPlace();
    return jump(left, show(listing, keepRow));
}

bool SearchSteps::show(const Listing &listing, int keepRow)
{
    const TextBox::Hold oneLayout(m_c.pane);
    m_c.data->setRecordSource(listing);
    m_countOnRefresh = true;
    const bool ran = m_c.data->refreshKeeping(keepRow);
    m_countOnRefresh = false;
    if (!ran)
        return false;
    // A list shown before any search (from the contents, say) shows the list and the pane
    // as a search's first one does.
    if (m_c.grid->isHidden()) {
        m_c.grid->setVisible(true);
        for (Label *info : m_c.info)
            info->setForeColor(kSystemWindowText);
    }
    m_c.pane->setText(m_c.data->currentRow() < 0 ? QString() : m_c.composition());
    return true;
}

Place SearchSteps::currentPlace() const
{
    Place place;
    place.listing = m_c.data->listing().value_or(Listing::wholeTable());
    const int row = m_c.data->currentRow();
    if (row >= 0)
        place.hadith = keyOf(*m_c.data->table(), row);
    return place;
}

bool SearchSteps::showPlace(const Place &place)
{
    if (!m_c.data->isOpen())
        return false;
    const Place left = currentPlace();
    return jump(left, go(place));
}

// A place shown, recorded by whoever asked for it.
bool SearchSteps::go(const Place &place)
{
    if (!m_c.data->isOpen())
        return false;
    if (place.listing.isSearch()) {
        m_term = place.listing.text;
        m_lastSearch = place.listing.inEveryBook();
        m_c.model->setListing(m_lastSearch);
    }
    if (!show(place.listing, findHadith(*m_c.data->table(), place.hadith)))
        return false;
    if (place.listing.isSearch())
        emit searchRestored(place.listing);
    return true;
}

bool SearchSteps::goBack()
{
    if (!m_c.data->isOpen())
        return false;
    const std::optional<Place> to = m_places.back(currentPlace());
    if (!to || !go(*to))
        return false;
    emit listShown();
    return true;
}

bool SearchSteps::goForward()
{
    if (!m_c.data->isOpen())
        return false;
    const std::optional<Place> to = m_places.forward(currentPlace());
    if (!to || !go(*to))
        return false;
    emit listShown();
    return true;
}

void SearchSteps::restartHistory(const std::optional<Place> &before)
{
    m_places.restart(currentPlace(), before);
}

void SearchSteps::collectionChanged()
{
    m_term.clear();
    m_lastSearch = Listing();
    m_c.model->setListing(m_lastSearch);
    restartHistory();
}

} // namespace tembra
