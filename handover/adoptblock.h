#pragma once

#include "base/error.h"
#include "handover/wire.h"
#include "search/hadithtable.h"

namespace tembra {

// The parent's end of the table's hand-over: takes the three files the helper gave
// (wire.h; closing none of them) and makes them a table, mapped read-only, copying
// nothing.
//
// Nothing in them is taken on trust: the files must be sealed (no one can change them once
// checked), of exactly the sizes the header gives, every offset in order and within its
// text, a NULL field empty, the rows as many as Table1 records (recorded, as the helper
// said), and the whole no larger than a collection file of fileSize bytes can give. The
// header's counts are checked against those bounds before anything they count is touched.
// False, with *error set (HelperFailed), for files that are not what the helper should
// have given.
bool adoptBlock(const int fds[wire::FileCount], quint32 recorded, qint64 fileSize,
                HadithTable *table, Error *error);

} // namespace tembra
