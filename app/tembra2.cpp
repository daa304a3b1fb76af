#include "app/tembra2.h"

#include <QTimer>

namespace tembra {

Tembra2::Tembra2(QWidget *parent) : QWidget(parent), m_form(tembra2Definition(), this)
{
    Timer1 = m_form.get<QTimer>(QStringLiteral("Timer1"));
    Image1 = m_form.get<Image>(QStringLiteral("Image1"));
    // The stretched picture covers the whole window, so its colour never shows.
    const QRectF window = m_form.twips(this);
    m_form.setTwips(Image1, 0, 0, float(window.width()), float(window.height()));
}

void Tembra2::setOpacity(int alpha)
{
    setWindowOpacity(qBound(0, alpha, 255) / 255.0);
}

} // namespace tembra
