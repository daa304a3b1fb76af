#include "mainwindow/sidebuttons.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace tembra {

SideButtons::SideButtons(QWidget *window) : QObject(window), m_window(window)
{
    qApp->installEventFilter(this);
}

bool SideButtons::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease
        && type != QEvent::MouseButtonDblClick)
        return false;
    const Qt::MouseButton button = static_cast<QMouseEvent *>(event)->button();
    if (button != Qt::BackButton && button != Qt::ForwardButton)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != m_window)
        return false;
    // A button goes once: when it is pressed; its release is no one's.
    if (type == QEvent::MouseButtonPress) {
        if (button == Qt::BackButton)
            emit back();
        else
            emit forward();
    }
    return true;
}

} // namespace tembra
