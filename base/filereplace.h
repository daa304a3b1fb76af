#pragma once

#include "base/error.h"

#include <QString>

namespace tembra {

// Replaces a file's contents all at once. The new contents go to a temporary file in the
// same folder, reach the disk, and are renamed over the old file: a reader finds the old
// contents or the new, never a part, and a failed write leaves the old file as it was and
// no temporary file behind.
//
// Only a regular file is replaced. A symbolic link is followed to the regular file it
// leads to, and that file is replaced, so that the link stays a link (a dotfile manager's
// links keep working). A folder, a pipe, a device, a socket, a link to any of them or a
// link to nothing is refused and left as it is. The new file keeps the old one's
// permission bits and, where the system lets it, its owner.
class FileReplacement final {
public:
    explicit FileReplacement(const QString &path);

    // Finds the file to replace. False, with a NotAFile error, for anything but a regular
    // file or nothing at all.
    bool resolve(Error *error);

    // After resolve: whether there is a file to replace, where it is (the path itself,
    // or where its links lead), and which file it is.
    bool exists() const { return m_exists; }
    const QString &target() const { return m_target; }
    bool isTarget(quint64 device, quint64 inode) const
    {
        return m_exists && device == m_device && inode == m_inode;
    }

    // Puts data in the target's place. False, with a WriteFailed error that names the
    // system's reason, if any step fails; the target is then as it was. A target that
    // was replaced or made by someone else since resolve() is left alone too.
    bool commit(const char *data, qint64 size, Error *error);

private:
    QString describedPath() const;

    QString m_path;
    QString m_target;
    bool m_resolved = false;
    bool m_exists = false;
    quint64 m_device = 0;
    quint64 m_inode = 0;
    unsigned m_mode = 0;
    unsigned m_owner = 0;
    unsigned m_group = 0;
};

// Writes every byte (a write cut short, or interrupted, goes on); false, with errno set, if
// the system refuses.
bool writeAll(int fd, const void *data, qint64 size);

// What a file that is not a regular one is, in a few words ("a folder").
QString fileKind(unsigned mode);

} // namespace tembra
