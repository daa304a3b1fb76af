#include "app/tembra2.h"

#include "base/texts.h"

#include <QTimer>

namespace tembra {

Tembra2::Tembra2(QWidget *parent) : QWidget(parent), m_form(tembra2Definition(), this)
{
    // The design's caption ("Form1") was never to be seen; a task list shows this one.
    setWindowTitle(texts::windowTitle());
    Timer1 = m_form.get<QTimer>(QStringLiteral("Timer1"));
    Image1 = m_form.get<Image>(QStringLiteral("Image1"));
    // The stretched picture covers the whole window, so its colour never shows.
    const QRectF window = m_form.twips(this);
    m_form.setTwips(Image1, 0, 0, float(window.width()), float(window.height()));
    connect(Timer1, &QTimer::timeout, this, &Tembra2::Timer1_Timer);
}

// Before the window is first shown: the picture fills it, and it starts transparent.
void Tembra2::Form_Load()
{
    const QRectF window = m_form.twips(this);
    m_form.setTwips(Image1, 0, 0, float(window.width()), float(window.height()));
    setOpacity(m_fade.FadeAlpha());
}

// Each tick makes the window a little more opaque; the tick that makes it opaque stops
// the timer and hands over to the main window.
void Tembra2::Timer1_Timer()
{
    const std::optional<SplashFade::Tick> tick = m_fade.tick();
    if (!tick)
        return;
    setOpacity(tick->FadeAlpha);
    if (tick->handOver) {
        Timer1->stop();
        emit handOver();
    }
}

void Tembra2::setOpacity(int alpha)
{
    setWindowOpacity(qBound(0, alpha, 255) / 255.0);
}

} // namespace tembra
