#include "datacontrol.h"

namespace tembra {

namespace {
bool refuse(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}
} // namespace

DataControl::DataControl(QObject *parent) : QObject(parent) { }

DataControl::~DataControl() = default;

bool DataControl::open(const QString &path, ReadError *error)
{
    HadithTable table;
    if (!JetReader::read(path, &table, error))
        return false;
    setTable(std::move(table));
    return true;
}

void DataControl::setTable(HadithTable table)
{
    m_search.reset();
    m_table = std::make_unique<HadithTable>(std::move(table));
    m_search = std::make_unique<TableSearch>(*m_table);
    refresh();
}

bool DataControl::refresh(QString *error)
{
    if (!m_table)
        return refuse(error, QStringLiteral("the collection is not open"));
    Statement statement;
    if (!Statement::parse(m_recordSource, m_commandType, &statement, error))
        return false;

    std::vector<int> rows;
    if (statement.filtered) {
        rows = m_search->run(LikePattern(statement.pattern), statement.column);
    } else {
        rows.resize(size_t(m_table->rowCount()));
        for (int r = 0; r < m_table->rowCount(); ++r)
            rows[size_t(r)] = r;
    }
    emit resultAboutToBeReplaced();
    m_rows.swap(rows);
    m_position = -1;
    emit resultReplaced();
    setPosition(m_rows.empty() ? -1 : 0);
    return true;
}

bool DataControl::move(int position, QString *error)
{
    if (m_rows.empty())
        return refuse(error, QStringLiteral("there is no current record: the result is empty"));
    if (position < 0 || position >= recordCount())
        return refuse(error,
                      QStringLiteral("there is no record before the first or after the last"));
    setPosition(position);
    return true;
}

bool DataControl::moveFirst(QString *error)
{
    return move(0, error);
}
bool DataControl::moveLast(QString *error)
{
    return move(recordCount() - 1, error);
}

bool DataControl::moveNext(QString *error)
{
    return move(m_position < 0 ? -1 : m_position + 1, error);
}

bool DataControl::movePrevious(QString *error)
{
    return move(m_position < 0 ? -1 : m_position - 1, error);
}

bool DataControl::moveTo(int position, QString *error)
{
    return move(position - 1, error);
}

void DataControl::setPosition(int position)
{
    m_position = position;
    const int row = currentRow();
    QList<int> changed;
    for (int c = 0; c < kColumnCount; ++c) {
        QString value = row < 0 ? QString() : m_table->text(row, c);
        if (value != m_bound[c]) {
            m_bound[c] = std::move(value);
            changed << c;
        }
    }
    emit currentChanged(changed);
}

} // namespace tembra
