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

// An action that is also a key of the window's own, wherever the keys are in it.
QAction *keyed(const QString &text, const char *name, const QKeySequence &keys, QWidget *window)
{
    QAction *action = made(text, name, window);
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    window->addAction(action);
    return action;
}

QAction *checkable(const QString &text, const char *name, QObject *parent)
{
    QAction *action = made(text, name, parent);
    action->setCheckable(true);
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
      m_copyWithSource(made(texts::copyWithSource(), "CopyWithSource", this)),
      m_back(keyed(texts::back(), "Back", QKeySequence(Qt::ALT | Qt::Key_Left), window)),
      m_forward(keyed(texts::forward(), "Forward", QKeySequence(Qt::ALT | Qt::Key_Right), window)),
      m_contents(keyed(texts::contents(), "Contents", QKeySequence(Qt::CTRL | Qt::Key_T), window)),
      m_goToNumber(
          keyed(texts::goToNumber(), "GoToNumber", QKeySequence(Qt::CTRL | Qt::Key_G), window)),
      m_openCollection(keyed(texts::openCollection(), "OpenCollection",
                             QKeySequence(Qt::CTRL | Qt::Key_O), window)),
      m_night(checkable(texts::nightAppearance(), "NightAppearance", this)),
      m_marks(checkable(texts::showMarks(), "ShowMarks", this))
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
    menu.addSeparator();
    menu.addAction(m_back);
    menu.addAction(m_forward);
    menu.addAction(m_contents);
    menu.addAction(m_goToNumber);
    menu.exec(global);
    m_onlyThisBook->setEnabled(true);
    m_onlyThisChapter->setEnabled(true);
    m_allBooks->setEnabled(true);
}

void ReaderMenus::execPaneMenu(const QPoint &global, TextBox *pane, const PaneOffer &offer)
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
    m_copyWithSource->setEnabled(offer.hadith);
    menu.addAction(m_copyWithSource);
    menu.addSeparator();
    menu.addAction(m_back);
    menu.addAction(m_forward);
    menu.addAction(m_contents);
    menu.addAction(m_goToNumber);
    menu.addSeparator();
    menu.addAction(m_night);
    menu.addAction(m_marks);
    QMenu *fonts = menu.addMenu(texts::paneFont());
    fonts->setObjectName(QStringLiteral("PaneFontMenu"));
    fonts->setLayoutDirection(Qt::RightToLeft);
    for (const QString &family : offer.families) {
        QAction *item
            = fonts->addAction(QString(family).replace(QLatin1Char('&'), QLatin1String("&&")));
        item->setCheckable(true);
        item->setChecked(family == offer.family);
        // Each name in its own letters, so that the reader sees what they choose.
        QFont font = fonts->font();
        font.setFamilies({family});
        item->setFont(font);
        connect(item, &QAction::triggered, this, [this, family] { emit familyChosen(family); });
    }
    menu.exec(global);
    m_copyWithSource->setEnabled(true);
}

} // namespace tembra
