#include "mainwindow/marksign.h"

#include "base/cuttext.h"
#include "base/texts.h"
#include "bookmarks/bookmark.h"
#include "forms/controls.h"
#include "forms/form.h"

#include <QMouseEvent>
#include <QPainter>

namespace tembra {

MarkSign::MarkSign(Form &form) : QWidget(form.window())
{
    form.add(QStringLiteral("MarkSign"), this);
    setAccessibleName(texts::markedShown());
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_TranslucentBackground);
    hide();
    raise(); // over the heading bar it stands on
}

void MarkSign::showMark(const Bookmark *mark)
{
    if (!mark) {
        hide();
        return;
    }
    QString tip = texts::markedShown();
    if (!mark->note.isEmpty())
        tip += QLatin1Char('\n') + texts::noteWord() + QStringLiteral(": ") + mark->note;
    setToolTip(cutForShowing(tip));
    setAccessibleDescription(mark->note);
    show();
    raise();
    update();
}

void MarkSign::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawMarkSign(painter, QRectF(rect()).adjusted(1, 1, -1, -1));
}

void MarkSign::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace tembra
