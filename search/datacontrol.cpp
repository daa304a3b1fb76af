#include "search/datacontrol.h"

#include <algorithm>
#include <iterator>

namespace tembra {

DataControl::DataControl(QObject *parent) : QObject(parent) { }

DataControl::~DataControl() = default;

void DataControl::setTable(HadithTable table, std::unique_ptr<TableSearch> search)
{
    m_search.reset();
    m_table = std::make_unique<HadithTable>(std::move(table));
    m_search = search ? std::move(search) : std::make_unique<TableSearch>(*m_table);
    m_contents = Contents(*m_table);
    m_openError = Error();
    refresh();
    emit tableChanged();
}

void DataControl::setOpenError(const Error &error)
{
    m_openError = error;
    if (!m_openError.isError()) // a failure always has a reason to show
        m_openError.kind = Error::Damaged;
    emit openFailed(m_openError);
}

void DataControl::setRecordSource(const Listing &listing)
{
    m_recordSource = listing.statement();
    m_commandType = listing.commandType();
    m_listing = listing;
    if (listing.isSearch())
        m_comparison = listing.comparison;
}

std::vector<int> DataControl::rowsOf(const Listing &listing) const
{
    Statement statement;
    if (!m_table
        || !Statement::parse(listing.statement(), listing.commandType(), &statement, nullptr))
        return {};
    return matching(statement, listing.comparison);
}

bool DataControl::refresh(Error *error)
{
    return run(-1, error);
}

bool DataControl::refreshKeeping(int row, Error *error)
{
    return run(row, error);
}

// The rows that meet every condition, in the order of the table. The LIKEs are the
// search's, all at once: it runs the rarest over the table and checks the others on the
// rows that one finds (a statement of exclusions alone starts from every row).
std::vector<int> DataControl::matching(const Statement &statement, Comparison comparison) const
{
    std::vector<TableSearch::Condition> conditions;
    for (const Statement::Like &like : statement.likes)
        conditions.push_back({like.pattern, like.negated, like.column});
    std::vector<int> rows = m_search->run(conditions, comparison);
    // A book's or a chapter's name is compared as it stands: it is taken from a row, not
    // typed. NULL is a value of its own, never the empty text.
    for (const Statement::Equal &equal : statement.equals) {
        rows.erase(std::remove_if(rows.begin(), rows.end(),
                                  [&](int r) {
                                      if (m_table->isNull(r, equal.column))
                                          return equal.value.has_value();
                                      return !equal.value
                                          || m_table->view(r, equal.column) != *equal.value;
                                  }),
                   rows.end());
    }
    return rows;
}

int DataControl::count(const Listing &listing) const
{
    if (!m_table)
        return 0;
    Statement statement;
    if (!Statement::parse(listing.statement(), listing.commandType(), &statement, nullptr))
        return 0;
    return int(matching(statement, listing.comparison).size());
}

bool DataControl::run(int keepRow, Error *error)
{
    if (!m_table)
        return fail(error, Error::NotOpen, QStringLiteral("the collection is not open"));
    Statement statement;
    if (!Statement::parse(m_recordSource, m_commandType, &statement, error))
        return false;

    std::vector<int> rows = matching(statement, m_comparison);
    int position = rows.empty() ? -1 : 0;
    if (keepRow >= 0) {
        const auto kept = std::lower_bound(rows.begin(), rows.end(), keepRow);
        if (kept != rows.end() && *kept == keepRow)
            position = int(kept - rows.begin());
    }
    emit resultCounted(int(rows.size()));
    emit resultAboutToBeReplaced();
    m_rows.swap(rows);
    m_position = -1;
    emit resultReplaced();
    setPosition(position);
    return true;
}

bool DataControl::move(int position, Error *error)
{
    if (m_rows.empty())
        return fail(error, Error::NoRecord,
                    QStringLiteral("there is no current record: the result is empty"));
    if (position < 0 || position >= recordCount())
        return fail(error, Error::NoRecord,
                    QStringLiteral("there is no record before the first or after the last"));
    setPosition(position);
    return true;
}

bool DataControl::moveFirst(Error *error)
{
    return move(0, error);
}
bool DataControl::moveLast(Error *error)
{
    return move(recordCount() - 1, error);
}

bool DataControl::moveNext(Error *error)
{
    return move(m_position < 0 ? -1 : m_position + 1, error);
}

bool DataControl::movePrevious(Error *error)
{
    return move(m_position < 0 ? -1 : m_position - 1, error);
}

bool DataControl::moveTo(int position, Error *error)
{
    return move(position - 1, error);
}

Record DataControl::currentRecord() const
{
    const int row = currentRow();
    return row < 0 ? Record() : m_table->record(row);
}

void DataControl::setPosition(int position)
{
    m_position = position;
    const int row = currentRow();
    for (Column c : kColumns)
        m_bound[size_t(tembra::position(c))] = row < 0 ? QString() : m_table->text(row, c);
    emit currentChanged();
}

} // namespace tembra
