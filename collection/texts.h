#pragma once

// Every text the program shows, in one place. The Sorani texts carry their zero-width
// non-joiners (U+200C): without them a Kurdish reader sees the words wrongly joined.

#include <QString>

namespace tembra::texts {

// Window and search texts
inline QString windowTitle()
{
    return QStringLiteral(
        u"\u0628\u0647\u200C\u0631\u0646\u0627\u0645\u0647\u200C\u0649 "
        u"\u0641\u0647\u200C\u0631\u0645\u0648\u062F\u0647\u200C\u0643\u0627\u0646\u0649 "
        u"\u067E\u064A\u063A\u0647\u200C\u0645\u0628\u0647\u200C\u0631 - \u0635\u0644\u0649 "
        u"\u0627\u0644\u0644\u0647 \u0639\u0644\u064A\u0647 \u0648\u0633\u0644\u0645");
}
inline QString searchHint()
{
    return QStringLiteral(
        u"\u0648\u0648\u0634\u0647\u200C\u0643\u0640\u0647\u200C\u062A "
        u"\u0628\u0646\u0640\u0648\u0648\u0633\u0647 \u067E\u0627\u0634\u0627\u0646 "
        u"\u0626\u0647\u200C\u0646\u062A\u0647\u200C\u0631 \u062F\u0627\u0628\u06AF\u0631\u0647");
} // Label20
inline QString searchTooltip()
{
    return QStringLiteral(
        u"\u0648\u0648\u0634\u0647\u200C\u064A\u0647\u200C\u0643 "
        u"\u0628\u0646\u0648\u0648\u0633\u0647 \u0643\u0647 \u0644\u0647 3 \u067E\u064A\u062A "
        u"\u0643\u0647\u200C\u0645\u062A\u0631 \u0646\u0647\u200C\u0628\u0649\u0651");
}
inline QString tooShortPrompt()
{
    return QStringLiteral(
        u" \u0628\u0628\u0648\u0648\u0631\u0647 \u0646\u0627\u0628\u064A\u062A \u0644\u0647 3 "
        u"\u067E\u064A\u062A \u0643\u0647\u200C\u0645\u062A\u0631 \u0628\u0649\u0651 ");
}
inline QString errorTitle()
{
    return QStringLiteral(u"\u0647\u0647\u200C\u0644\u0647\u200C\u064A\u0647 ");
}

// The search box's context menu: the option that compares vowel marks and letter forms as
// they stand (take the vowel marks and the letter forms into account)
inline QString exactMatchOption()
{
    return QStringLiteral(u"حەرەکە و شێوەی پیتەکان بە هەند وەربگرە");
}
// The search box's own editing commands, above the option
inline QString undoCommand()
{
    return QStringLiteral(u"هەڵوەشاندنەوە");
} // undo
inline QString redoCommand()
{
    return QStringLiteral(u"دووبارەکردنەوە");
} // redo
inline QString cutCommand()
{
    return QStringLiteral(u"بڕین");
} // cut
inline QString copyCommand()
{
    return QStringLiteral(u"لەبەرگرتنەوە");
} // copy
inline QString pasteCommand()
{
    return QStringLiteral(u"لکاندن");
} // paste
inline QString deleteCommand()
{
    return QStringLiteral(u"سڕینەوە");
} // delete
inline QString selectAllCommand()
{
    return QStringLiteral(u"هەمووی دیاری بکە");
} // select all

// The message box's one button (OK)
inline QString okButton()
{
    return QStringLiteral(u"باشە");
}

// Captions of the info and count labels, the headings
inline QString numberCaption()
{
    return QStringLiteral(
        u"\u0698\u0645\u0627\u0631\u0647\u200C\u0649 "
        u"\u0641\u0647\u200C\u0631\u0645\u0648\u0648\u062F\u0647\u200C\u0643\u0647");
} // Label10
inline QString kindCaption()
{
    return QStringLiteral(
        u"\u0641\u0647\u200C\u0631\u0645\u0648\u0648\u062F\u0647\u200C\u0643\u0647");
} // Label6
inline QString bookCaption()
{
    return QStringLiteral(
        u"\u0646\u0627\u0648\u0649 \u0643\u062A\u0627\u0628\u0647\u200C\u0643\u0647");
} // Label11
inline QString countCaption()
{
    return QStringLiteral(u"\u0698\u0645\u0627\u0631\u0647\u200C\u0649 "
                          u"\u062F\u064A\u062A\u0646\u0647\u200C\u0648\u0647\u200C\u0643\u0647");
} // Label13
inline QString resultHeading()
{
    return QStringLiteral(u"\u0642\u0627\u0626\u064A\u0645\u0647\u200C\u0649 "
                          u"\u0641\u0647\u200C\u0631\u0645\u0648\u0648\u062F\u0647\u200C\u0643"
                          u"\u0627\u0646\u0649 \u0628\u0647\u200C\u062F\u0648\u0627 "
                          u"\u06AF\u0647\u200C\u0631\u0627\u0648\u0647\u200C\u0643\u0627\u0646");
} // Label18
inline QString paneHeading()
{
    return QStringLiteral(
        u"\u0642\u0640\u0640\u0640\u0640\u0640\u0627\u0626\u064A\u0645\u0640\u0640\u0640\u0640"
        u"\u0640\u0640\u0640\u0647\u200C\u0649 "
        u"\u0641\u0640\u0640\u0640\u0640\u0640\u0640\u0640\u0640\u0640\u0640\u0640\u0640\u0640"
        u"\u0640\u0647\u200C\u0631\u0645\u0648\u0648\u062F\u0647 ");
} // Label16
inline QString gridKindHeader()
{
    return QStringLiteral(u"\u0646\u0648\u0639 \u0627\u0644\u062D\u062F\u064A\u062B");
}
inline QString gridHadithHeader()
{
    return QStringLiteral(u"\u0627\u0644\u0623\u062D\u0627\u062F\u064A\u062B");
}

// The banner above the reading pane: heading (its 74 trailing spaces keep the date and time
// apart from it in the centred label), the Hijri label, the date, a separator, the time
inline QString bannerHeading()
{
    return QStringLiteral(
               u" \u0642\u0640\u0640\u0640\u0640\u0640\u0627\u0626\u064A\u0645\u0640\u0640\u0640"
               u"\u0640\u0640\u0640\u0640\u0647\u200C\u0649 "
               u"\u0641\u0640\u0640\u0640\u0640\u0640\u0640\u0640\u0640\u0640\u0640\u0640\u0640"
               u"\u0640\u0640\u0647\u200C\u0631\u0645\u0648\u0648\u062F\u0647")
        + QString(74, QLatin1Char(' '));
}
inline QString hijriLabel()
{
    return QStringLiteral(u"\u0647\u064A\u062C\u0631\u0649 : ");
} // Hijri :
inline QString bannerSeparator()
{
    return QStringLiteral("     ");
}
// Caption bar: the About label, the version, the caption buttons' tooltips
inline QString aboutCaption()
{
    return QStringLiteral(u"\u062F\u0647\u200C\u0631\u0628\u0627\u0631\u0647");
} // Label15
inline QString versionCaption()
{
    return QStringLiteral(" v 2.0 ");
} // Label21
inline QString closeTip()
{
    return QStringLiteral(u"\u062F\u0627\u062E\u0633\u062A\u0646");
} // La1
inline QString enlargeTip()
{
    return QStringLiteral(u"\u06AF\u0647\u200C\u0648\u0631\u0647\u200C\u0643\u0631\u062F\u0646 "
                          u"\u0648 \u0643\u0686\u0643\u0647 "
                          u"\u0643\u0631\u062F\u0646\u0647\u200C\u0648\u0647");
} // La2
inline QString minimiseTip()
{
    return QStringLiteral(
        u"\u0647\u0627\u062A\u0646\u0647\u200C\u062E\u0648\u0627\u0631\u0647\u200C\u0648\u0647");
} // La3
inline QString clockPlaceholder()
{
    return QStringLiteral("00:00:00 - 0000/00/00");
} // Label21ي, the time and date placeholder

// Names for assistive technology of the controls that show no text of their own
inline QString frameName()
{
    return QStringLiteral(u"\u0686\u0648\u0627\u0631\u0686\u06CE\u0648\u06D5");
} // the frame
inline QString frameCornerName()
{
    return QStringLiteral(
        u"\u06AF\u06C6\u0634\u06D5\u06CC \u0686\u0648\u0627\u0631\u0686\u06CE\u0648\u06D5");
} // a corner of the frame
inline QString dividerName()
{
    return QStringLiteral(
        u"\u0647\u06CE\u06B5\u06CC \u062C\u06CC\u0627\u06A9\u06D5\u0631\u06D5\u0648\u06D5");
} // a dividing line
inline QString captionBarName()
{
    return QStringLiteral(
        u"\u0634\u0631\u06CC\u062A\u06CC \u0646\u0627\u0648\u0646\u06CC\u0634\u0627\u0646");
} // the caption bar
inline QString captionButtonsName()
{
    return QStringLiteral(u"\u062F\u0648\u06AF\u0645\u06D5\u06A9\u0627\u0646\u06CC "
                          u"\u067E\u06D5\u0646\u062C\u06D5\u0631\u06D5");
} // the window's buttons
inline QString emblemName()
{
    return QStringLiteral(u"\u0646\u06CC\u0634\u0627\u0646\u06D5");
} // the emblem
inline QString searchButtonName()
{
    return QStringLiteral(u"\u06AF\u06D5\u0695\u0627\u0646");
} // search
inline QString detailsPanelName()
{
    return QStringLiteral(u"\u0632\u0627\u0646\u06CC\u0627\u0631\u06CC "
                          u"\u0641\u06D5\u0631\u0645\u0648\u0648\u062F\u06D5");
} // about the hadith
inline QString countPanelName()
{
    return QStringLiteral(u"\u0698\u0645\u0627\u0631\u06D5\u06CC "
                          u"\u062F\u06C6\u0632\u0631\u0627\u0648\u06D5\u06A9\u0627\u0646");
} // the number found
inline QString resultPanelName()
{
    return QStringLiteral(u"\u0644\u06CC\u0633\u062A\u06CC "
                          u"\u0626\u06D5\u0646\u062C\u0627\u0645\u06D5\u06A9\u0627\u0646");
} // the list of results
inline QString aboutPictureName()
{
    return QStringLiteral(u"\u062F\u06D5\u0631\u0628\u0627\u0631\u06D5\u06CC "
                          u"\u0628\u06D5\u0631\u0646\u0627\u0645\u06D5\u06A9\u06D5");
} // about the program
inline QString splashPictureName()
{
    return QStringLiteral(u"\u0648\u06CE\u0646\u06D5\u06CC "
                          u"\u062F\u06D5\u0633\u062A\u067E\u06CE\u06A9");
} // the opening picture

// The pane: the line above the hadith text, a line break, the text
inline QString paneSeparator()
{
    return QStringLiteral("\r\n");
}

// Tooltips of the info labels and the pane, built around the label's caption
inline QString numberTooltipHead()
{
    return QStringLiteral(
        u" \u0698\u0645\u0627\u0631\u0647\u200C\u0649 "
        u"\u0641\u0647\u200C\u0631\u0645\u0648\u0648\u062F\u0647\u200C\u0643\u0647 : ");
} // Label1: the hadith's number:
inline QString numberTooltipTail()
{
    return QStringLiteral(" ");
}
inline QString kindTooltipHead()
{
    return QStringLiteral(
        u" \u0641\u0647\u200C\u0631\u0645\u0648\u0648\u062F\u0647\u200C\u0643\u0647 {");
} // Label2: the hadith is {
inline QString bookTooltipHead()
{
    return QStringLiteral(
        u" \u0646\u0627\u0648\u0649 \u0643\u062A\u0627\u0628\u0647\u200C\u0643\u0647 {");
} // Label3: the name of the book is {
inline QString braceTooltipTail()
{
    return QStringLiteral(u"} \u0647 ");
} // Label2 and Label3: } (it) is
inline QString pageKeyHint()
{
    return QStringLiteral(
        u" PgUp \u062F\u0627\u0628\u06AF\u0631\u0647 \u064A\u0627 \u062E\u0648\u062F PgDn "
        u"\u0641\u0647\u200C\u0631\u0645\u0648\u0648\u062F\u0647\u200C\u064A\u0647\u200C\u0643"
        u"\u0649 \u062A\u0631 \u0643\u0644\u064A\u0644\u0649 ");
} // Text1: press PgUp or PgDn for another hadith

// A collection that cannot be opened: the file, the reason in plain words, then the
// technical detail.
inline QString cannotOpen()
{
    return QStringLiteral(u"\u0646\u0627\u062A\u0648\u0627\u0646\u0631\u06CE\u062A "
                          u"\u06A9\u06C6\u0645\u06D5\u06B5\u06D5\u06CC "
                          u"\u0641\u06D5\u0631\u0645\u0648\u0648\u062F\u06D5\u06A9\u0627\u0646 "
                          u"\u0628\u06A9\u0631\u06CE\u062A\u06D5\u0648\u06D5:");
} // the hadith collection cannot be opened:
inline QString reasonNoFile()
{
    return QStringLiteral(
        u"\u0641\u0627\u06CC\u0644\u06D5\u06A9\u06D5 "
        u"\u0646\u06D5\u062F\u06C6\u0632\u0631\u0627\u06CC\u06D5\u0648\u06D5. "
        u"\u062F\u06B5\u0646\u06CC\u0627\u0628\u06D5 "
        u"\u0644\u06D5\u0648\u06D5\u06CC \u0628\u0648\u062E\u0686\u06D5\u06CC "
        u"Book \u0644\u06D5\u0646\u0627\u0648 \u0626\u06D5\u0648 "
        u"\u0628\u0648\u062E\u0686\u06D5\u06CC\u06D5\u062F\u0627\u06CC\u06D5 "
        u"\u06A9\u06D5 \u0628\u06D5\u0631\u0646\u0627\u0645\u06D5\u06A9\u06D5\u06CC "
        u"\u062A\u06CE\u062F\u0627 "
        u"\u062F\u06D5\u0633\u062A\u067E\u06CE\u06A9\u0631\u0627.");
} // the file was not found; make sure the Book folder is in the folder the program was
// started in (its working directory)
inline QString reasonNotReadable()
{
    return QStringLiteral(
        u"\u0641\u0627\u06CC\u0644\u06D5\u06A9\u06D5 "
        u"\u0646\u0627\u062E\u0648\u06CE\u0646\u062F\u0631\u06CE\u062A\u06D5\u0648\u06D5: "
        u"\u0695\u06CE\u06AF\u06D5\u067E\u06CE\u062F\u0627\u0646\u06CC "
        u"\u062E\u0648\u06CE\u0646\u062F\u0646\u06D5\u0648\u06D5\u06CC \u0646\u06CC\u06CC\u06D5.");
} // the file cannot be read: no permission to read it
inline QString reasonNotJet()
{
    return QStringLiteral(u"\u0626\u06D5\u0645 \u0641\u0627\u06CC\u0644\u06D5 "
                          u"\u0628\u0646\u06A9\u06D5\u062F\u0631\u0627\u0648\u06D5\u06CC Access "
                          u"\u0646\u06CC\u06CC\u06D5.");
} // this file is not an Access database
inline QString reasonWrongVersion()
{
    return QStringLiteral(
        u"\u0626\u06D5\u0645 \u0641\u0627\u06CC\u0644\u06D5 "
        u"\u0628\u0646\u06A9\u06D5\u062F\u0631\u0627\u0648\u06D5\u06CC Access\u06D5 "
        u"\u0628\u06D5\u06B5\u0627\u0645 \u0628\u06D5 "
        u"\u0648\u06D5\u0634\u0627\u0646\u06CE\u06A9\u06CC \u062A\u0631\u061B "
        u"\u062A\u06D5\u0646\u0647\u0627 \u0648\u06D5\u0634\u0627\u0646\u06CC Jet 4.0 (Access "
        u"2000) \u062F\u06D5\u062E\u0648\u06CE\u0646\u062F\u0631\u06CE\u062A\u06D5\u0648\u06D5.");
} // an Access database of another version; only Jet 4.0 is read
inline QString reasonDamaged()
{
    return QStringLiteral(
        u"\u0641\u0627\u06CC\u0644\u06D5\u06A9\u06D5 \u062A\u06CE\u06A9\u0686\u0648\u0648\u06D5 "
        u"\u06CC\u0627\u0646 \u062A\u06D5\u0648\u0627\u0648 \u0646\u06CC\u06CC\u06D5.");
} // the file is damaged or incomplete
inline QString reasonNoTable()
{
    return QStringLiteral(u"\u062E\u0634\u062A\u06D5\u06CC Table1 \u0644\u06D5\u0645 "
                          u"\u0641\u0627\u06CC\u0644\u06D5\u062F\u0627 \u0646\u06CC\u06CC\u06D5.");
} // there is no table Table1 in this file
inline QString reasonMissingColumn()
{
    return QStringLiteral(
        u"\u062E\u0634\u062A\u06D5\u06CC Table1 \u0633\u062A\u0648\u0648\u0646\u06CE\u06A9\u06CC "
        u"\u067E\u06CE\u0648\u06CC\u0633\u062A\u06CC \u062A\u06CE\u062F\u0627 "
        u"\u0646\u06CC\u06CC\u06D5.");
} // Table1 lacks a column it needs
inline QString reasonNotAFile()
{
    return QStringLiteral(u"\u0626\u06D5\u0645\u06D5 \u0641\u0627\u06CC\u0644 "
                          u"\u0646\u06CC\u06CC\u06D5\u060C \u0628\u06D5\u06B5\u06A9\u0648 "
                          u"\u0628\u0648\u062E\u0686\u06D5\u06CC\u06D5\u06A9\u060C "
                          u"\u0628\u06C6\u0631\u06CC\u06CC\u06D5\u06A9 \u06CC\u0627\u0646 "
                          u"\u0626\u0627\u0645\u06CE\u0631\u06CE\u06A9\u06D5.");
} // this is not a file but a folder, a pipe or a device
inline QString reasonChanged()
{
    return QStringLiteral(
        u"\u0641\u0627\u06CC\u0644\u06D5\u06A9\u06D5 \u0644\u06D5 \u06A9\u0627\u062A\u06CC "
        u"\u062E\u0648\u06CE\u0646\u062F\u0646\u06D5\u0648\u06D5\u062F\u0627 "
        u"\u06AF\u06C6\u0695\u0627\u061B "
        u"\u062F\u0648\u0648\u0628\u0627\u0631\u06D5 \u0647\u06D5\u0648\u06B5 "
        u"\u0628\u062F\u06D5\u0631\u06D5\u0648\u06D5.");
} // the file changed while it was being read; try again
inline QString reasonBadColumn()
{
    return QStringLiteral(
        u"\u0633\u062A\u0648\u0648\u0646\u06CE\u06A9\u06CC \u062E\u0634\u062A\u06D5\u06CC "
        u"Table1 \u062C\u06C6\u0631\u06CE\u06A9\u06CC \u0647\u06D5\u06CC\u06D5 \u06A9\u06D5 "
        u"\u0646\u0627\u062A\u0648\u0627\u0646\u0631\u06CE\u062A \u0648\u06D5\u06A9 "
        u"\u062F\u06D5\u0642 \u067E\u06CC\u0634\u0627\u0646 \u0628\u062F\u0631\u06CE\u062A.");
} // a column of Table1 is of a type that cannot be shown as text
inline QString reasonNoMemory()
{
    return QStringLiteral(
        u"\u0628\u06CC\u0631\u06AF\u06D5\u06CC "
        u"\u06A9\u06C6\u0645\u067E\u06CC\u0648\u062A\u06D5\u0631\u06D5\u06A9\u06D5 "
        u"\u0628\u06D5\u0634\u06CC \u0626\u06D5\u0645 \u06A9\u06C6\u0645\u06D5\u06B5\u06D5 "
        u"\u0641\u06D5\u0631\u0645\u0648\u0648\u062F\u06D5\u06CC\u06D5 "
        u"\u0646\u0627\u06A9\u0627\u062A.");
} // the computer's memory is not enough for this collection

// The reading helper failed: said as what happened to the reading, never as damage in
// the file, which the helper's own checks did not find.
inline QString reasonHelperMissing()
{
    return QStringLiteral(u"دامەزراندنی بەرنامەکە تەواو نییە.");
} // the program's installation is incomplete
inline QString reasonHelperStopped()
{
    return QStringLiteral(u"خوێندنەوەی فایلەکە وەستا.");
} // the reading of the file stopped
inline QString reasonHelperCrashed()
{
    return QStringLiteral(u"خوێندنەوەی فایلەکە بە زۆر کۆتایی پێهێنرا.");
} // the reading of the file was ended by force
inline QString reasonHelperKilled()
{
    return QStringLiteral(
        u"خوێندنەوەی فایلەکە بە زۆر کۆتایی پێهێنرا؛ لەوانەیە بیرگە تەواو بووبێت.");
} // the reading of the file was ended by force; perhaps the memory ran out
inline QString reasonHelperFailed()
{
    return QStringLiteral(u"خوێندنەوەی فایلەکە تەواو نەبوو.");
} // the reading of the file was not completed

// The search text could not be kept for the next start (the settings file cannot be
// written): "the text of the search box could not be saved:"
// The Sorani detail under the plain words, where there is one worth saying: composed
// from a few words, around the paths and the names Table1, Tab1 .. Tab5 as they are.
inline QString folderDetail(const QString &folder)
{
    return QStringLiteral(u"بوخچە: ") + folder;
} // folder: ...
inline QString fileDetail(const QString &file)
{
    return QStringLiteral(u"فایل: ") + file;
} // file: ...
inline QString notFoundDetail(const QString &name)
{
    return name + QStringLiteral(u" نەدۆزرایەوە");
} // ... was not found
inline QString rowsDetail(qint64 recorded, qint64 found)
{
    return QStringLiteral(u"Table1: %1 ڕیز تۆمارکراوە، بەڵام %2 ڕیز دۆزرایەوە")
        .arg(recorded)
        .arg(found);
} // Table1: N rows are recorded, but M rows were found
// Why the system refused a write, for the reasons a reader can do something about.
inline QString noSpaceDetail()
{
    return QStringLiteral(u"شوێن لەسەر دیسکەکە نەماوە");
} // no space is left on the disk
inline QString sizeLimitDetail()
{
    return QStringLiteral(u"فایلەکە لە سنووری قەبارەی ڕێگەپێدراو گەورەتر دەبێت");
} // the file would be larger than the size allowed
inline QString noPermissionDetail()
{
    return QStringLiteral(u"ڕێگەپێدان نییە");
} // not permitted
inline QString readOnlyDetail()
{
    return QStringLiteral(u"دیسکەکە تەنها بۆ خوێندنەوەیە");
} // the disk is only for reading
inline QString cannotWriteDetail()
{
    return QStringLiteral(u"ناتوانرێت بنووسرێت");
} // cannot be written

// The search option could not be kept for the next start: "the option could not be saved:"
inline QString cannotSaveOption()
{
    return QStringLiteral(u"هەڵبژاردنەکە پاشەکەوت نەکرا:");
}

inline QString cannotSaveSearchText()
{
    return QStringLiteral(
        u"\u0646\u0648\u0648\u0633\u06CC\u0646\u06CC \u0646\u0627\u0648 "
        u"\u0633\u0646\u062F\u0648\u0642\u06CC \u06AF\u06D5\u0695\u0627\u0646 "
        u"\u067E\u0627\u0634\u06D5\u06A9\u06D5\u0648\u062A \u0646\u06D5\u06A9\u0631\u0627:");
}

// Why the settings file was not written (NotAFile and NotReadable give their reasons
// above)
inline QString reasonSettingsNotWritten()
{
    return QStringLiteral(u"فایلی ڕێکخستن ناتوانرێت بنووسرێت.");
} // the settings file cannot be written
inline QString reasonSettingsNotOurs()
{
    return QStringLiteral(u"ئەم فایلە فایلی ڕێکخستنی ئەم بەرنامەیە نییە.");
} // this file is not this program's settings file
inline QString reasonSettingsTooLarge()
{
    return QStringLiteral(u"فایلی ڕێکخستن نابێت لە 1 MiB گەورەتر بێت.");
} // a settings file must not be larger than 1 MiB

// An error that no handler trapped: the program reports it and ends.
inline QString unhandledError()
{
    return QStringLiteral(
        u"\u0647\u06D5\u06B5\u06D5\u06CC\u06D5\u06A9 \u0695\u0648\u0648\u06CC\u062F\u0627 \u0648 "
        u"\u0628\u06D5\u0631\u0646\u0627\u0645\u06D5\u06A9\u06D5 "
        u"\u062F\u0627\u062F\u06D5\u062E\u0631\u06CE\u062A:");
} // an error happened and the program closes:

} // namespace tembra::texts
