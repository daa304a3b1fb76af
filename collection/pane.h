#pragma once

#include <QString>
#include <QStringView>

namespace tembra::pane {

// What the reading pane holds for a record: its Tab4 line, a line break, its hadith text.
QString compose(const QString &tab4, const QString &tab1);

// Where the search term first occurs in the pane's text, compared unit by unit (no
// case folding, nothing normalised); -1 if nowhere. The Tab4 line comes first in the
// text, so an occurrence there is found before one in the hadith.
qsizetype firstOccurrence(QStringView text, QStringView term);

// A text box's document knows one kind of line break: "\r\n" is one position there.
// The position in the document of position index of text.
qsizetype documentPosition(QStringView text, qsizetype index);

// The tooltips that follow the current record.
QString numberTooltip(const QString &number); // Label1
QString kindTooltip(const QString &kind); // Label2
QString bookTooltip(const QString &book); // Label3
QString paneTooltip(const QString &kind); // Text1: the page-key hint while there is a kind

} // namespace tembra::pane
