#include "base/error.h"

#include <cstring>

namespace tembra {

QString systemReason(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

} // namespace tembra
