#pragma once

#include "base/error.h"
#include "search/record.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace tembra {

// What a record source asks of the table, as the data control can run it: the whole
// table ("Table1" with command type 2, or "select * from Table1"), or the rows that meet
// every condition of a where clause joined by "and":
//   Tab1 like '...'       the column matches a LIKE pattern
//   not Tab1 like '...'   it does not (a NULL field meets neither)
//   Tab5 = '...'          it equals a text as it stands
//   Tab5 is null          it holds no value
struct Statement {
    enum CommandType { Text = 1, Table = 2 };

    struct Like {
        Column column = Column::Text;
        QString pattern; // the literal with its doubled apostrophes undone
        bool negated = false;
    };
    struct Equal {
        Column column = Column::Book;
        Field value; // NULL for "is null"
    };
    std::vector<Like> likes; // in the order written
    std::vector<Equal> equals;

    bool isWholeTable() const { return likes.empty() && equals.empty(); }

    // On failure *error says what could not be understood.
    static bool parse(const QString &source, int commandType, Statement *out, Error *error);
};

// The parts a statement is made of. A text is put inside its literal with every
// apostrophe doubled, so that it stays inside.
QString likeCondition(Column column, const QString &pattern, bool negated = false);
QString equalCondition(Column column, const Field &value); // "Tab5 = '...'" or "Tab5 is null"
// "select * from Table1 where " and the conditions joined by " and "; the whole table
// without any.
QString whereStatement(const QStringList &conditions);

// The statement the search gives the data control: every row whose hadith text holds
// text anywhere.
QString searchStatement(const QString &text);
// The LIKE pattern of that statement, as the search runs it: text anywhere ("%text%").
QString searchPattern(const QString &text);

} // namespace tembra
