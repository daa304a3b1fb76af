#pragma once

#include <QObject>
#include <QPoint>

class QWidget;

namespace tembra {

// Moving a window without a system frame by a control of its own (its title). The move
// starts once the pointer moves with the button held, not at the press: a window manager
// that moves the window takes the pointer, and a double click on the title would never
// arrive if a plain press started the move. The system's own interactive move where it has
// one; else the window follows the pointer until the button is released.
class WindowDrag final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WindowDrag)

public:
    WindowDrag(QWidget *handle, QWidget *window);

    // The button went down on the handle: the next move with it held moves the window.
    void arm() { m_armed = true; }
    // No move after all (the press was the first of a double click).
    void disarm() { m_armed = false; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_handle;
    QWidget *m_window;
    QPoint m_pressAt;
    QPoint m_grabOffset;
    bool m_armed = false;
    bool m_following = false;
};

} // namespace tembra
