// libFuzzer target: any bytes, opened as a collection, every row read. Crashes, hangs
// and sanitizer reports here are faults in the reader or in the database library.

#include "jet/jetreader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    tembra::HadithTable table;
    tembra::Error error;
    tembra::JetReader::readBytes(
        QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)), &table,
        &error);
    return 0;
}
