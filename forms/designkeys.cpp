#include "forms/designkeys.h"

#include <QKeyEvent>
#include <QWidget>

namespace tembra {

DesignKeys::DesignKeys(QWidget *control, Handler keyDown, Handler keyPress)
    : QObject(control), m_keyDown(std::move(keyDown)), m_keyPress(std::move(keyPress))
{
    control->installEventFilter(this);
}

int DesignKeys::keyCode(const QKeyEvent *key)
{
    switch (key->key()) {
    case Qt::Key_Up: return kUp;
    case Qt::Key_Down: return kDown;
    case Qt::Key_PageUp: return kPageUp;
    case Qt::Key_PageDown: return kPageDown;
    default: return -1;
    }
}

bool DesignKeys::eventFilter(QObject *, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (m_keyDown) {
        int code = keyCode(key);
        m_keyDown(code);
        if (code == 0)
            return true;
    }
    if (m_keyPress) {
        int ascii = 0;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            ascii = kEnter;
        else if (!key->text().isEmpty())
            ascii = key->text().at(0).unicode();
        if (ascii != 0) {
            m_keyPress(ascii);
            if (ascii == 0)
                return true;
        }
    }
    return false;
}

} // namespace tembra
