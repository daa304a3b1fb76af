#pragma once

#include <QAbstractTableModel>

namespace tembra {

class DataControl;

// The grid's view of the data control's result: the kind (Tab3) first, the hadith
// text (Tab1) second, one row a record of the result.
class ResultModel final : public QAbstractTableModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResultModel)

public:
    explicit ResultModel(DataControl *data, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    static constexpr int kPreviewLength = 300; // units of Tab1 shown in a grid cell

private:
    DataControl *m_data;
};

} // namespace tembra
