#pragma once

#include "design/splashfade.h"
#include "forms/form.h"

#include <QWidget>

class QTimer;

namespace tembra {

class Image;

// The splash window: borderless, centred, filled by the splash picture, with the timer
// that drives its fade.
class Tembra2 final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Tembra2)

public:
    explicit Tembra2(QWidget *parent = nullptr);

    Form &form() { return m_form; }
    QTimer *Timer1 = nullptr; // 10 ms, ticking from creation
    Image *Image1 = nullptr;

    // The whole window's opacity, 0 (transparent) to 255 (opaque).
    void setOpacity(int alpha);
    int FadeAlpha() const { return m_fade.FadeAlpha(); }

    // Handlers
    void Form_Load();
    void Timer1_Timer();

signals:
    // The fade is complete: the main window is to be shown, then the splash unloaded.
    void handOver();

private:
    Form m_form;
    SplashFade m_fade;
};

} // namespace tembra
