#pragma once

#include "base/error.h"
#include "base/uniquefd.h"

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

namespace tembra {

// Replaces a file's contents all at once: the new contents are written to a file of their
// own in the same folder, reach the disk, and are renamed over the old file. A reader
// finds the old contents or the new, never a part; a failed or interrupted write leaves
// the old file as it was and nothing beside it.
//
// Only a regular file is replaced. A symbolic link is followed to the regular file it
// leads to, and that file is replaced, so that the link stays a link (a dotfile manager's
// links keep working). A folder, a pipe, a device, a socket, a link to any of them or a
// link to nothing is refused and left as it is. The new file keeps the old one's
// permission bits and, where the system lets it, its owner.
//
// Everything after open() goes through the folder's handle, by name within it: the file
// that is read is the file that is checked, and a file moved into its place meanwhile (a
// link's target swapped with someone else's file) is left alone. The new file is swapped
// with the old one (RENAME_EXCHANGE), and what comes out is removed only if it is the file
// that was checked, else swapped back. What remains: a file moved onto the temporary name
// itself between that look and the removal; and, on a file system that cannot swap, a
// file moved into the place between the last look and the rename.
class FileReplacement final {
public:
    // path is the file's name as the system knows it, byte for byte: a name that is not
    // UTF-8 (from argv or the environment) reaches the system as it came.
    explicit FileReplacement(const QByteArray &path);
    // A name the program has as text, in the system's encoding.
    explicit FileReplacement(const QString &path);
    ~FileReplacement();
    FileReplacement(const FileReplacement &) = delete;
    FileReplacement &operator=(const FileReplacement &) = delete;

    // Finds the folder and the file, after links, and opens both. False, with a NotAFile
    // error, for anything but a regular file or nothing at all; nothing (no file, no
    // folder) is no error.
    bool open(Error *error);

    // After open: whether there is a file, and where (the path, or where its links lead),
    // as a message shows it.
    bool exists() const { return m_file.isOpen(); }
    QString target() const;
    // Whether the file's permission bits let this user write it (true where there is no
    // file). Decided from the bits, not by asking the system: root may write anything, and
    // yet a file made read-only (0444 in a writable folder) is meant to stay as it is.
    // Replacing never needs the file to be writable, so a caller that keeps such files
    // asks first.
    bool userMayWrite() const;

    // The present file's contents, read without waiting on anything: at most maxBytes,
    // else false with *tooLarge set. A missing file reads as nothing.
    bool read(qint64 maxBytes, QByteArray *bytes, bool *tooLarge, Error *error) const;

    // Puts data in the file's place, once after each open(). False, with a WriteFailed
    // error that names the system's reason, if any step fails; the file is then as it
    // was, and so is a file that took its place since open().
    bool commit(const char *data, qint64 size, Error *error);

private:
    QString describedPath() const;
    UniqueFd createNamed(QByteArray *name) const;
    bool fill(int fd, const char *data, qint64 size) const;
    bool linkUnnamed(int fd, QByteArray *name) const;

    QByteArray m_path; // as the system's calls take them
    QByteArray m_target;
    QByteArray m_name; // the file's name within its folder
    UniqueFd m_folder;
    UniqueFd m_file;
    struct stat m_stat { };
};

// Makes SIGINT, SIGTERM and SIGHUP remove the named temporary file of a replacement that
// is under way before the program ends as the signal would end it. For programs whose
// writes are long enough to be interrupted (the collection tool); a temporary file
// without a name (where the system makes one) needs nothing.
void removeTemporaryOnSignals();

// Writes every byte (a write cut short, or interrupted, goes on); false, with errno set, if
// the system refuses.
bool writeAll(int fd, const void *data, qint64 size);

// What a file that is not a regular one is, in a few words ("a folder").
QString fileKind(unsigned mode);

// Whether a file's permission bits let this user write it: the owner's bits for the owner,
// the group's for its members, the others' for the rest. Root too is held to them.
bool modeLetsUserWrite(const struct stat &st);

} // namespace tembra
