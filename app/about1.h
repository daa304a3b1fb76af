#pragma once

#include "forms/form.h"

#include <QWidget>

class QEventLoop;
class QLabel;

namespace tembra {

class Image;

// The About window: one picture over the whole window; a click anywhere closes it, and so
// do Esc, Enter and Space, for a reader at the keyboard. Over the picture's upper right,
// where a right-to-left reader starts, it names the collection in view: its file, its
// number of hadiths and of books (the lines let a click through to the picture).
class About1 final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(About1)

public:
    explicit About1(QWidget *parent = nullptr);

    Form &form() { return m_form; }
    Image *Image1 = nullptr;

    // Loads and shows the window modally: no other window takes input until it is
    // closed. Returns then, with the focus back where it was. Every call loads the
    // window afresh.
    void showModal();

    void Form_Load();
    void Image1_Click();

    // The collection in view: its file, how many hadiths and books it holds (-1 while none
    // is open: only the file is named).
    void setCollection(const QString &file, int hadiths, int books);
    QLabel *facts() const { return m_facts; }

protected:
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    Form m_form;
    QLabel *m_facts = nullptr;
    QEventLoop *m_loop = nullptr;
};

} // namespace tembra
