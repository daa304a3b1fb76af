#include "search/datacontrol.h"

#include <algorithm>

namespace tembra {

DataControl::DataControl(QObject *parent) : QObject(parent) { }

DataControl::~DataControl() = default;

void DataControl::setTable(HadithTable table)
{
    m_search.reset();
    m_table = std::make_unique<HadithTable>(std::move(table));
    m_search = std::make_unique<TableSearch>(*m_table);
    refresh();
}

void DataControl::setOpenError(const Error &error)
{
    m_openError = error;
    if (!m_openError.isError()) // a failure always has a reason to show
        m_openError.kind = Error::Damaged;
    emit openFailed(m_openError);
}

bool DataControl::refresh(Error *error)
{
    return run(-1, error);
}

bool DataControl::refreshKeeping(int row, Error *error)
{
    return run(row, error);
}

bool DataControl::run(int keepRow, Error *error)
{
    if (!m_table)
        return fail(error, Error::NotOpen, QStringLiteral("the collection is not open"));
    Statement statement;
    if (!Statement::parse(m_recordSource, m_commandType, &statement, error))
        return false;

    std::vector<int> rows;
    if (statement.filtered) {
        rows = m_search->run(statement.pattern, m_comparison, statement.column);
    } else {
        rows.resize(size_t(m_table->rowCount()));
        for (int r = 0; r < m_table->rowCount(); ++r)
            rows[size_t(r)] = r;
    }
    if (statement.equalColumn) {
        // A book's name is compared as it stands: it is taken from a row, not typed.
        const QString &value = statement.equalValue;
        rows.erase(std::remove_if(
                       rows.begin(), rows.end(),
                       [&](int r) { return m_table->view(r, *statement.equalColumn) != value; }),
                   rows.end());
    }
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
