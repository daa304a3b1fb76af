#pragma once

#include <QObject>
#include <QString>

class QAction;
class QPoint;
class QWidget;

namespace tembra {

class TextBox;

// The result list's menu and the reading pane's, in Sorani: narrowing the list to the
// current hadith's book, or to its chapter, each named, and back to every book; reading that
// book from the hadith; copying the hadith with its source. The window connects each action to what it does and says, as a menu
// opens, which would show the very list shown (those are greyed).
class ReaderMenus final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReaderMenus)

public:
    // Copying with the source is also a key of the window's own: Ctrl+Shift+C.
    explicit ReaderMenus(QWidget *window);

    QAction *onlyThisBook() const { return m_onlyThisBook; }
    QAction *onlyThisChapter() const { return m_onlyThisChapter; }
    QAction *allBooks() const { return m_allBooks; }
    QAction *readBookFromHere() const { return m_readBook; }
    QAction *copyWithSource() const { return m_copyWithSource; }

    // What the list's menu may offer, for its current hadith.
    struct ListOffer {
        QString book; // the current hadith's book and chapter, as the items name them
        QString chapter;
        bool onlyThisBook = true;
        bool onlyThisChapter = true;
        bool allBooks = true;
    };
    void execListMenu(const QPoint &global, const ListOffer &offer);
    // The pane's own commands on its selection, then copying with the source where there
    // is a hadith to copy.
    void execPaneMenu(const QPoint &global, TextBox *pane, bool hadith);

private:
    QWidget *m_window;
    QAction *m_onlyThisBook;
    QAction *m_onlyThisChapter;
    QAction *m_allBooks;
    QAction *m_readBook;
    QAction *m_copyWithSource;
};

} // namespace tembra
