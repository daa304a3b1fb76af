#pragma once

#include "search/excerpt.h"
#include "search/listing.h"
#include "search/record.h"

#include <QAbstractTableModel>
#include <QHash>

#include <functional>
#include <optional>

#include <vector>

namespace tembra {

class DataControl;

// The grid's view of the data control's result: one row a record of the result, one
// column for each of the grid's columns, each with its heading and the column of Table1 it
// shows.
class ResultModel final : public QAbstractTableModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResultModel)

public:
    // A column of the grid: its heading and the field it shows, or two fields side by side
    // ("book، number") where a second is given.
    struct Shown {
        QString heading;
        Column field;
        std::optional<Column> with = std::nullopt;
    };
    ResultModel(DataControl *data, std::vector<Shown> columns, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The hadith cell shows the text around the first match of this term (a LIKE
    // pattern, as the search ran it), found as the reading pane finds it; with no term, or
    // where the term does not occur, the start of the hadith.
    void setSearchTerm(const QString &term, Comparison comparison);
    // The same for what a listing searched: its text, or the first place where one of its
    // words occurs; the start of each hadith for a listing that is no search.
    void setListing(const Listing &listing);

    // Where the match stands in a hadith cell's text: QPoint(start, length) in its units;
    // none where nothing is to be emphasised.
    static constexpr int MatchRole = Qt::UserRole + 1;

    // The reader's marks: for a row of the table, its note if the reader marked it (empty
    // for a mark without one), none if not. A marked row says so in its first cell, with a
    // sign (MarkRole, true) and in words to a screen reader, and its tooltip gives the note.
    using MarkOf = std::function<std::optional<QString>(int tableRow)>;
    void setMarks(MarkOf marks) { m_marks = std::move(marks); }
    // The mark of a row of the table came or went (-1: of any row): its cells are drawn again.
    void markChanged(int tableRow);
    static constexpr int MarkRole = Qt::UserRole + 2;

private:
    Excerpt cellExcerpt(int row) const;
    std::optional<QString> mark(int tableRow) const;

    DataControl *m_data;
    std::vector<Shown> m_columns;
    Listing m_listing = Listing::search(QString(), Comparison::Folded, false);
    MarkOf m_marks;
    // The excerpts of the rows lately drawn: the grid asks for a cell's text and its match
    // apart, and again at every repaint. Emptied with each new result or term.
    mutable QHash<int, Excerpt> m_excerpts;
};

} // namespace tembra
