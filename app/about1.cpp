#include "app/about1.h"

#include "base/texts.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>

namespace tembra {

About1::About1(QWidget *parent) : QWidget(parent), m_form(about1Definition(), this)
{
    // The design's caption ("Form1") was never to be seen; a task list shows this one.
    setWindowTitle(texts::windowTitle());
    Image1 = m_form.get<Image>(QStringLiteral("Image1"));
    connect(Image1, &Image::clicked, this, &About1::Image1_Click);
    m_facts = new QLabel(this);
    m_facts->setObjectName(QStringLiteral("CollectionFacts"));
    m_facts->setAttribute(Qt::WA_TransparentForMouseEvents); // a click still closes
    m_facts->setTextFormat(Qt::PlainText);
    m_facts->setLayoutDirection(Qt::RightToLeft);
    m_facts->setAlignment(Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignTop);
    QPalette p = m_facts->palette();
    p.setColor(QPalette::WindowText, QColor(0xB8, 0xD3, 0xC6)); // the picture's mist
    m_facts->setPalette(p);
    m_facts->hide();
}

// Beside the star at the top of the picture, from its middle to its right frame.
void About1::setCollection(const QString &file, int hadiths, int books)
{
    const int right = 40; // clear of the frame's corner star
    const QRect box(width() / 2 + 48, 26, width() / 2 - 48 - right, 74);
    m_facts->setGeometry(box);
    const QFontMetrics metrics(m_facts->font());
    const QString head = texts::aboutLine(texts::aboutCollection(), QString());
    const QString path = metrics.elidedText(file, Qt::ElideMiddle,
                                            box.width() - metrics.horizontalAdvance(head) - 8);
    QStringList lines{texts::aboutLine(texts::aboutCollection(), texts::isolatedPath(path))};
    if (hadiths >= 0)
        lines << texts::aboutLine(texts::aboutHadiths(), QString::number(hadiths))
              << texts::aboutLine(texts::aboutBooks(), QString::number(books));
    m_facts->setText(lines.join(QLatin1Char('\n')));
    m_facts->setToolTip(file);
    m_facts->show();
    m_facts->raise();
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
