#pragma once

#include "base/error.h"
#include "search/record.h"

#include <QString>

#include <optional>

namespace tembra {

// What a record source asks of the table, as the data control can run it: the whole
// table ("Table1" with command type 2, or "select * from Table1"), or the rows whose
// column matches a LIKE pattern ("select * from Table1 where Tab1 like '...'").
struct Statement {
    enum CommandType { Text = 1, Table = 2 };

    bool filtered = false;
    Column column = Column::Text;
    QString pattern; // the literal with its doubled apostrophes undone
    // A column that must equal a text as it stands ("... and Tab5 = '...'", or
    // "where Tab5 = '...'" alone): one book of the collection.
    std::optional<Column> equalColumn;
    QString equalValue;

    // On failure *error says what could not be understood.
    static bool parse(const QString &source, int commandType, Statement *out, Error *error);
};

// The statement the search gives the data control: every row whose hadith text holds
// text anywhere. An apostrophe is doubled so that it stays inside the literal.
QString searchStatement(const QString &text);
// The LIKE pattern of that statement, as the search runs it: text anywhere ("%text%").
QString searchPattern(const QString &text);

// The hadiths of one book (Tab5 equal to book): among those the search for text finds, or,
// for an empty text, the whole book in the order of the table.
QString bookStatement(const QString &text, const QString &book);

} // namespace tembra
