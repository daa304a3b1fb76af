#pragma once

#include "base/error.h"
#include "search/contents.h"
#include "search/hadithtable.h"
#include "search/listing.h"
#include "search/statement.h"
#include "search/tablesearch.h"

#include <QList>
#include <QObject>
#include <QString>

#include <array>
#include <memory>
#include <vector>

namespace tembra {

// The main window's one live result over Table1 and its current record. The grid and
// every bound control show what it holds; a search replaces the result by setting the
// record source and refreshing.
class DataControl final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DataControl)

public:
    explicit DataControl(QObject *parent = nullptr);
    ~DataControl() override;

    // Takes the collection, read elsewhere, and runs the record source over it (at first
    // the whole table). Until it has a table every refresh and move fails.
    // A search already begun for the table (the start-up begins one as soon as the
    // collection is read) is taken over; else one is begun here.
    void setTable(HadithTable table, std::unique_ptr<TableSearch> search = nullptr);
    // The collection could not be read: the control stays closed, and says why.
    void setOpenError(const Error &error);
    const Error &openError() const { return m_openError; }
    bool isOpen() const { return m_table != nullptr; }
    const HadithTable *table() const { return m_table.get(); }
    const TableSearch *search() const { return m_search.get(); }
    // The collection's books and chapters, with the book of each row.
    const Contents &contents() const { return m_contents; }

    // How the statement's LIKE compares text: the reader's folded comparison unless the
    // exact one is asked for. The next refresh uses it.
    Comparison comparison() const { return m_comparison; }
    void setComparison(Comparison comparison) { m_comparison = comparison; }

    QString recordSource() const { return m_recordSource; }
    void setRecordSource(const QString &source)
    {
        m_recordSource = source;
        m_listing.reset();
    }
    void setCommandType(int type) { m_commandType = type; }
    // What the list is to hold: the record source and its command type are made from it,
    // and the listing is kept for whoever asks what the list holds.
    void setRecordSource(const Listing &listing);
    // What the record source asks for, where it was given as a listing. A search's listing
    // also sets the comparison to its own.
    const std::optional<Listing> &listing() const { return m_listing; }
    // The rows a listing would hold, in the table's order; none when it cannot be run.
    std::vector<int> rowsOf(const Listing &listing) const;

    // Runs the record source and replaces the result; the current record becomes the
    // first row, or none for an empty result. A source that cannot be run leaves the
    // result as it was and says why.
    bool refresh(Error *error = nullptr);
    // The same, but the record of the table's row `row` stays current when the new result
    // holds it (narrowing to one book, or back to all of them, keeps the hadith read).
    bool refreshKeeping(int row, Error *error = nullptr);

    // How many hadiths the listing would hold under its own comparison, without making it
    // the result: after a plain search that found nothing, the window asks how many the
    // same text finds as words in any order (listing.inAnyOrder()) before it offers that.
    // 0 while there is no table.
    int count(const Listing &listing) const;

    // The result, in the order of the table.
    int recordCount() const { return static_cast<int>(m_rows.size()); }
    int rowAt(int index) const { return m_rows[index]; } // index 0-based in the result
    // 1-based position of the current record; 0 when there is none.
    int absolutePosition() const { return m_position + 1; }
    int currentRow() const { return m_position < 0 ? -1 : m_rows[m_position]; }

    // Each fails (false, *error set) on an empty result or past either end, and then
    // leaves the current record where it was.
    bool moveFirst(Error *error = nullptr);
    bool moveLast(Error *error = nullptr);
    bool moveNext(Error *error = nullptr);
    bool movePrevious(Error *error = nullptr);
    bool moveTo(int position, Error *error = nullptr); // 1-based, as the grid picks

    // What the bound controls show for a column of the current record: NULL and no
    // current record both show as empty text.
    QString boundValue(Column column) const { return m_bound[size_t(position(column))]; }
    // The current record's fields as they stand, NULLs kept; all NULL when there is none.
    Record currentRecord() const;

signals:
    void openFailed(const Error &error);
    // The control has a table of its own now (its contents with it), at the start or when
    // another collection was opened.
    void tableChanged();
    // A refresh has its new result, of this many records, and replaces the old one next.
    void resultCounted(int records);
    void resultAboutToBeReplaced();
    void resultReplaced();
    // The current record changed (or was set again); every bound value is already new.
    void currentChanged();

private:
    bool run(int keepRow, Error *error);
    std::vector<int> matching(const Statement &statement, Comparison comparison) const;
    bool move(int position, Error *error);
    void setPosition(int position);

    std::unique_ptr<HadithTable> m_table;
    Error m_openError;
    std::unique_ptr<TableSearch> m_search;
    Contents m_contents;
    QString m_recordSource = QStringLiteral("Table1");
    int m_commandType = Statement::Table;
    std::optional<Listing> m_listing;
    Comparison m_comparison = Comparison::Folded;
    std::vector<int> m_rows;
    int m_position = -1;
    std::array<QString, kColumnCount> m_bound;
};

} // namespace tembra
