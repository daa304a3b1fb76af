#include "design/resultmodel.h"

#include "search/datacontrol.h"

namespace tembra {

ResultModel::ResultModel(DataControl *data, const std::vector<GridColumn> &columns, QObject *parent)
    : QAbstractTableModel(parent), m_data(data)
{
    for (const GridColumn &column : columns) {
        m_field.push_back(columnIndex(column.field));
        m_heading.push_back(column.heading);
        Q_ASSERT_X(m_field.back() >= 0, "ResultModel", "a grid column shows a column of Table1");
    }
    connect(data, &DataControl::resultAboutToBeReplaced, this, &ResultModel::beginResetModel);
    connect(data, &DataControl::resultReplaced, this, &ResultModel::endResetModel);
}

int ResultModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_data->recordCount();
}

int ResultModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_field.size());
}

QVariant ResultModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_data->recordCount())
        return {};
    const int row = m_data->rowAt(index.row());
    const int column = m_field[size_t(index.column())];
    if (role == Qt::DisplayRole) {
        // A cell shows one line; a long hadith is read in the pane, not here. A text cut
        // short says so, as one the cell cuts does.
        const QStringView whole = m_data->table()->view(row, column);
        QStringView shown = whole.left(kPreviewLength);
        if (!shown.isEmpty() && shown.back().isHighSurrogate())
            shown.chop(1); // never half a character
        QString text = shown.toString();
        if (shown.size() < whole.size())
            text.append(QChar(0x2026));
        for (QChar &c : text) {
            if (c == u'\r' || c == u'\n' || c == u'\t')
                c = u' ';
        }
        return text;
    }
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    return section >= 0 && size_t(section) < m_heading.size() ? m_heading[size_t(section)]
                                                              : QVariant();
}

} // namespace tembra
