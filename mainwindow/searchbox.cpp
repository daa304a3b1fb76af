#include "mainwindow/searchbox.h"

#include "base/texts.h"
#include "forms/boxtags.h"
#include "forms/editmenu.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QSignalBlocker>
#include <QToolButton>

#include <memory>

namespace tembra {

namespace {

QAction *option(const QString &text, const char *name, QObject *parent)
{
    auto *action = new QAction(text, parent);
    action->setObjectName(QLatin1String(name));
    action->setCheckable(true);
    return action;
}

} // namespace

SearchBox::SearchBox(QLineEdit *box)
    : QObject(box),
      m_box(box),
      m_exact(option(texts::exactMatchOption(), "ExactMatch", this)),
      m_anyOrder(option(texts::anyOrderOption(), "AnyOrder", this)),
      m_tags(new BoxTags(box)),
      m_historyButton(new QToolButton(box))
{
    connect(m_exact, &QAction::toggled, this, [this](bool on) {
        showOptions();
        emit exactToggled(on);
    });
    connect(m_anyOrder, &QAction::toggled, this, [this](bool on) {
        showOptions();
        emit anyOrderToggled(on);
    });
    m_historyButton->setObjectName(QStringLiteral("HistoryButton"));
    m_historyButton->setArrowType(Qt::DownArrow);
    m_historyButton->setAutoRaise(true);
    m_historyButton->setFocusPolicy(Qt::NoFocus); // Alt+Down is the key
    m_historyButton->setCursor(Qt::ArrowCursor);
    m_historyButton->setToolTip(texts::earlierSearches());
    m_historyButton->setAccessibleName(texts::earlierSearches());
    connect(m_historyButton, &QToolButton::clicked, this, &SearchBox::showHistory);
    m_tags->addAtEnd(m_historyButton);
    box->installEventFilter(this);
}

bool SearchBox::exact() const
{
    return m_exact->isChecked();
}

bool SearchBox::anyOrder() const
{
    return m_anyOrder->isChecked();
}

void SearchBox::setOptions(bool exact, bool anyOrder)
{
    const QSignalBlocker quietExact(m_exact);
    const QSignalBlocker quietAnyOrder(m_anyOrder);
    m_exact->setChecked(exact);
    m_anyOrder->setChecked(anyOrder);
    showOptions();
}

bool SearchBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_box)
        return false;
    if (event->type() == QEvent::ContextMenu) {
        showMenu(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Down && key->modifiers() == Qt::AltModifier) {
            showHistory();
            return true;
        }
    }
    return false;
}

void SearchBox::showMenu(const QPoint &at)
{
    const std::unique_ptr<QMenu> menu(m_box->createStandardContextMenu());
    soraniEditCommands(menu.get());
    menu->addSeparator();
    menu->addAction(m_exact);
    menu->addAction(m_anyOrder);
    menu->exec(at);
}

void SearchBox::showHistory()
{
    if (m_history.empty())
        return;
    QMenu menu(m_box);
    menu.setObjectName(QStringLiteral("HistoryMenu"));
    menu.setLayoutDirection(Qt::RightToLeft);
    menu.addSection(texts::earlierSearches());
    for (const PastSearch &entry : m_history) {
        // A long text is cut for the list, never in what runs.
        QString shown = entry.text.size() > 80 ? entry.text.left(79) + QChar(0x2026) : entry.text;
        shown.replace(QLatin1Char('&'), QLatin1String("&&"));
        if (entry.exact)
            shown += QStringLiteral("  ·  ") + texts::exactComparisonShown();
        if (entry.anyOrder)
            shown += QStringLiteral("  ·  ") + texts::anyOrderShown();
        QAction *action = menu.addAction(shown);
        connect(action, &QAction::triggered, this, [this, entry] {
            m_box->setText(entry.text);
            setOptions(entry.exact, entry.anyOrder);
            emit historyChosen(entry);
        });
    }
    menu.setMinimumWidth(m_box->width());
    menu.exec(m_box->mapToGlobal(QPoint(0, m_box->height())));
}

// While an option is on, a reader whose text finds nothing, or finds what it would not
// find otherwise, must see why: the box says so.
void SearchBox::showOptions()
{
    m_tags->show(QStringLiteral("ExactShown"), texts::exactComparisonShown(), exact());
    m_tags->show(QStringLiteral("AnyOrderShown"), texts::anyOrderShown(), anyOrder());
}

} // namespace tembra
