#include "collection/hadithtable.h"

#include <cstring>

namespace tembra {

namespace {
constexpr std::uint8_t kAllNull = (1u << kColumnCount) - 1;
}

QStringView HadithTable::view(int row, int column) const
{
    if (column == 0)
        return QStringView(m_text).mid(m_start[row], m_start[row + 1] - m_start[row]);
    const size_t at = size_t(row) * kShort + size_t(column - 1);
    const std::uint32_t start = at == 0 ? 0 : m_shortEnd[at - 1];
    return QStringView(m_short).mid(start, m_shortEnd[at] - start);
}

Field HadithTable::field(int row, int column) const
{
    if (isNull(row, column))
        return std::nullopt;
    return text(row, column);
}

Record HadithTable::record(int row) const
{
    Record r;
    for (int c = 0; c < kColumnCount; ++c)
        r.tab[c] = field(row, c);
    return r;
}

void HadithTable::appendRow()
{
    m_nulls.push_back(kAllNull);
    m_start.push_back(m_text.size());
    m_shortEnd.insert(m_shortEnd.end(), kShort, std::uint32_t(m_short.size()));
}

// The buffer the field's value goes to, at its end.
QString *HadithTable::setFieldStart(int column)
{
    m_nulls.back() &= static_cast<std::uint8_t>(~(1u << column));
    if (column == 0)
        return &m_text;
    // A field of a later column set before this one would now lie before it.
    Q_ASSERT(m_shortEnd[m_shortEnd.size() - kShort + (column - 1)] == m_short.size());
    return &m_short;
}

void HadithTable::setFieldEnd(int column)
{
    if (column == 0) {
        m_start.back() = m_text.size();
        return;
    }
    // The columns after this one are empty (or still to be set) from here on.
    for (size_t at = m_shortEnd.size() - kShort + size_t(column - 1); at < m_shortEnd.size(); ++at)
        m_shortEnd[at] = std::uint32_t(m_short.size());
}

void HadithTable::setField(int column, QStringView value)
{
    setFieldStart(column)->append(value);
    setFieldEnd(column);
}

void HadithTable::setFieldUtf16(int column, const char *bytes, qsizetype units)
{
    QString *target = setFieldStart(column);
    const qsizetype at = target->size();
    target->resize(at + units);
    std::memcpy(target->data() + at, bytes, size_t(units) * 2);
    setFieldEnd(column);
}

void HadithTable::append(const Record &record)
{
    appendRow();
    for (int c = 0; c < kColumnCount; ++c) {
        if (record.tab[c])
            setField(c, *record.tab[c]);
    }
}

void HadithTable::squeeze()
{
    m_text.squeeze();
    m_start.shrink_to_fit();
    m_nulls.shrink_to_fit();
    m_short.squeeze();
    m_shortEnd.shrink_to_fit();
}

qsizetype HadithTable::textUnits() const
{
    return m_text.size() + m_short.size();
}

} // namespace tembra
