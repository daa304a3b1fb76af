#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QAction;
class QPoint;
class QWidget;

namespace tembra {

class TextBox;

// The result list's menu and the reading pane's, in Sorani: narrowing the list to the
// current hadith's book, or to its chapter, each named, and back to every book; reading that
// book from the hadith; copying the hadith with its source; back and forward through the
// places jumped to, the contents and a hadith by its number; and how the pane looks (the
// night appearance, the vowel marks, the font). The window connects each action to what it
// does and says, as a menu opens, which would show the very list shown (those are greyed).
// The ways about the collection are the window's keys too: Alt+Left and Alt+Right, Ctrl+T,
// Ctrl+G and Ctrl+O.
class ReaderMenus final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReaderMenus)

public:
    // Copying with the source is also a key of the window's own: Ctrl+Shift+C.
    explicit ReaderMenus(QWidget *window);

    QAction *back() const { return m_back; }
    QAction *forward() const { return m_forward; }
    QAction *contents() const { return m_contents; }
    QAction *goToNumber() const { return m_goToNumber; }
    QAction *openCollection() const { return m_openCollection; }
    QAction *nightAppearance() const { return m_night; }
    QAction *showMarks() const { return m_marks; }

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
    // What the pane's menu may offer.
    struct PaneOffer {
        bool hadith = false; // a hadith to copy
        QStringList families; // the fonts to choose from
        QString family; // the one the pane shows
    };
    // The pane's own commands on its selection, then copying with the source where there
    // is a hadith to copy, the ways about, and the pane's look.
    void execPaneMenu(const QPoint &global, TextBox *pane, const PaneOffer &offer);

signals:
    // A font family chosen in the pane's menu.
    void familyChosen(const QString &family);

private:
    QWidget *m_window;
    QAction *m_onlyThisBook;
    QAction *m_onlyThisChapter;
    QAction *m_allBooks;
    QAction *m_readBook;
    QAction *m_copyWithSource;
    QAction *m_back;
    QAction *m_forward;
    QAction *m_contents;
    QAction *m_goToNumber;
    QAction *m_openCollection;
    QAction *m_night;
    QAction *m_marks;
};

} // namespace tembra
