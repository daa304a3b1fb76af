#include "mainwindow/markwindow.h"

#include "base/messages.h"
#include "base/texts.h"
#include "bookmarks/bookmark.h"
#include "forms/messagebox.h"
#include "mainwindow/marks.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tembra {

MarkWindow::MarkWindow(QWidget *parent, const QString &source, const QString &note, bool marked)
    : QDialog(parent),
      m_note(new QPlainTextEdit(this)),
      m_save(new QPushButton(texts::saveCommand(), this)),
      m_remove(new QPushButton(texts::removeMark(), this))
{
    setObjectName(QStringLiteral("MarkWindow"));
    setWindowTitle(texts::markCommand());
    setLayoutDirection(Qt::RightToLeft);
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);

    auto *hadith = new QLabel(source, this);
    hadith->setTextFormat(Qt::PlainText);
    QFont bold = hadith->font();
    bold.setBold(true);
    hadith->setFont(bold);
    auto *noteLabel = new QLabel(texts::noteWord(), this);
    noteLabel->setBuddy(m_note);
    m_note->setObjectName(QStringLiteral("Note"));
    m_note->setAccessibleName(texts::noteWord());
    m_note->setTabChangesFocus(true);
    m_note->setPlainText(note);
    m_note->moveCursor(QTextCursor::End);
    m_note->setMinimumSize(360, 4 * m_note->fontMetrics().lineSpacing() + 12);
    m_note->installEventFilter(this);

    auto *cancel = new QPushButton(texts::cancelCommand(), this);
    m_save->setObjectName(QStringLiteral("Save"));
    m_remove->setObjectName(QStringLiteral("Remove"));
    m_remove->setVisible(marked);
    m_save->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_save);
    buttons->addWidget(cancel);
    buttons->addStretch();
    buttons->addWidget(m_remove);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(hadith);
    layout->addWidget(noteLabel);
    layout->addWidget(m_note);
    layout->addLayout(buttons);

    connect(m_save, &QPushButton::clicked, this, [this] { emit saveAsked(m_note->toPlainText()); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_remove, &QPushButton::clicked, this, &MarkWindow::removeAsked);
    // The keys go back to the window it was opened over, where the reader was.
    connect(this, &QDialog::finished, this, [parent] {
        if (parent)
            parent->window()->activateWindow();
    });
    m_note->setFocus();
}

// The window comes up with the keys, in its note box, whatever had them before.
void MarkWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    activateWindow();
    m_note->setFocus(Qt::ActiveWindowFocusReason);
}

// Enter saves, as the window's default button; Shift+Enter is a line break in the note.
bool MarkWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_note && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && !(key->modifiers() & Qt::ShiftModifier)) {
            m_save->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QString MarkWindow::sourceOf(const Record &record)
{
    QString source = record[Column::Book].value_or(QString());
    const QString number = record[Column::Number].value_or(QString());
    if (!number.isEmpty()) {
        if (!source.isEmpty())
            source += texts::listSeparator();
        source += texts::sourceNumber() + QLatin1Char(' ') + number;
    }
    return source;
}

MarkWindow *markHadith(QWidget *window, Marks *marks, const Record &record)
{
    if (!marks->isOpen()) {
        msgbox::report(window, bookmarksErrorMessage(marks->openError()), marks->openError());
        return nullptr;
    }
    // As the file holds it now: another reader's window may have marked it.
    marks->refresh();
    std::optional<Bookmark> mark;
    if (const Bookmark *found = marks->find(keyOf(record)))
        mark = *found;
    auto *shown = new MarkWindow(window, MarkWindow::sourceOf(record),
                                 mark ? mark->note : QString(), mark.has_value());
    QObject::connect(shown, &MarkWindow::saveAsked, shown, [=](const QString &note) {
        if (mark && mark->note == note) {
            shown->accept(); // nothing to save
            return;
        }
        Error error;
        if (marks->mark(record, note, &error))
            shown->accept();
        else
            msgbox::report(shown, bookmarksErrorMessage(error), error);
    });
    QObject::connect(shown, &MarkWindow::removeAsked, shown, [=] {
        Error error;
        if (!mark || marks->unmark(mark->id, &error))
            shown->accept();
        else
            msgbox::report(shown, bookmarksErrorMessage(error), error);
    });
    shown->open();
    return shown;
}

} // namespace tembra
