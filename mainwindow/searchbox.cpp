#include "mainwindow/searchbox.h"

#include "base/texts.h"
#include "forms/boxtags.h"
#include "forms/editmenu.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QSignalBlocker>

#include <memory>

namespace tembra {

SearchBox::SearchBox(QLineEdit *box)
    : QObject(box),
      m_box(box),
      m_exact(new QAction(texts::exactMatchOption(), this)),
      m_tags(new BoxTags(box))
{
    m_exact->setObjectName(QStringLiteral("ExactMatch"));
    m_exact->setCheckable(true);
    connect(m_exact, &QAction::toggled, this, [this](bool on) {
        showOptions();
        emit exactToggled(on);
    });
    box->installEventFilter(this);
}

bool SearchBox::exact() const
{
    return m_exact->isChecked();
}

void SearchBox::setExact(bool on)
{
    const QSignalBlocker quiet(m_exact);
    m_exact->setChecked(on);
    showOptions();
}

bool SearchBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_box && event->type() == QEvent::ContextMenu) {
        showMenu(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    }
    return false;
}

void SearchBox::showMenu(const QPoint &at)
{
    const std::unique_ptr<QMenu> menu(m_box->createStandardContextMenu());
    soraniEditCommands(menu.get());
    menu->addSeparator();
    menu->addAction(m_exact);
    menu->exec(at);
}

// While the exact option is on, a reader whose Kurdish-typed text finds nothing must see
// why: the box says so.
void SearchBox::showOptions()
{
    m_tags->show(QStringLiteral("ExactShown"), texts::exactComparisonShown(), exact());
}

} // namespace tembra
