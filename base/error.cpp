#include "base/error.h"

#include "base/texts.h"

#include <cerrno>
#include <cstring>

namespace tembra {

QString systemReason(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

QString shownSystemReason(int err)
{
    switch (err) {
    case ENOSPC:
    case EDQUOT: return texts::noSpaceDetail();
    case EFBIG: return texts::sizeLimitDetail();
    case EACCES:
    case EPERM: return texts::noPermissionDetail();
    case EROFS: return texts::readOnlyDetail();
    default: return texts::cannotWriteDetail();
    }
}

} // namespace tembra
