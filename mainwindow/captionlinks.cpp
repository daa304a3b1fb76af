#include "mainwindow/captionlinks.h"

#include "forms/controls.h"
#include "forms/form.h"

#include <QHBoxLayout>

namespace tembra {

CaptionLinks::CaptionLinks(Form &form)
    : QWidget(form.window()),
      m_row(new QHBoxLayout(this)),
      m_about(form.widget(QStringLiteral("Label15")))
{
    form.add(QStringLiteral("CaptionLinks"), this);
    setLayoutDirection(Qt::LeftToRight); // after the About label and the version, as they go
    m_row->setContentsMargins(0, 0, 0, 0);
    m_row->setSpacing(12);
    m_row->addStretch();
    raise();
}

void CaptionLinks::add(const QString &name, const QString &text, const QString &tip,
                       std::function<void()> open)
{
    auto *link = new Label(this);
    link->setObjectName(name);
    link->setCaption(text);
    link->setToolTip(tip);
    link->setTransparent(true);
    link->setWordWrap(false);
    if (auto *about = qobject_cast<Label *>(m_about)) {
        link->setFont(about->font());
        link->setForeColor(about->foreColor());
        link->setCursor(about->cursor());
    }
    connect(link, &Label::clicked, this, std::move(open));
    m_row->insertWidget(m_row->count() - 1, link);
}

} // namespace tembra
