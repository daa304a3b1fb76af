#include "mainwindow/readermenus.h"

#include "base/texts.h"
#include "forms/controls.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

namespace tembra {

namespace {

QAction *made(const QString &text, const char *name, QObject *parent)
{
    auto *action = new QAction(text, parent);
    action->setObjectName(QLatin1String(name));
    return action;
}

} // namespace

ReaderMenus::ReaderMenus(QWidget *window)
    : QObject(window),
      m_window(window),
      m_onlyThisBook(made(texts::onlyThisBook(), "OnlyThisBook", this)),
      m_onlyThisChapter(made(texts::onlyChapter(QString()), "OnlyThisChapter", this)),
      m_allBooks(made(texts::allBooks(), "AllBooks", this)),
      m_readBook(made(texts::readBookFromHere(), "ReadBookFromHere", this)),
      m_copyWithSource(made(texts::copyWithSource(), "CopyWithSource", this))
{
    m_copyWithSource->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    m_copyWithSource->setShortcutContext(Qt::WindowShortcut);
    window->addAction(m_copyWithSource);
}

void ReaderMenus::execListMenu(const QPoint &global, const ListOffer &offer)
{
    QMenu menu(m_window);
    menu.setLayoutDirection(Qt::RightToLeft);
    // A name is shown as it stands, never taken for the item's mnemonic.
    const auto plain
        = [](QString name) { return name.replace(QLatin1Char('&'), QLatin1String("&&")); };
    m_onlyThisBook->setText(texts::onlyHadithsOf(plain(offer.book)));
    m_onlyThisChapter->setText(texts::onlyChapter(plain(offer.chapter)));
    m_onlyThisBook->setEnabled(offer.onlyThisBook);
    m_onlyThisChapter->setEnabled(offer.onlyThisChapter);
    m_allBooks->setEnabled(offer.allBooks);
    menu.addAction(m_onlyThisBook);
    menu.addAction(m_onlyThisChapter);
    menu.addAction(m_allBooks);
    menu.addAction(m_readBook);
    menu.addSeparator();
    m_copyWithSource->setEnabled(true);
    menu.addAction(m_copyWithSource);
    menu.exec(global);
    m_onlyThisBook->setEnabled(true);
    m_onlyThisChapter->setEnabled(true);
    m_allBooks->setEnabled(true);
}

void ReaderMenus::execPaneMenu(const QPoint &global, TextBox *pane, bool hadith)
{
    QMenu menu(m_window);
    menu.setLayoutDirection(Qt::RightToLeft);
    QAction *copy = menu.addAction(texts::copyCommand(), pane, &QPlainTextEdit::copy);
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(pane->textCursor().hasSelection());
    QAction *all = menu.addAction(texts::selectAllCommand(), pane, &QPlainTextEdit::selectAll);
    all->setShortcut(QKeySequence::SelectAll);
    all->setEnabled(!pane->text().isEmpty());
    menu.addSeparator();
    m_copyWithSource->setEnabled(hadith);
    menu.addAction(m_copyWithSource);
    menu.exec(global);
    m_copyWithSource->setEnabled(true);
}

} // namespace tembra
