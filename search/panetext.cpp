#include "search/panetext.h"

#include "search/comparison.h"

#include <algorithm>

namespace tembra::pane {

ShownText::ShownText(QStringView text, bool marks)
{
    m_textOf.clear();
    m_shown.reserve(text.size());
    m_textOf.reserve(size_t(text.size()) + 1);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (!marks && fold::kind(u) == fold::Mark)
            continue;
        m_textOf.push_back(i);
        if (u == u'\r') {
            m_shown.append(QLatin1Char('\n'));
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            continue;
        }
        m_shown.append(QChar(u));
    }
    m_textOf.push_back(text.size());
}

qsizetype ShownText::shownAt(qsizetype index) const
{
    return std::lower_bound(m_textOf.begin(), m_textOf.end() - 1, index) - m_textOf.begin();
}

qsizetype ShownText::textAt(qsizetype at) const
{
    return m_textOf[size_t(std::clamp<qsizetype>(at, 0, qsizetype(m_textOf.size()) - 1))];
}

} // namespace tembra::pane
