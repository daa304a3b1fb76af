#include "forms/boxtags.h"

#include "forms/controls.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace tembra {

BoxTags::BoxTags(QLineEdit *box) : QObject(box), m_box(box) { }

void BoxTags::show(const QString &name, const QString &text, bool shown)
{
    auto found = m_tags.find(name);
    if (found == m_tags.end()) {
        if (!shown)
            return;
        makeRow();
        auto *tag = new QLabel(text, m_box);
        tag->setObjectName(name);
        tag->setAttribute(Qt::WA_TransparentForMouseEvents);
        // The window's style sheets would override a palette.
        tag->setStyleSheet(QStringLiteral("QLabel { background: %1; color: #5a3a00; "
                                          "border-radius: 3px; padding: 0 4px; }")
                               .arg(resolveColour(kMatchShade).name()));
        m_row->insertWidget(int(m_tags.size()) + 1, tag); // before the controls at the end
        found = m_tags.emplace(name, tag).first;
    }
    found->second->setText(text);
    found->second->setVisible(shown);
    keepTextClear();
}

void BoxTags::addAtEnd(QWidget *control)
{
    makeRow();
    m_row->addWidget(control);
    m_atEnd.push_back(control);
    keepTextClear();
}

void BoxTags::makeRow()
{
    if (m_row)
        return;
    m_row = new QHBoxLayout(m_box);
    m_row->setContentsMargins(2, 2, 2, 2);
    m_row->setSpacing(2);
    m_row->addStretch(); // the tags at the end of the text's direction
}

void BoxTags::keepTextClear()
{
    int room = 0;
    for (const auto &entry : m_tags) {
        if (!entry.second->isHidden())
            room += entry.second->sizeHint().width() + 4;
    }
    for (const QWidget *control : m_atEnd) {
        if (!control->isHidden())
            room += control->sizeHint().width() + 2;
    }
    m_box->setTextMargins(m_box->isRightToLeft() ? QMargins(room, 0, 0, 0)
                                                 : QMargins(0, 0, room, 0));
}

} // namespace tembra
