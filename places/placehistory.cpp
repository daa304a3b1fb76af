#include "places/placehistory.h"

namespace tembra {

void PlaceHistory::restart(const Place &here, const std::optional<Place> &before)
{
    m_places.clear();
    if (before && *before != here)
        m_places.push_back(*before);
    m_places.push_back(here);
    m_at = int(m_places.size()) - 1;
}

void PlaceHistory::jumped(const Place &left, const Place &arrived)
{
    if (m_at < 0) {
        restart(left);
    }
    m_places[size_t(m_at)] = left;
    if (arrived == left)
        return;
    m_places.resize(size_t(m_at) + 1);
    m_places.push_back(arrived);
    if (int(m_places.size()) > kLimit)
        m_places.erase(m_places.begin());
    m_at = int(m_places.size()) - 1;
}

std::optional<Place> PlaceHistory::back(const Place &left)
{
    return canGoBack() ? step(left, -1) : std::nullopt;
}

std::optional<Place> PlaceHistory::forward(const Place &left)
{
    return canGoForward() ? step(left, 1) : std::nullopt;
}

std::optional<Place> PlaceHistory::step(const Place &left, int by)
{
    m_places[size_t(m_at)] = left;
    m_at += by;
    return m_places[size_t(m_at)];
}

} // namespace tembra
