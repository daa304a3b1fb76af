#include "mainwindow/startoffers.h"

#include "base/texts.h"
#include "forms/form.h"

#include <QKeyEvent>
#include <QPushButton>

namespace tembra {

StartOffers::StartOffers(Form &form, QWidget *resultPanel)
    : QObject(resultPanel),
      m_panel(resultPanel),
      m_carryOn(made(QStringLiteral("CarryOnOffer"), texts::carryOn(),
                     texts::keyTip(texts::back(), QStringLiteral("Alt+Left")))),
      m_open(made(QStringLiteral("OpenOffer"), texts::openCollection(),
                  texts::keyTip(texts::openCollection(), QStringLiteral("Ctrl+O"))))
{
    form.add(m_carryOn->objectName(), m_carryOn);
    form.add(m_open->objectName(), m_open);
    if (QWidget *box = form.widget(QStringLiteral("Text2"))) {
        QWidget *next = box->nextInFocusChain();
        QWidget::setTabOrder(box, m_carryOn);
        QWidget::setTabOrder(m_carryOn, m_open);
        if (next)
            QWidget::setTabOrder(m_open, next);
    }
    connect(m_carryOn, &QPushButton::clicked, this, &StartOffers::carryOnTaken);
    connect(m_open, &QPushButton::clicked, this, &StartOffers::openTaken);
}

QPushButton *StartOffers::made(const QString &name, const QString &text, const QString &tip)
{
    // A button lays its words out left to right whatever its direction: a mark of the right
    // to left keeps a closing "…" at the end of the words, where a reader of them looks.
    auto *button = new QPushButton(text + QChar(0x200F), m_panel);
    button->setObjectName(name);
    button->setToolTip(tip);
    button->setLayoutDirection(Qt::RightToLeft);
    button->setCursor(Qt::PointingHandCursor);
    button->hide();
    button->installEventFilter(this);
    return button;
}

void StartOffers::offerCarryOn(bool shown)
{
    m_carryOn->setVisible(shown);
    if (shown)
        m_carryOn->raise();
}

void StartOffers::offerOpen(bool shown)
{
    m_open->setVisible(shown);
    if (shown)
        m_open->raise();
}

// Enter takes an offer, as a click does.
bool StartOffers::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_carryOn || watched == m_open) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            static_cast<QPushButton *>(watched)->click();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tembra
