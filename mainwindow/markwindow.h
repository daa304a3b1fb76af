#pragma once

#include "search/record.h"

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace tembra {

struct Bookmark;
class Marks;

// The small window in which a hadith is marked with a note: the hadith named by its book
// and number, the note box, which has the keys (empty for a new mark, the note for a marked
// hadith), and its buttons. Enter saves (Shift+Enter breaks the line), Esc cancels, and a
// button removes the mark. It only asks: whoever opened it saves, and closes it once the
// change is saved; a change that was not saved leaves it open with the note in it, so that
// nothing typed is lost.
class MarkWindow final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MarkWindow)

public:
    // source names the hadith; marked: it has a mark that the remove button takes away.
    MarkWindow(QWidget *parent, const QString &source, const QString &note, bool marked);

    QPlainTextEdit *noteBox() const { return m_note; }
    QPushButton *removeButton() const { return m_remove; }

    // A hadith's book and number as the note window and the copied source name it.
    static QString sourceOf(const Record &record);

signals:
    void saveAsked(const QString &note);
    void removeAsked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QPlainTextEdit *m_note;
    QPushButton *m_save;
    QPushButton *m_remove;
};

// The note window for a hadith of the open collection, over window: saved, the hadith is
// marked with the note (or its mark gets the new note); removed, its mark goes. A change
// that was not saved is said over the note window. Where there are no bookmarks (the file
// damaged or not the program's), says why instead, and opens nothing.
MarkWindow *markHadith(QWidget *window, Marks *marks, const Record &record);

} // namespace tembra
