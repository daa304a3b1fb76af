#pragma once

#include <QString>

namespace tembra {

// How everything below the windows reports a failure: a kind, which decides the plain
// words a window shows, a technical detail (for the tool, and for the program's standard
// error stream), and, where the plain words need one, a detail in the reader's Sorani for
// the line under them: a folder, a file, the rows counted. Functions that can fail return
// false and fill an Error the caller may pass as null.
struct Error {
    enum Kind {
        None,
        // Reading a collection
        NoFile, // nothing at the path
        NotAFile, // a folder, a pipe or a device where the file should be
        NotReadable, // a file that cannot be opened for reading (permissions)
        NotJet, // not an Access/Jet database at all
        WrongVersion, // a Jet file, but not Jet 4.0 (Jet 3, ACCDB)
        Damaged, // a Jet 4.0 file that cannot be read whole (truncated, corrupt)
        Changed, // the file kept changing while it was being read
        NoTable, // no Table1
        MissingColumn, // Table1 lacks one of Tab1 .. Tab5
        BadColumn, // a column of a type that cannot be shown as text
        NoMemory, // the collection does not fit in memory
        TooLarge, // larger than a Jet 4.0 database can be (2 GiB)
        // The reading helper (never the file's fault: the helper's own checks did not
        // find damage)
        HelperMissing, // not installed beside the program, or not a program that can run
        HelperStopped, // stopped making progress (stopped, looping, or not ending)
        HelperCrashed, // ended by a signal other than SIGKILL
        HelperKilled, // ended by SIGKILL, which the kernel sends when memory runs out
        HelperFailed, // ended without a whole, sound answer
        // The data control
        BadStatement, // a record source that cannot be run
        NotOpen, // no collection behind the data control
        NoRecord, // a move with no record to move to
        // The collection tool
        BadInput, // rows that cannot be written (the detail names the line)
        WriteFailed, // the output file could not be written
        // The settings store (NotAFile and NotReadable serve it too)
        SettingsNotWritten, // the system refused the write
        SettingsNotOurs, // the file is not one this program wrote; it is left alone
        SettingsTooLarge, // the file is, or would become, larger than the store reads
        // The bookmarks (NotAFile, NotReadable and WriteFailed serve them too)
        BookmarksBad, // the bookmarks file is damaged or not this program's; left alone
        MarkNotSaved, // a change to the bookmarks was refused (read-only, disk full)
        NotAnExport, // a file to import that is not, whole, an export of bookmarks
    };
    Kind kind = None;
    QString detail;
    QString shown; // Sorani; paths and Table1, Tab1 .. Tab5 as they are

    bool isError() const { return kind != None; }
};

// The system's own words for an errno value, for a technical detail.
QString systemReason(int err);
// Why the system refused a write, in the reader's words, for the reasons a reader can do
// something about (no space, a size limit, no permission, a read-only disk); "cannot be
// written" for the rest.
QString shownSystemReason(int err);

// Sets *error (when given) and returns false, so that a failing step reads
// `return fail(error, Error::Damaged, ...);`.
inline bool fail(Error *error, Error::Kind kind, const QString &detail,
                 const QString &shown = QString())
{
    if (error) {
        error->kind = kind;
        error->detail = detail;
        error->shown = shown;
    }
    return false;
}

} // namespace tembra
