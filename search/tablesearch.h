#pragma once

#include "search/comparison.h"
#include "search/hadithtable.h"
#include "search/likepattern.h"

#include <QStringView>

#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tembra {

// Runs LIKE patterns over one column of a table held in memory, under either comparison.
//
// For the default comparison it keeps the hadith texts folded and without their marks,
// one byte a character, back to back, with a code for the marks on each letter: a search
// scans that copy for the pattern's rarest literal and checks a row only where the literal
// occurs. A pattern with marks is looked for in the same copy by its letters, and each
// place found is checked, the marks typed against the text's (fold::marksAgree()), by the
// codes or in the text. For the exact comparison a rare plain text is found the same way;
// anything else scans the texts as they are, with a folded copy of the few that letter
// case changes.
//
// What it keeps is made on threads of its own from the moment it is built, so that a window
// can show the collection at once; the first search waits for it if need be. The start-up
// makes one as soon as the collection is read, while the splash still fades, and hands it to
// the data control with the table.
class TableSearch final {
public:
    explicit TableSearch(const HadithTable &table);
    ~TableSearch();
    Q_DISABLE_COPY_MOVE(TableSearch)

    // The rows, in stored order, whose value in column matches the pattern under the
    // comparison; NULL never matches.
    std::vector<int> run(QStringView pattern, Comparison comparison,
                         Column column = Column::Text) const;

    // A condition of a where clause: the column matches a LIKE pattern, or (negated) it
    // does not; a NULL value meets neither.
    struct Condition {
        QString pattern;
        bool negated = false;
        Column column = Column::Text;
    };
    // The rows, in stored order, that meet every condition; every row when there is none.
    // The rarest condition that must hold is run over the table, and the others are
    // checked only on the rows it finds; with none that must hold, every row is checked.
    std::vector<int> run(const std::vector<Condition> &conditions, Comparison comparison) const;

    // Waits until the search is ready; true at once when it is.
    void waitUntilReady() const;
    // The bytes kept beside the table (for the benchmark).
    qsizetype keptBytes() const;

private:
    struct Kept;
    class Query;
    class MarkedLiteral;
    std::vector<int> scanExact(QStringView pattern) const;
    std::vector<int> scanWithoutMarks(QStringView pattern) const;
    std::vector<int> scanWithMarks(QStringView pattern) const;
    std::vector<int> otherColumn(QStringView pattern, fold::Form form, Column column) const;
    std::vector<int> scanMarkedLiteral(std::string_view literal, fold::MarkSet lead,
                                       const std::vector<fold::MarkSet> &typed) const;
    std::vector<int> scanMarksAlone(fold::MarkSet typed) const;
    static bool matchesText(const BasicLikePattern<char16_t> &like, fold::Form form,
                            QStringView text);
    void marksOf(int row, qsizetype from, qsizetype to, fold::MarkSet *out, fold::MarkSet *before,
                 bool fromText) const;
    QStringView text(int row) const;
    bool marksFirst(int row) const;
    bool placesFew(std::string_view literal) const;
    qsizetype letterAt(int row, qsizetype at) const;
    bool scanExactLiteral(std::u16string_view literal, std::vector<int> *rows) const;

    const HadithTable m_table; // a copy: the builder thread reads it, whoever else lets go
    std::shared_ptr<Kept> m_kept;
    std::shared_future<void> m_ready;
};

} // namespace tembra
