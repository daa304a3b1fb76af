#include "collection/hadithtable.h"

#include "collection/likepattern.h"

#include <cstring>

namespace tembra {

namespace {
constexpr std::uint8_t kAllNull = (1u << kColumnCount) - 1;
}

QStringView HadithTable::view(int row, int column) const
{
    if (column == 0)
        return QStringView(m_text).mid(m_start[row], m_start[row + 1] - m_start[row]);
    return m_short[column - 1][row];
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
    for (auto &column : m_short)
        column.emplace_back();
}

void HadithTable::setField(int column, QStringView value)
{
    m_nulls.back() &= static_cast<std::uint8_t>(~(1u << column));
    if (column == 0) {
        m_text.append(value);
        m_start.back() = m_text.size();
        noteCase();
    } else {
        m_short[column - 1].back() = value.toString();
    }
}

void HadithTable::setFieldUtf16(int column, const char *bytes, qsizetype units)
{
    m_nulls.back() &= static_cast<std::uint8_t>(~(1u << column));
    QString *target = column == 0 ? &m_text : &m_short[column - 1].back();
    const qsizetype at = target->size();
    target->resize(at + units);
    std::memcpy(target->data() + at, bytes, size_t(units) * 2);
    if (column == 0) {
        m_start.back() = m_text.size();
        noteCase();
    }
}

void HadithTable::noteCase()
{
    const int row = rowCount() - 1;
    if (!isFoldInvariant(view(row, 0)) && (m_casedRows.empty() || m_casedRows.back() != row))
        m_casedRows.push_back(row);
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
    m_casedRows.shrink_to_fit();
    for (auto &column : m_short)
        column.shrink_to_fit();
}

qsizetype HadithTable::textUnits() const
{
    qsizetype units = m_text.size();
    for (const auto &column : m_short) {
        for (const QString &s : column)
            units += s.size();
    }
    return units;
}

} // namespace tembra
