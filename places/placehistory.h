#pragma once

#include "search/listing.h"

#include <optional>
#include <vector>

namespace tembra {

// The places the reader jumped to, in the order they came, and where among them the reader
// is, as a browser keeps its pages: going back and forward moves along them, and a jump from
// a place that is not the last drops the ones after it. Each place keeps the hadith that was
// current there when the reader left it, so that reading on with Up and Down moves the
// place's hadith, and coming back comes back to where the reader was, not where they came
// in.
class PlaceHistory final {
public:
    // The most places kept; the oldest go first.
    static constexpr int kLimit = 200;

    // Starts afresh at here; before, when given (where the reader left off last time), is
    // one step back.
    void restart(const Place &here, const std::optional<Place> &before = std::nullopt);

    // The reader jumped from left (as they leave it) to arrived. Arriving at the very place
    // left is no step.
    void jumped(const Place &left, const Place &arrived);

    bool canGoBack() const { return m_at > 0; }
    bool canGoForward() const { return m_at >= 0 && m_at + 1 < int(m_places.size()); }
    // The place one step back or forward, which is now where the reader is; left, the place
    // as the reader leaves it, is kept where it was. None at either end.
    std::optional<Place> back(const Place &left);
    std::optional<Place> forward(const Place &left);

    const std::vector<Place> &places() const { return m_places; }
    int at() const { return m_at; } // the reader's place in places(); -1 before any

private:
    std::optional<Place> step(const Place &left, int by);

    std::vector<Place> m_places;
    int m_at = -1;
};

} // namespace tembra
