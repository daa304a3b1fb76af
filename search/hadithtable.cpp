#include "search/hadithtable.h"

namespace tembra {

namespace {
constexpr std::uint8_t kAllNull = (1u << kColumnCount) - 1;
}

HadithTable::HadithTable(const HadithTable &other)
    : m_keep(other.m_keep),
      m_text(other.m_text),
      m_short(other.m_short),
      m_start(other.m_start),
      m_shortEnd(other.m_shortEnd),
      m_nulls(other.m_nulls),
      m_startAt(other.m_startAt),
      m_shortEndAt(other.m_shortEndAt),
      m_nullsAt(other.m_nullsAt),
      m_rows(other.m_rows)
{
    if (!m_keep)
        point();
}

HadithTable::HadithTable(HadithTable &&other) noexcept
{
    *this = std::move(other);
}

HadithTable &HadithTable::operator=(const HadithTable &other)
{
    if (this != &other)
        *this = HadithTable(other);
    return *this;
}

HadithTable &HadithTable::operator=(HadithTable &&other) noexcept
{
    m_keep = std::move(other.m_keep);
    m_text = std::move(other.m_text);
    m_short = std::move(other.m_short);
    m_start = std::move(other.m_start);
    m_shortEnd = std::move(other.m_shortEnd);
    m_nulls = std::move(other.m_nulls);
    m_startAt = other.m_startAt;
    m_shortEndAt = other.m_shortEndAt;
    m_nullsAt = other.m_nullsAt;
    m_rows = other.m_rows;
    if (!m_keep)
        point();
    // What is left behind is an empty table.
    other.m_keep.reset();
    other.m_text.clear();
    other.m_short.clear();
    other.m_start.assign(1, 0);
    other.m_shortEnd.clear();
    other.m_nulls.clear();
    other.point();
    return *this;
}

void HadithTable::point()
{
    m_startAt = m_start.data();
    m_shortEndAt = m_shortEnd.data();
    m_nullsAt = m_nulls.data();
    m_rows = static_cast<int>(m_nulls.size());
}

HadithTable HadithTable::adopt(const Arrays &arrays, std::shared_ptr<const void> keep)
{
    HadithTable table;
    table.m_keep = std::move(keep);
    table.m_text
        = QString::fromRawData(reinterpret_cast<const QChar *>(arrays.text), arrays.textUnits);
    table.m_short = QString::fromRawData(reinterpret_cast<const QChar *>(arrays.shortText),
                                         arrays.shortUnits);
    table.m_start.clear();
    table.m_startAt = arrays.start;
    table.m_shortEndAt = arrays.shortEnd;
    table.m_nullsAt = arrays.nulls;
    table.m_rows = arrays.rows;
    return table;
}

QStringView HadithTable::view(int row, int column) const
{
    if (column == 0)
        return QStringView(m_text).mid(m_startAt[row], m_startAt[row + 1] - m_startAt[row]);
    const size_t at = size_t(row) * kShort + size_t(column - 1);
    const std::uint32_t start = at == 0 ? 0 : m_shortEndAt[at - 1];
    return QStringView(m_short).mid(start, m_shortEndAt[at] - start);
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
    Q_ASSERT_X(!m_keep, "HadithTable", "an adopted table is not built on");
    m_nulls.push_back(kAllNull);
    m_start.push_back(std::uint32_t(m_text.size()));
    m_shortEnd.insert(m_shortEnd.end(), kShort, std::uint32_t(m_short.size()));
    point();
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
        m_start.back() = std::uint32_t(m_text.size());
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
    if (m_keep)
        return;
    m_text.squeeze();
    m_start.shrink_to_fit();
    m_nulls.shrink_to_fit();
    m_short.squeeze();
    m_shortEnd.shrink_to_fit();
    point();
}

qsizetype HadithTable::textUnits() const
{
    return m_text.size() + m_short.size();
}

} // namespace tembra
