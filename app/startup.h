#pragma once

#include "jet/childreader.h"

#include <QString>

namespace tembra {

class DataControl;

// The collection file, "Book\Data.mdb" relative to the working directory, as a path on
// this system (the program names it with a backslash; here the separator is "/").
QString collectionFile();

// Waits for a read started earlier and hands the table, or why it could not be read,
// to the data control.
void handOver(ChildRead &reading, DataControl *data);

} // namespace tembra
