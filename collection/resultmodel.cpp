#include "collection/resultmodel.h"

#include "collection/datacontrol.h"
#include "collection/texts.h"

namespace tembra {

namespace {
constexpr int kColumnOf[] = {2, 0}; // grid column -> table column: Tab3, Tab1
}

ResultModel::ResultModel(DataControl *data, QObject *parent)
    : QAbstractTableModel(parent), m_data(data)
{
    connect(data, &DataControl::resultAboutToBeReplaced, this, &ResultModel::beginResetModel);
    connect(data, &DataControl::resultReplaced, this, &ResultModel::endResetModel);
}

int ResultModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_data->recordCount();
}

int ResultModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant ResultModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_data->recordCount())
        return {};
    const int row = m_data->rowAt(index.row());
    const int column = kColumnOf[index.column()];
    if (role == Qt::DisplayRole) {
        // A cell shows one line; a long hadith is read in the pane, not here.
        QStringView shown = m_data->table()->view(row, column).left(kPreviewLength);
        if (!shown.isEmpty() && shown.back().isHighSurrogate())
            shown.chop(1); // never half a character
        QString text = shown.toString();
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
    return section == 0 ? texts::gridKindHeader() : texts::gridHadithHeader();
}

} // namespace tembra
