#include "mainwindow/captionlinks.h"

#include "forms/controls.h"
#include "forms/form.h"

#include <QHBoxLayout>
#include <QResizeEvent>

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
                       std::function<void()> open, const QString &shortText)
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
    m_links.push_back({link, text, shortText});
    fit();
}

void CaptionLinks::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fit();
}

void CaptionLinks::fit()
{
    int wanted = 0;
    for (const Link &link : m_links)
        wanted += link.label->fontMetrics().horizontalAdvance(link.text) + m_row->spacing();
    const bool room = wanted <= width();
    for (const Link &link : m_links) {
        auto *label = static_cast<Label *>(link.label);
        label->setCaption(room || link.shortText.isEmpty() ? link.text : link.shortText);
    }
}

} // namespace tembra
