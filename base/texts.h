#pragma once

// Every text the program shows, in one place. The Sorani texts carry their zero-width
// non-joiners (U+200C): without them a Kurdish reader sees the words wrongly joined.

#include <QString>

namespace tembra::texts {

// Window and search texts
inline QString windowTitle()
{
    return QStringLiteral(
        u"به\u200Cرنامه\u200Cى فه\u200Cرموده\u200Cكانى پيغه\u200Cمبه\u200Cر - صلى الله عليه وسلم");
}
inline QString searchHint()
{
    return QStringLiteral(u"ووشه\u200Cكـه\u200Cت بنـووسه پاشان ئه\u200Cنته\u200Cر دابگره");
} // Label20
inline QString searchTooltip()
{
    return QStringLiteral(u"ووشه\u200Cيه\u200Cك بنووسه كه له 3 پيت كه\u200Cمتر نه\u200Cبىّ");
}
inline QString tooShortPrompt()
{
    return QStringLiteral(u" ببووره نابيت له 3 پيت كه\u200Cمتر بىّ ");
}
inline QString errorTitle()
{
    return QStringLiteral(u"هه\u200Cله\u200Cيه ");
}

// The search box's context menu: the option that compares vowel marks and letter forms as
// they stand (take the vowel marks and the letter forms into account)
inline QString exactMatchOption()
{
    return QStringLiteral(u"حەرەکە و شێوەی پیتەکان بە هەند وەربگرە");
}
// Shown beside the search box while that option is on (exact comparison)
inline QString exactComparisonShown()
{
    return QStringLiteral(u"بەراوردی ورد");
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
    return QStringLiteral(u"ژماره\u200Cى فه\u200Cرمووده\u200Cكه");
} // Label10
inline QString kindCaption()
{
    return QStringLiteral(u"فه\u200Cرمووده\u200Cكه");
} // Label6
inline QString bookCaption()
{
    return QStringLiteral(u"ناوى كتابه\u200Cكه");
} // Label11
inline QString countCaption()
{
    return QStringLiteral(u"ژماره\u200Cى ديتنه\u200Cوه\u200Cكه");
} // Label13
inline QString resultHeading()
{
    return QStringLiteral(
        u"قائيمه\u200Cى فه\u200Cرمووده\u200Cكانى به\u200Cدوا گه\u200Cراوه\u200Cكان");
} // Label18
inline QString paneHeading()
{
    return QStringLiteral(u"قـــــائيمـــــــه\u200Cى فــــــــــــــه\u200Cرمووده ");
} // Label16
inline QString gridKindHeader()
{
    return QStringLiteral(u"نوع الحديث");
}
inline QString gridHadithHeader()
{
    return QStringLiteral(u"الأحاديث");
}

// The banner above the reading pane: heading (its 74 trailing spaces keep the date and time
// apart from it in the centred label), the Hijri label, the date, a separator, the time
inline QString bannerHeading()
{
    return QStringLiteral(u" قـــــائيمـــــــه\u200Cى فــــــــــــــه\u200Cرمووده")
        + QString(74, QLatin1Char(' '));
}
inline QString hijriLabel()
{
    return QStringLiteral(u"هيجرى : ");
} // Hijri :
inline QString bannerSeparator()
{
    return QStringLiteral("     ");
}
// Caption bar: the About label, the version, the caption buttons' tooltips
inline QString aboutCaption()
{
    return QStringLiteral(u"ده\u200Cرباره");
} // Label15
inline QString versionCaption()
{
    return QStringLiteral(" v 2.0 ");
} // Label21
inline QString closeTip()
{
    return QStringLiteral(u"داخستن");
} // La1
inline QString enlargeTip()
{
    return QStringLiteral(u"گه\u200Cوره\u200Cكردن و كچكه كردنه\u200Cوه");
} // La2
inline QString minimiseTip()
{
    return QStringLiteral(u"هاتنه\u200Cخواره\u200Cوه");
} // La3
inline QString clockPlaceholder()
{
    return QStringLiteral("00:00:00 - 0000/00/00");
} // Label21ي, the time and date placeholder

// Names for assistive technology of the controls that show no text of their own
inline QString frameName()
{
    return QStringLiteral(u"چوارچێوە");
} // the frame
inline QString frameCornerName()
{
    return QStringLiteral(u"گۆشەی چوارچێوە");
} // a corner of the frame
inline QString dividerName()
{
    return QStringLiteral(u"هێڵی جیاکەرەوە");
} // a dividing line
inline QString captionBarName()
{
    return QStringLiteral(u"شریتی ناونیشان");
} // the caption bar
inline QString captionButtonsName()
{
    return QStringLiteral(u"دوگمەکانی پەنجەرە");
} // the window's buttons
inline QString emblemName()
{
    return QStringLiteral(u"نیشانە");
} // the emblem
inline QString searchButtonName()
{
    return QStringLiteral(u"گەڕان");
} // search
inline QString detailsPanelName()
{
    return QStringLiteral(u"زانیاری فەرموودە");
} // about the hadith
inline QString countPanelName()
{
    return QStringLiteral(u"ژمارەی دۆزراوەکان");
} // the number found
inline QString resultPanelName()
{
    return QStringLiteral(u"لیستی ئەنجامەکان");
} // the list of results
inline QString aboutPictureName()
{
    return QStringLiteral(u"دەربارەی بەرنامەکە");
} // about the program
inline QString splashPictureName()
{
    return QStringLiteral(u"وێنەی دەستپێک");
} // the opening picture

// The pane: the line above the hadith text, a line break, the text
inline QString paneSeparator()
{
    return QStringLiteral("\r\n");
}

// Tooltips of the info labels and the pane, built around the label's caption
inline QString numberTooltipHead()
{
    return QStringLiteral(u" ژماره\u200Cى فه\u200Cرمووده\u200Cكه : ");
} // Label1: the hadith's number:
inline QString numberTooltipTail()
{
    return QStringLiteral(" ");
}
inline QString kindTooltipHead()
{
    return QStringLiteral(u" فه\u200Cرمووده\u200Cكه {");
} // Label2: the hadith is {
inline QString bookTooltipHead()
{
    return QStringLiteral(u" ناوى كتابه\u200Cكه {");
} // Label3: the name of the book is {
inline QString braceTooltipTail()
{
    return QStringLiteral(u"} ه ");
} // Label2 and Label3: } (it) is
inline QString pageKeyHint()
{
    return QStringLiteral(u" PgUp دابگره يا خود PgDn فه\u200Cرمووده\u200Cيه\u200Cكى تر كليلى ");
} // Text1: press PgUp or PgDn for another hadith

// A collection that cannot be opened: the file, the reason in plain words, then the
// technical detail.
inline QString cannotOpen()
{
    return QStringLiteral(u"ناتوانرێت کۆمەڵەی فەرموودەکان بکرێتەوە:");
} // the hadith collection cannot be opened:
inline QString reasonNoFile()
{
    return QStringLiteral(u"فایلەکە نەدۆزرایەوە. دڵنیابە لەوەی بوخچەی Book لەناو ئەو بوخچەیەدایە "
                          u"کە بەرنامەکەی تێدا دەستپێکرا.");
} // the file was not found; make sure the Book folder is in the folder the program was
// started in (its working directory)
inline QString reasonNotReadable()
{
    return QStringLiteral(u"فایلەکە ناخوێندرێتەوە: ڕێگەپێدانی خوێندنەوەی نییە.");
} // the file cannot be read: no permission to read it
inline QString reasonNotJet()
{
    return QStringLiteral(u"ئەم فایلە بنکەدراوەی Access نییە.");
} // this file is not an Access database
inline QString reasonWrongVersion()
{
    return QStringLiteral(u"ئەم فایلە بنکەدراوەی Accessە بەڵام بە وەشانێکی تر؛ تەنها وەشانی Jet "
                          u"4.0 (Access 2000) دەخوێندرێتەوە.");
} // an Access database of another version; only Jet 4.0 is read
inline QString reasonDamaged()
{
    return QStringLiteral(u"فایلەکە تێکچووە یان تەواو نییە.");
} // the file is damaged or incomplete
inline QString reasonNoTable()
{
    return QStringLiteral(u"خشتەی Table1 لەم فایلەدا نییە.");
} // there is no table Table1 in this file
inline QString reasonMissingColumn()
{
    return QStringLiteral(u"خشتەی Table1 ستوونێکی پێویستی تێدا نییە.");
} // Table1 lacks a column it needs
inline QString reasonNotAFile()
{
    return QStringLiteral(u"ئەمە فایل نییە، بەڵکو بوخچەیەک، بۆرییەک یان ئامێرێکە.");
} // this is not a file but a folder, a pipe or a device
inline QString reasonChanged()
{
    return QStringLiteral(u"فایلەکە لە کاتی خوێندنەوەدا گۆڕا؛ دووبارە هەوڵ بدەرەوە.");
} // the file changed while it was being read; try again
inline QString reasonBadColumn()
{
    return QStringLiteral(u"ستوونێکی خشتەی Table1 جۆرێکی هەیە کە ناتوانرێت وەک دەق پیشان بدرێت.");
} // a column of Table1 is of a type that cannot be shown as text
inline QString reasonNoMemory()
{
    return QStringLiteral(u"بیرگەی کۆمپیوتەرەکە بەشی ئەم کۆمەڵە فەرموودەیە ناکات.");
} // the computer's memory is not enough for this collection
inline QString reasonTooLarge()
{
    return QStringLiteral(u"ئەم فایلە لەوە گەورەترە کە کۆمەڵەی فەرموودە بێت؛ بنکەدراوەی Access "
                          u"لە 2 گیگابایت گەورەتر نابێت.");
} // this file is larger than a hadith collection can be; an Access database is never larger
// than 2 gigabytes (ours, not in the texts list: for a Sorani reader to check)

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

// The Sorani detail under the plain words, where there is one worth saying: composed
// from a few words, around the paths and the names Table1, Tab1 .. Tab5 as they are.
// A path inside the right-to-left line is isolated left to right (U+2066 .. U+2069), so that
// its leading slash stays at its start.
inline QString tooManyFilesDetail()
{
    return QStringLiteral(u"ئەم بەرنامەیە ڕێگەی پێنەدراوە فایلی زیاتر بکاتەوە (ulimit -n).");
} // this program is not allowed to open more files (ulimit -n) (ours, not in the texts
// list: for a Sorani reader to check)
inline QString folderDetail(const QString &folder)
{
    return QStringLiteral(u"بوخچە: ") + QChar(0x2066) + folder + QChar(0x2069);
} // folder: ...
inline QString fileDetail(const QString &file)
{
    return QStringLiteral(u"فایل: ") + QChar(0x2066) + file + QChar(0x2069);
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
// The search text could not be kept for the next start (the settings file cannot be
// written): "the text of the search box could not be saved:"
inline QString cannotSaveSearchText()
{
    return QStringLiteral(u"نووسینی ناو سندوقی گەڕان پاشەکەوت نەکرا:");
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
    return QStringLiteral(u"فایلی ڕێکخستن نابێت لە 8 MiB گەورەتر بێت.");
} // a settings file must not be larger than 8 MiB

// An error that no handler trapped: the program reports it and ends.
inline QString unhandledError()
{
    return QStringLiteral(u"هەڵەیەک ڕوویدا و بەرنامەکە دادەخرێت:");
} // an error happened and the program closes:

// The settings file is left as it is when its permission bits keep the user from writing
// it.
inline QString readOnlyFileDetail()
{
    return QStringLiteral(u"فایلەکە تەنها بۆ خوێندنەوەیە");
} // the file is only for reading

// --- Choosing and citing a hadith ---------------------------------------------------

// The result list's menu
inline QString onlyThisBook()
{
    return QStringLiteral(u"تەنیا فەرموودەکانی ئەم کتێبە");
} // only this book's hadiths
inline QString allBooks()
{
    return QStringLiteral(u"هەموو کتێبەکان");
} // all books again
inline QString readBookFromHere()
{
    return QStringLiteral(u"خوێندنەوەی ئەم کتێبە لێرەوە");
} // read this book from here
// The reading pane's menu; copy and select all are the search box's words above
inline QString copyWithSource()
{
    return QStringLiteral(u"لەبەرگرتنەوەی فەرموودەکە لەگەڵ سەرچاوەکەی");
} // copy the hadith with its source
// A copied hadith's source: "book، ژمارە number"
inline QString sourceNumber()
{
    return QStringLiteral(u"ژمارە");
} // number
inline QString listSeparator()
{
    return QStringLiteral(u"، ");
} // the Arabic comma and a space
// A path inside a right-to-left line reads left to right, its slashes where they are.
inline QString isolatedPath(const QString &path)
{
    return QChar(0x2066) + path + QChar(0x2069);
}
// How to open a collection from a terminal, in the missing-collection message
inline QString openCommand()
{
    return QStringLiteral(u"tembra ‹فایل›.mdb");
} // tembra ‹file›.mdb
// The collection that could not be opened: where the program looked, and how to open
// another one.
inline QString lookedHere()
{
    return QStringLiteral(u"بەرنامەکە لێرە بەدوای کۆمەڵەکەدا گەڕا:");
} // the program looked for the collection here:
inline QString openAnother()
{
    return QStringLiteral(u"بۆ کردنەوەی کۆمەڵەیەکی تر، فایلەکەی بە بەرنامەکە بکەرەوە، یان بنووسە:")
        + QLatin1Char('\n') + isolatedPath(openCommand());
} // to open another collection, open its file with the program, or type:

// --- Searching by words ---------------------------------------------------------------

// The search box's option for every word in any order, and its tag in the box while on
inline QString anyOrderOption()
{
    return QStringLiteral(u"هەموو وشەکان، بە هەر ڕیزێک");
} // every word, in any order
inline QString anyOrderShown()
{
    return QStringLiteral(u"بە هەر ڕیزێک");
} // in any order
// A search that found nothing, where the words in any order would find count hadiths
inline QString nothingButAnyOrder(qint64 count)
{
    return QStringLiteral(u"هیچ نەدۆزرایەوە؛ وشەکان بە هەر ڕیزێک: %1 فەرموودە").arg(count);
} // nothing found; the words in any order: N hadiths
// The counts by book beside the list: heading; "all books" goes back (allBooks())
inline QString booksHeading()
{
    return QStringLiteral(u"کتێبەکان");
} // the books
// The list's menu, naming what it narrows to
inline QString onlyHadithsOf(const QString &book)
{
    return QStringLiteral(u"تەنیا فەرموودەکانی «%1»").arg(book);
} // only the hadiths of «book»
inline QString onlyChapter(const QString &chapter)
{
    return QStringLiteral(u"تەنیا بەشی «%1»").arg(chapter);
} // only the chapter «chapter»
// What the list holds: a search, that search in one book or chapter, a book read from a
// number
inline QString listSearch(const QString &text)
{
    return QStringLiteral(u"گەڕان بۆ «%1»").arg(text);
} // a search for «text»
inline QString listSearchIn(const QString &text, const QString &where)
{
    return QStringLiteral(u"«%1» لە «%2»دا").arg(text, where);
} // «text» in «book or chapter»
inline QString listReading(const QString &book, const QString &number)
{
    return QStringLiteral(u"خوێندنەوەی «%1» لە ژمارە %2ەوە").arg(book, number);
} // reading «book» from number N
inline QString earlierSearches()
{
    return QStringLiteral(u"گەڕانەکانی پێشوو");
} // earlier searches

// --- Finding your way -----------------------------------------------------------------

inline QString contents()
{
    return QStringLiteral(u"ناوەڕۆک");
} // contents
inline QString bookWord()
{
    return QStringLiteral(u"کتێب");
} // book
inline QString chapterWord()
{
    return QStringLiteral(u"بەش");
} // chapter
inline QString hadithsWord()
{
    return QStringLiteral(u"فەرموودە");
} // hadiths, after a count
inline QString goToNumber()
{
    return QStringLiteral(u"چوون بۆ فەرموودەیەک بە ژمارەکەی");
} // going to a hadith by its number
inline QString numberWord()
{
    return QStringLiteral(u"ژمارە");
} // number
inline QString numberNotInBook()
{
    return QStringLiteral(u"ئەم ژمارەیە لەم کتێبەدا نییە");
} // this number is not in this book
inline QString back()
{
    return QStringLiteral(u"گەڕانەوە");
} // back
inline QString forward()
{
    return QStringLiteral(u"بۆ پێشەوە");
} // forward
inline QString carryOn()
{
    return QStringLiteral(u"درێژەی خوێندنەوە لەو شوێنەی کە لێی وەستای");
} // carry on reading where you stopped
inline QString openCollection()
{
    return QStringLiteral(u"کردنەوەی کۆمەڵەیەکی تر…");
} // open another collection…
inline QString collectionFilter()
{
    return QStringLiteral(u"کۆمەڵەی فەرموودە (*.mdb)");
} // hadith collections (*.mdb), the file dialog's filter
inline QString nightAppearance()
{
    return QStringLiteral(u"ڕووکاری شەو");
} // night appearance
inline QString showMarks()
{
    return QStringLiteral(u"حەرەکەکان پیشان بدە");
} // show the vowel marks
inline QString paneFont()
{
    return QStringLiteral(u"فۆنتی دەق");
} // the pane's font
// The About window's lines: the collection, its hadiths and its books
inline QString aboutCollection()
{
    return QStringLiteral(u"کۆمەڵە");
} // collection
inline QString aboutHadiths()
{
    return QStringLiteral(u"فەرموودە");
} // hadiths
inline QString aboutBooks()
{
    return QStringLiteral(u"کتێب");
} // books

// The toolkit's file dialog, in Sorani (its own words are English): the labels and buttons,
// the tool buttons' tips, the menu of its list, the columns, and what it says of a name
// that is not there.
inline QString dialogFolder()
{
    return QStringLiteral(u"بوخچە:");
} // folder: (look in)
inline QString dialogFileName()
{
    return QStringLiteral(u"ناوی فایل:");
} // file name:
inline QString dialogFileType()
{
    return QStringLiteral(u"جۆری فایل:");
} // type of file:
inline QString openButton()
{
    return QStringLiteral(u"کردنەوە");
} // open
inline QString chooseButton()
{
    return QStringLiteral(u"هەڵبژاردن");
} // choose
inline QString parentFolder()
{
    return QStringLiteral(u"بوخچەی سەرەوە");
} // the folder above
inline QString newFolder()
{
    return QStringLiteral(u"بوخچەی نوێ");
} // new folder
inline QString listView()
{
    return QStringLiteral(u"لیست");
} // list (view)
inline QString detailView()
{
    return QStringLiteral(u"وردەکاری");
} // details (view)
inline QString renameCommand()
{
    return QStringLiteral(u"ناوگۆڕین");
} // rename
inline QString showHiddenFiles()
{
    return QStringLiteral(u"فایلە شاراوەکان پیشان بدە");
} // show the hidden files
inline QString computerWord()
{
    return QStringLiteral(u"کۆمپیوتەر");
} // computer
inline QString recentPlaces()
{
    return QStringLiteral(u"شوێنە تازەکان");
} // recent places
inline QString nameWord()
{
    return QStringLiteral(u"ناو");
} // name
inline QString sizeWord()
{
    return QStringLiteral(u"قەبارە");
} // size
inline QString typeWord()
{
    return QStringLiteral(u"جۆر");
} // type
inline QString dateModifiedWord()
{
    return QStringLiteral(u"ڕێکەوتی گۆڕین");
} // date changed
inline QString fileNotThere()
{
    return QStringLiteral(u"فایلەکە نەدۆزرایەوە.");
} // the file was not found.
inline QString folderNotThere()
{
    return QStringLiteral(u"بوخچەکە نەدۆزرایەوە.");
} // the folder was not found.
inline QString checkTheName()
{
    return QStringLiteral(u"دڵنیابە لە ناوەکەی.");
} // make sure of its name.
// The offers at the start, in view over the list: "carry on" (carryOn()) and, after a
// collection that could not be opened, opening another (openCollection()); their tips
// name their keys
inline QString keyTip(const QString &what, const QString &keys)
{
    return what + QStringLiteral(" (") + QChar(0x2066) + keys + QChar(0x2069) + QLatin1Char(')');
} // what (keys)
// The About window's lines: "collection: file", "hadiths: N", "books: N"
inline QString aboutLine(const QString &word, const QString &value)
{
    return word + QStringLiteral(": ") + value;
} // word: value

// --- Bookmarks and notes --------------------------------------------------------------

inline QString markCommand()
{
    return QStringLiteral(u"نیشانەکردن");
} // mark
inline QString markedHadiths()
{
    return QStringLiteral(u"نیشانەکراوەکان");
} // the marked hadiths
inline QString noteWord()
{
    return QStringLiteral(u"تێبینی");
} // note
inline QString saveCommand()
{
    return QStringLiteral(u"پاشەکەوت");
} // save
inline QString cancelCommand()
{
    return QStringLiteral(u"پاشگەزبوونەوە");
} // cancel
inline QString removeMark()
{
    return QStringLiteral(u"لابردنی نیشانە");
} // remove the mark
// The bookmarks view's columns: book, number, text, note, date
inline QString textWord()
{
    return QStringLiteral(u"دەق");
} // text
inline QString dateWord()
{
    return QStringLiteral(u"ڕێکەوت");
} // date
inline QString exportCommand()
{
    return QStringLiteral(u"ناردنە دەرەوە…");
} // export…
inline QString importCommand()
{
    return QStringLiteral(u"هێنانە ژوورەوە…");
} // import…
inline QString notInThisCollection()
{
    return QStringLiteral(u"لەم کۆمەڵەیەدا نییە");
} // not found in this collection
inline QString markNotSaved()
{
    return QStringLiteral(u"نیشانەکە پاشەکەوت نەکرا");
} // the mark was not saved
inline QString bookmarksFileBad()
{
    return QStringLiteral(u"فایلی نیشانەکراوەکان تێکچووە یان هی ئەم بەرنامەیە نییە");
} // the bookmarks file is damaged or not the program's
// The sign of a marked hadith, in its row and beside the pane: its accessible name and
// the first line of its tooltip (it is marked)
inline QString markedShown()
{
    return QStringLiteral(u"نیشانەکراوە");
}
// The bookmarks view's box that narrows the list (search in the texts and the notes)
inline QString bookmarksFilterHint()
{
    return QStringLiteral(u"گەڕان لە دەق و تێبینییەکاندا");
}
// After a removal in the bookmarks view: "the mark was removed; to bring it back:", then
// the key
inline QString markRemoved()
{
    return QStringLiteral(u"نیشانەکە لابرا؛ بۆ گەڕاندنەوەی:");
}
// After an export: "N marked hadiths were written to the file"
inline QString marksExported(int count)
{
    return QStringLiteral(u"%1 فەرموودەی نیشانەکراو نووسرانە ناو فایلەکە").arg(count);
}
// After an import: "N marks were brought in; M were here already"
inline QString marksImported(int added, int skipped)
{
    return QStringLiteral(u"%1 نیشانە هێنرانە ژوورەوە؛ %2 پێشتر لێرە بوون").arg(added).arg(skipped);
}
// A file given to import that export did not write (or not whole): "this file is not an
// export of the marked hadiths"
inline QString reasonNotAnExport()
{
    return QStringLiteral(u"ئەم فایلە فایلی ناردنە دەرەوەی نیشانەکراوەکان نییە.");
}
// An export whose file the system would not write: "the file was not written"
inline QString reasonNotWritten()
{
    return QStringLiteral(u"فایلەکە نەنووسرا.");
}

} // namespace tembra::texts
