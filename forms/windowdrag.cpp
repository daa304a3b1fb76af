#include "forms/windowdrag.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace tembra {

WindowDrag::WindowDrag(QWidget *handle, QWidget *window)
    : QObject(handle), m_handle(handle), m_window(window)
{
    handle->installEventFilter(this);
}

bool WindowDrag::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_handle)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        m_pressAt = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
        break;
    case QEvent::MouseMove: {
        if (!m_armed)
            break;
        const QPoint at = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
        if (!m_following
            && (at - m_pressAt).manhattanLength() >= QApplication::startDragDistance()) {
            m_armed = false;
            QWindow *window = m_window->windowHandle();
            if (!window || !window->startSystemMove()) {
                m_following = true;
                m_armed = true;
                m_grabOffset = m_pressAt - m_window->pos();
            }
        }
        if (m_following)
            m_window->move(at - m_grabOffset);
        break;
    }
    case QEvent::MouseButtonRelease:
        m_armed = false;
        m_following = false;
        break;
    default: break;
    }
    return false;
}

} // namespace tembra
