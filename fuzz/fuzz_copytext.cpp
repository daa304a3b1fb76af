// libFuzzer target: COPY text. Whatever parses must format to text that parses to the
// same rows, and formatting twice must give the same bytes.

#include "jet/copytext.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    std::vector<tembra::Record> rows;
    tembra::Error error;
    if (!tembra::copytext::parse(input, &rows, &error)) {
        if (error.detail.isEmpty() || !rows.empty())
            std::abort(); // a refusal names its line and keeps nothing
        return 0;
    }
    QByteArray text;
    for (const tembra::Record &r : rows)
        text += tembra::copytext::formatRecord(r);
    std::vector<tembra::Record> again;
    if (!tembra::copytext::parse(text, &again, &error) || again != rows)
        std::abort();
    QByteArray twice;
    for (const tembra::Record &r : again)
        twice += tembra::copytext::formatRecord(r);
    if (twice != text)
        std::abort();
    return 0;
}
