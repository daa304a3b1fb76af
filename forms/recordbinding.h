#pragma once

#include "search/record.h"

#include <QObject>

#include <QString>

#include <optional>
#include <vector>

namespace tembra {

class Bound;
class DataControl;
class Form;
class Grid;
class ResultModel;

// A window's controls bound to its data control, as its definition binds them: a column of
// the current record for each bound control, the result for the grid. Every bound control
// takes the new record's value before any of them says it changed, so that whatever reacts
// sees the whole record; the grid's current row follows the record, and a row the reader
// picks becomes the current record.
class RecordBinding final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecordBinding)

public:
    // A grid column the definition does not have, shown before its own.
    struct AddedColumn {
        QString heading;
        Column field;
        std::optional<Column> with;
        float width; // twips
    };
    RecordBinding(const Form &form, DataControl *data, Grid *grid,
                  const std::vector<AddedColumn> &added = {});

    ResultModel *model() const { return m_model; }

signals:
    // The controls show the new current record (or the same one set again).
    void recordShown();

private:
    void currentChanged();
    void rowPicked(int row);

    struct Binding {
        Bound *control;
        Column column;
    };
    DataControl *m_data;
    Grid *m_grid;
    std::vector<Binding> m_bound;
    ResultModel *m_model;
    bool m_followingRecord = false;
};

} // namespace tembra
