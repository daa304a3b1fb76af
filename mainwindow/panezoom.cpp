#include "mainwindow/panezoom.h"

#include "forms/controls.h"
#include "search/pane.h"

#include <QKeySequence>
#include <QShortcut>
#include <QTimer>
#include <QWheelEvent>

namespace tembra {

PaneZoom::PaneZoom(TextBox *pane, QWidget *window, Keep keep)
    : QObject(pane), m_pane(pane), m_keep(std::move(keep)), m_settle(new QTimer(this))
{
    m_settle->setSingleShot(true);
    m_settle->setInterval(1000);
    connect(m_settle, &QTimer::timeout, this, [this] {
        m_due = true;
        keepNow();
    });
    const std::pair<QKeySequence, int> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Equal), 1},
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), 1},
        {QKeySequence(Qt::CTRL | Qt::Key_Minus), -1},
        {QKeySequence(Qt::CTRL | Qt::Key_0), 0},
    };
    for (const auto &[sequence, steps] : keys) {
        auto *shortcut = new QShortcut(sequence, window);
        connect(shortcut, &QShortcut::activated, this, [this, steps = steps] { zoom(steps); });
    }
    pane->viewport()->installEventFilter(this);
}

void PaneZoom::setPoints(qreal points)
{
    QFont font = m_pane->font();
    font.setPointSizeF(points);
    m_pane->setFont(font);
}

void PaneZoom::zoom(int steps)
{
    const qreal points = m_pane->font().pointSizeF();
    setPoints(steps == 0 ? pane::kDesignPoints : pane::zoomedPoints(points, steps));
    if (m_pane->font().pointSizeF() != points)
        m_settle->start();
}

void PaneZoom::keepNow()
{
    if (!m_settle->isActive() && !m_due)
        return;
    m_settle->stop();
    m_due = false;
    Error error;
    if (!m_keep(m_pane->font().pointSizeF(), &error) && !m_notKeptSaid) {
        m_notKeptSaid = true;
        emit notKept(error);
    }
}

bool PaneZoom::eventFilter(QObject *, QEvent *event)
{
    if (event->type() != QEvent::Wheel)
        return false;
    auto *wheel = static_cast<QWheelEvent *>(event);
    if (!(wheel->modifiers() & Qt::ControlModifier))
        return false;
    const int notches = wheel->angleDelta().y() / QWheelEvent::DefaultDeltasPerStep;
    if (notches != 0)
        zoom(notches);
    return true;
}

} // namespace tembra
