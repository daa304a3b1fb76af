#pragma once

#include "forms/form.h"

#include <QWidget>

class QEventLoop;

namespace tembra {

class Image;

// The About window: one picture over the whole window; a click anywhere closes it, and so
// do Esc, Enter and Space, for a reader at the keyboard.
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

protected:
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    Form m_form;
    QEventLoop *m_loop = nullptr;
};

} // namespace tembra
