#include "search/hadithtable.h"

namespace tembra {

namespace {
constexpr std::uint8_t kAllNull = (1u << kColumnCount) - 1;
constexpr int kShort = kColumnCount - 1;

// A built table's own arrays, kept alive by the tables that read them.
struct OwnArrays {
    std::vector<std::uint32_t> start;
    std::vector<std::uint32_t> shortEnd;
    std::vector<std::uint8_t> nulls;
};
} // namespace

HadithTable::HadithTable()
{
    static const std::uint32_t zero = 0;
    static const std::shared_ptr<const Shared> empty = [] {
        auto d = std::make_shared<Shared>();
        d->start = &zero;
        return d;
    }();
    m_d = empty;
}

HadithTable HadithTable::adopt(const Arrays &arrays, std::shared_ptr<const void> keep)
{
    auto d = std::make_shared<Shared>();
    d->keep = std::move(keep);
    d->text = QString::fromRawData(reinterpret_cast<const QChar *>(arrays.text), arrays.textUnits);
    d->shortText = QString::fromRawData(reinterpret_cast<const QChar *>(arrays.shortText),
                                        arrays.shortUnits);
    d->start = arrays.start;
    d->shortEnd = arrays.shortEnd;
    d->nulls = arrays.nulls;
    d->rows = arrays.rows;
    return HadithTable(std::move(d));
}

QStringView HadithTable::view(int row, Column column) const
{
    if (column == Column::Text)
        return QStringView(m_d->text).mid(m_d->start[row], m_d->start[row + 1] - m_d->start[row]);
    const size_t at = size_t(row) * kShort + size_t(position(column) - 1);
    const std::uint32_t start = at == 0 ? 0 : m_d->shortEnd[at - 1];
    return QStringView(m_d->shortText).mid(start, m_d->shortEnd[at] - start);
}

Field HadithTable::field(int row, Column column) const
{
    if (isNull(row, column))
        return std::nullopt;
    return text(row, column);
}

Record HadithTable::record(int row) const
{
    Record r;
    for (Column c : kColumns)
        r[c] = field(row, c);
    return r;
}

TableBuilder::TableBuilder() = default;

void TableBuilder::reserve(int rows, qsizetype textUnits, qsizetype shortUnits)
{
    m_text.reserve(textUnits);
    m_short.reserve(shortUnits);
    m_start.reserve(size_t(rows) + 1);
    m_shortEnd.reserve(size_t(rows) * kShort);
    m_nulls.reserve(size_t(rows));
}

void TableBuilder::appendRow()
{
    m_nulls.push_back(kAllNull);
    m_start.push_back(std::uint32_t(m_text.size()));
    m_shortEnd.insert(m_shortEnd.end(), kShort, std::uint32_t(m_short.size()));
}

void TableBuilder::setField(Column column, QStringView value)
{
    Q_ASSERT(!m_nulls.empty());
    m_nulls.back() &= static_cast<std::uint8_t>(~(1u << position(column)));
    if (column == Column::Text) {
        m_text.append(value);
        m_start.back() = std::uint32_t(m_text.size());
        return;
    }
    // A field of a later column set before this one would now lie before it.
    const size_t first = m_shortEnd.size() - kShort + size_t(position(column) - 1);
    Q_ASSERT(m_shortEnd[first] == std::uint32_t(m_short.size()));
    m_short.append(value);
    // The columns after this one are empty (or still to be set) from here on.
    for (size_t at = first; at < m_shortEnd.size(); ++at)
        m_shortEnd[at] = std::uint32_t(m_short.size());
}

void TableBuilder::append(const Record &record)
{
    appendRow();
    for (Column c : kColumns) {
        if (record[c])
            setField(c, *record[c]);
    }
}

HadithTable TableBuilder::take()
{
    auto own = std::make_shared<OwnArrays>();
    own->start = std::move(m_start);
    own->shortEnd = std::move(m_shortEnd);
    own->nulls = std::move(m_nulls);
    own->start.shrink_to_fit();
    own->shortEnd.shrink_to_fit();
    own->nulls.shrink_to_fit();
    m_text.squeeze();
    m_short.squeeze();

    auto d = std::make_shared<HadithTable::Shared>();
    d->text = std::move(m_text);
    d->shortText = std::move(m_short);
    d->start = own->start.data();
    d->shortEnd = own->shortEnd.data();
    d->nulls = own->nulls.data();
    d->rows = int(own->nulls.size());
    d->keep = std::move(own);

    m_text = QString();
    m_short = QString();
    m_start.assign(1, 0);
    m_shortEnd.clear();
    m_nulls.clear();
    return HadithTable(std::move(d));
}

} // namespace tembra
