#include "forms/tooltips.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QTextDocument>
#include <QToolTip>

namespace tembra {

namespace {

class TooltipDirection final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        auto *help = static_cast<QHelpEvent *>(event);
        QString text = widget->toolTip();
        QRect area;
        // A list's rows have tooltips of their own, which the list shows from its viewport.
        if (auto *view = qobject_cast<QAbstractItemView *>(widget->parentWidget());
            view && view->viewport() == widget) {
            const QModelIndex index = view->indexAt(help->pos());
            text = index.data(Qt::ToolTipRole).toString();
            area = view->visualRect(index);
        }
        if (text.isEmpty() || !text.isRightToLeft() || Qt::mightBeRichText(text))
            return false;
        QToolTip::showText(help->globalPos(),
                           QStringLiteral("<div dir=\"rtl\" style=\"white-space: pre\">%1</div>")
                               .arg(text.toHtmlEscaped()),
                           widget, area);
        return true;
    }
};

} // namespace

void showTooltipsInTheirDirection()
{
    static TooltipDirection *installed = nullptr;
    if (installed || !qApp)
        return;
    installed = new TooltipDirection(qApp);
    qApp->installEventFilter(installed);
}

} // namespace tembra
