#include "search/resultmodel.h"

#include "search/citation.h"
#include "search/datacontrol.h"

#include "base/cuttext.h"
#include "base/texts.h"

#include <QPoint>

namespace tembra {

ResultModel::ResultModel(DataControl *data, std::vector<Shown> columns, QObject *parent)
    : QAbstractTableModel(parent), m_data(data), m_columns(std::move(columns))
{
    connect(data, &DataControl::resultAboutToBeReplaced, this, &ResultModel::beginResetModel);
    connect(data, &DataControl::resultAboutToBeReplaced, this, [this] { m_excerpts.clear(); });
    connect(data, &DataControl::resultReplaced, this, &ResultModel::endResetModel);
}

int ResultModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_data->recordCount();
}

int ResultModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

void ResultModel::setSearchTerm(const QString &term, Comparison comparison)
{
    setListing(Listing::search(term, comparison, false));
}

void ResultModel::setListing(const Listing &listing)
{
    if (listing == m_listing)
        return;
    m_listing = listing;
    m_excerpts.clear();
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

// The result holds the table's rows in their order: the row's place is found by halving.
void ResultModel::markChanged(int tableRow)
{
    const int count = rowCount();
    if (count == 0)
        return;
    if (tableRow < 0) {
        emit dataChanged(index(0, 0), index(count - 1, columnCount() - 1));
        return;
    }
    int low = 0;
    int high = count;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (m_data->rowAt(middle) < tableRow)
            low = middle + 1;
        else
            high = middle;
    }
    if (low < count && m_data->rowAt(low) == tableRow)
        emit dataChanged(index(low, 0), index(low, columnCount() - 1));
}

Excerpt ResultModel::cellExcerpt(int row) const
{
    const auto cached = m_excerpts.constFind(row);
    if (cached != m_excerpts.cend())
        return *cached;
    if (m_excerpts.size() >= 512)
        m_excerpts.clear();
    const Excerpt made
        = excerpt(m_data->table()->view(m_data->rowAt(row), Column::Text), m_listing);
    m_excerpts.insert(row, made);
    return made;
}

QVariant ResultModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_data->recordCount())
        return {};
    const int row = m_data->rowAt(index.row());
    const Shown &shown = m_columns[size_t(index.column())];
    const Column column = shown.field;
    const HadithTable &table = *m_data->table();
    switch (role) {
    case Qt::DisplayRole: {
        if (column == Column::Text)
            return cellExcerpt(index.row()).text;
        // A cell shows one line.
        QString text = table.text(row, column);
        if (shown.with && !table.view(row, *shown.with).isEmpty())
            text += (text.isEmpty() ? QString() : texts::listSeparator())
                + table.text(row, *shown.with);
        for (QChar &c : text) {
            if (c == u'\r' || c == u'\n' || c == u'\t')
                c = u' ';
        }
        return text;
    }
    case MatchRole: {
        if (column != Column::Text)
            return {};
        const Excerpt cell = cellExcerpt(index.row());
        if (cell.matchStart < 0 || cell.matchLength <= 0)
            return {};
        return QPoint(int(cell.matchStart), int(cell.matchLength));
    }
    case MarkRole: return index.column() == 0 && mark(row).has_value();
    // Which hadith a row is: the same number comes back in other books; and whether it is
    // marked, with the note.
    case Qt::ToolTipRole: {
        QString tip = rowTooltip(table.record(row));
        if (const std::optional<QString> note = mark(row)) {
            tip += QLatin1Char('\n') + texts::markedShown();
            if (!note->isEmpty())
                tip += QLatin1Char('\n') + texts::noteWord() + QStringLiteral(": ") + *note;
        }
        return cutForShowing(tip);
    }
    case Qt::AccessibleDescriptionRole: {
        QString line = rowDescription(table.record(row));
        if (mark(row))
            line += texts::listSeparator() + texts::markedShown();
        return line;
    }
    // The sign is no text: a screen reader hears the first cell with the word.
    case Qt::AccessibleTextRole:
        if (index.column() != 0 || !mark(row))
            return {};
        return data(index, Qt::DisplayRole).toString() + texts::listSeparator()
            + texts::markedShown();
    case Qt::TextAlignmentRole: return int(Qt::AlignRight | Qt::AlignVCenter);
    default: return {};
    }
}

std::optional<QString> ResultModel::mark(int tableRow) const
{
    return m_marks ? m_marks(tableRow) : std::nullopt;
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    return section >= 0 && size_t(section) < m_columns.size() ? m_columns[size_t(section)].heading
                                                              : QVariant();
}

} // namespace tembra
