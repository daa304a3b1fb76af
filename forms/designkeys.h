#pragma once

#include <QObject>

#include <functional>

class QKeyEvent;
class QWidget;

namespace tembra {

// A control's key events as the window's handlers speak them. KeyDown comes with a Windows
// key code, and only for the keys the handlers speak of (the arrows up and down, the page
// keys): Qt's own codes for "&" and "(" are 38 and 40, so no other key is passed as one.
// KeyPress comes with the character's code (13 for Enter). A handler that sets the code to 0
// cancels the key: the control never sees it.
class DesignKeys final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DesignKeys)

public:
    static constexpr int kPageUp = 33;
    static constexpr int kPageDown = 34;
    static constexpr int kUp = 38;
    static constexpr int kDown = 40;
    static constexpr int kEnter = 13;

    using Handler = std::function<void(int &code)>;
    DesignKeys(QWidget *control, Handler keyDown, Handler keyPress = {});

    // The Windows code of a key the handlers speak of; -1 for any other.
    static int keyCode(const QKeyEvent *key);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Handler m_keyDown;
    Handler m_keyPress;
};

} // namespace tembra
