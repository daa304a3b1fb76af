#pragma once

#include "design/definition.h"

#include <QAbstractTableModel>

#include <vector>

namespace tembra {

class DataControl;

// The grid's view of the data control's result: one row a record of the result, one
// column for each of the grid's columns, which name their headings and the fields they
// show.
class ResultModel final : public QAbstractTableModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResultModel)

public:
    ResultModel(DataControl *data, const std::vector<GridColumn> &columns,
                QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    static constexpr int kPreviewLength = 300; // units of Tab1 shown in a grid cell

private:
    DataControl *m_data;
    std::vector<int> m_field; // per grid column, the table's column
    std::vector<QString> m_heading;
};

} // namespace tembra
