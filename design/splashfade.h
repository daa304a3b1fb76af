#pragma once

#include <optional>

namespace tembra {

// The splash window's fade-in: fully transparent at load, 17 more opacity (of 255) on each
// tick of its timer. The fifteenth tick reaches 255 exactly and is the hand-over: stop the
// timer, show the main window, then unload the splash, so the program is never without a
// window.
class SplashFade final {
public:
    struct Tick {
        int FadeAlpha = 0; // the opacity to apply, 0 .. 255
        bool handOver = false;
    };

    int FadeAlpha() const { return m_fadeAlpha; }
    bool handedOver() const { return m_fadeAlpha >= kOpaque; }

    // One tick of the splash timer. A tick that arrives after the hand-over (a timer not
    // stopped in time) changes nothing and hands over no second time.
    std::optional<Tick> tick()
    {
        if (handedOver())
            return std::nullopt;
        m_fadeAlpha += kStep;
        return Tick{m_fadeAlpha, handedOver()};
    }

private:
    static constexpr int kStep = 17; // 15 ticks of 17 make 255
    static constexpr int kOpaque = 255;
    int m_fadeAlpha = 0;
};

} // namespace tembra
