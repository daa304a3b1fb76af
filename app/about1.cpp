#include "app/about1.h"

#include "base/texts.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>

namespace tembra {

About1::About1(QWidget *parent) : QWidget(parent), m_form(about1Definition(), this)
{
    // The design's caption ("Form1") was never to be seen; a task list shows this one.
    setWindowTitle(texts::windowTitle());
    Image1 = m_form.get<Image>(QStringLiteral("Image1"));
    connect(Image1, &Image::clicked, this, &About1::Image1_Click);
}

// The picture takes the window's size, height first, so that it fills the window and
// every click lands on it.
void About1::Form_Load()
{
    const QRectF picture = m_form.twips(Image1);
    const float height = float(this->height()) * kTwipsPerPixel;
    m_form.setTwips(Image1, float(picture.left()), float(picture.top()), float(picture.width()),
                    height);
    const float width = float(this->width()) * kTwipsPerPixel;
    m_form.setTwips(Image1, float(picture.left()), float(picture.top()), width, height);
}

void About1::Image1_Click()
{
    close();
}

void About1::showModal()
{
    if (m_loop)
        return; // already shown
    const QPointer<QWidget> focus = QApplication::focusWidget();
    const QPointer<QWidget> active = QApplication::activeWindow();
    Form_Load();
    setWindowModality(Qt::ApplicationModal);
    setFocusPolicy(Qt::StrongFocus); // the keys that close it come to the window itself
    show();
    raise();
    activateWindow();
    setFocus();
    QEventLoop loop;
    m_loop = &loop;
    loop.exec(QEventLoop::DialogExec);
    m_loop = nullptr;
    // Input goes back to the window and the control that had it.
    if (active)
        active->activateWindow();
    if (focus)
        focus->setFocus();
}

void About1::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space: close(); return;
    default: QWidget::keyPressEvent(event);
    }
}

void About1::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (m_loop)
        m_loop->quit();
}

} // namespace tembra
