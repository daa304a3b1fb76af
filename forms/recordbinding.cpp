#include "forms/recordbinding.h"

#include "forms/controls.h"
#include "forms/form.h"
#include "search/datacontrol.h"
#include "search/resultmodel.h"

#include <QSignalBlocker>

namespace tembra {

RecordBinding::RecordBinding(const Form &form, DataControl *data, Grid *grid,
                             const std::vector<AddedColumn> &added)
    : QObject(data), m_data(data), m_grid(grid)
{
    const FormDef &def = form.definition();
    for (const ControlDef &control : def.controls) {
        if (control.dataSource != data->objectName() || control.dataField.isEmpty())
            continue;
        auto *bound = dynamic_cast<Bound *>(form.object(control.designName()));
        const std::optional<Column> column = columnNamed(control.dataField);
        Q_ASSERT_X(bound && column, "RecordBinding", "a bound control shows a column of Table1");
        m_bound.push_back({bound, *column});
    }
    std::vector<ResultModel::Shown> shown;
    QList<int> widths;
    for (const AddedColumn &column : added) {
        shown.push_back({column.heading, column.field, column.with});
        widths << qRound(column.width / kTwipsPerPixel);
    }
    for (const GridColumn &column : def.find(grid->objectName())->columns) {
        const std::optional<Column> field = columnNamed(column.field);
        Q_ASSERT_X(field, "RecordBinding", "a grid column shows a column of Table1");
        shown.push_back({column.heading, *field});
        widths << qRound(column.width / kTwipsPerPixel);
    }
    if (!added.empty())
        grid->setColumnWidths(widths);
    m_model = new ResultModel(data, std::move(shown), this);
    grid->setModel(m_model);
    connect(data, &DataControl::currentChanged, this, &RecordBinding::currentChanged);
    connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    rowPicked(current.row());
            });
}

void RecordBinding::currentChanged()
{
    std::vector<bool> changed(m_bound.size());
    for (size_t i = 0; i < m_bound.size(); ++i) {
        const QSignalBlocker quiet(dynamic_cast<QObject *>(m_bound[i].control));
        const QString value = m_data->boundValue(m_bound[i].column);
        changed[i] = m_bound[i].control->boundValue() != value;
        m_bound[i].control->setBoundValue(value);
    }
    for (size_t i = 0; i < m_bound.size(); ++i) {
        if (changed[i])
            m_bound[i].control->signalChange();
    }

    const int position = m_data->absolutePosition();
    if (position > 0 && m_grid->currentIndex().row() != position - 1) {
        m_followingRecord = true;
        m_grid->selectionModel()->setCurrentIndex(m_model->index(position - 1, 0),
                                                  QItemSelectionModel::ClearAndSelect
                                                      | QItemSelectionModel::Rows);
        m_followingRecord = false;
    }
    emit recordShown();
}

void RecordBinding::rowPicked(int row)
{
    if (!m_followingRecord)
        m_data->moveTo(row + 1);
}

} // namespace tembra
