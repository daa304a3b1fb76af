// tembra-mdb: makes collections from text and shows what a collection holds.
//
// Rows travel as PostgreSQL COPY text (five tab-separated fields, \N for NULL), so that
// dump(build(x)) gives x back byte for byte and fixtures can be kept as plain files.

#include "base/filereplace.h"
#include "base/processsetup.h"
#include "handover/childreader.h"
#include "jet/copytext.h"
#include "jet/jetreader.h"
#include "jet/jetwriter.h"
#include "search/contents.h"
#include "search/datacontrol.h"
#include "search/excerpt.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

using namespace tembra;

namespace {

constexpr int kUsageExit = 2;

const char kUsage[]
    = "usage: tembra-mdb COMMAND ARGS\n"
      "\n"
      "  build OUT.mdb < rows.tsv   write the rows read from stdin as a new collection\n"
      "  dump DB.mdb                print every row of Table1 to stdout\n"
      "  search [--words] [--exact] [--time] DB.mdb TEXT...\n"
      "                             for each TEXT, the number of matches, then a line for\n"
      "                             each match, as the reader's search finds them: its Tab2,\n"
      "                             TAB, its Tab5 (the book), TAB, the hadith text around\n"
      "                             the match, as the reader's list shows it, each field\n"
      "                             escaped as dump escapes it; --words looks for TEXT's\n"
      "                             words in any order (\"a phrase\", -left out); --exact\n"
      "                             compares vowel marks and letter forms as they stand\n"
      "                             (letter case aside), as the reader's option does; --time\n"
      "                             adds the median search time (stderr)\n"
      "  contents DB.mdb            each book (Tab5) in the order the table first names it,\n"
      "                             TAB, its number of hadiths; under it a line for each of\n"
      "                             its chapters (Tab3), in the order the book first names\n"
      "                             them: TAB, the chapter, TAB, its number; fields escaped\n"
      "                             as dump escapes them\n"
      "  --version                  the version\n"
      "\n"
      "-- ends the options: what follows it is a file or a TEXT, even \"--time\".\n"
      "Rows are COPY text: UTF-8, five fields (Tab1..Tab5) separated by TAB, one row a line,\n"
      "\\t \\n \\r \\\\ escapes inside a field and \\N for a NULL field.\n";

void complain(const QString &message)
{
    std::fprintf(stderr, "tembra-mdb: %s\n", message.toLocal8Bit().constData());
}

int usageError(const char *why)
{
    std::fprintf(stderr, "tembra-mdb: %s\n%s", why, kUsage);
    return kUsageExit;
}

// The longest line a row of a collection can be written as. Tab1's memo is at most 2^24
// stored bytes (its length has three), and no stored byte comes out as more than two bytes
// of COPY text (a letter kept in one byte may be escaped to two; a unit kept in two bytes
// is at most three of UTF-8, a pair of them four); Tab2 .. Tab5 are 255 units each, at
// most three bytes a unit; then four tabs and the line's end.
constexpr qsizetype kMaxLineBytes = (qsizetype(1) << 25) + 4 * 255 * 3 + 5;

// All of stdin, read into memory. Never mapped: a file cut short while it is parsed
// would end the tool with SIGBUS; read, it is at worst a shorter input. A line longer than
// any row can be stops the reading at once (a stream without line ends, /dev/zero, would
// otherwise fill the memory).
bool readStdin(QByteArray *bytes, QString *error)
{
    qint64 line = 1;
    qsizetype lineStart = 0;
    // A file's size saves growing the array; a pipe grows it as it comes.
    struct stat st { };
    qsizetype capacity = 1 << 16;
    if (::fstat(0, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        capacity = qsizetype(std::min<off_t>(st.st_size, off_t(1) << 40)) + 1;
    qsizetype used = 0;
    for (;;) {
        if (bytes->size() == used)
            bytes->resize(std::max<qsizetype>({capacity, used + (1 << 16), bytes->size() * 2}));
        const ssize_t n = ::read(0, bytes->data() + used, size_t(bytes->size() - used));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *error = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        if (n == 0)
            break;
        for (const char *end = bytes->constData() + used + n, *at = bytes->constData() + used;
             (at = static_cast<const char *>(std::memchr(at, '\n', size_t(end - at))));) {
            ++at;
            ++line;
            lineStart = at - bytes->constData();
        }
        used += n;
        if (used - lineStart > kMaxLineBytes) {
            *error = QStringLiteral("line %1 is longer than any row of a collection can be "
                                    "(more than %2 bytes)")
                         .arg(line)
                         .arg(kMaxLineBytes);
            return false;
        }
    }
    bytes->truncate(used);
    return true;
}

// A file's name as a message shows it; the name itself stays as the bytes it came as.
QString shown(const QByteArray &path)
{
    return QFile::decodeName(path);
}

// The arguments that are not options, in order, and the options given among options
// (each at most once); "--" ends the options. Arguments are bytes as they came: a file's
// name need not be UTF-8.
QByteArrayList operands(const QByteArrayList &args, const QByteArrayList &options,
                        QByteArrayList *given)
{
    QByteArrayList out;
    bool ended = false;
    for (const QByteArray &arg : args) {
        if (!ended && arg == "--")
            ended = true;
        else if (!ended && options.contains(arg))
            *given << arg;
        else
            out << arg;
    }
    return out;
}

int build(const QByteArrayList &allArgs)
{
    QByteArrayList none;
    const QByteArrayList args = operands(allArgs, {}, &none);
    if (args.size() != 1)
        return usageError("build takes one argument, the file to write");
    const QByteArray &out = args.front();
    // Interrupted, the tool leaves the old file whole and nothing beside it.
    removeTemporaryOnSignals();

    QByteArray input;
    QString error;
    if (!readStdin(&input, &error)) {
        complain(QStringLiteral("cannot read stdin: %1").arg(error));
        return 1;
    }
    std::vector<Record> records;
    Error failure;
    if (!copytext::parse(input, &records, &failure)) {
        complain(QStringLiteral("stdin: %1").arg(failure.detail));
        return 1;
    }
    input = QByteArray(); // make room for the file image
    // One record per line, so the record number is the line number.
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (!JetWriter::validateRecord(records[i], &failure)) {
            complain(QStringLiteral("stdin: line %1: %2").arg(i + 1).arg(failure.detail));
            return 1;
        }
    }
    if (!JetWriter::write(out, records, &failure)) {
        complain(failure.detail);
        return 1;
    }
    return 0;
}

int dump(const QByteArrayList &allArgs)
{
    QByteArrayList none;
    const QByteArrayList args = operands(allArgs, {}, &none);
    if (args.size() != 1)
        return usageError("dump takes one argument, the collection to print");
    const QByteArray &path = args.front();

    HadithTable table;
    Error error;
    if (!ChildRead::read(path, &table, &error)) {
        complain(QStringLiteral("cannot read %1: %2").arg(shown(path), error.detail));
        return 1;
    }

    // Written in chunks of about a megabyte: one line at a time costs a call each, the
    // whole text at once would double the memory.
    QByteArray chunk;
    bool ok = true;
    const auto flush = [&chunk, &ok] {
        ok = ok
            && std::fwrite(chunk.constData(), 1, std::size_t(chunk.size()), stdout)
                == std::size_t(chunk.size());
        chunk.clear();
    };
    for (int row = 0; ok && row < table.rowCount(); ++row) {
        chunk += copytext::formatRecord(table.record(row));
        if (chunk.size() >= (1 << 20))
            flush();
    }
    flush();
    if (!ok || std::fflush(stdout) != 0) {
        complain(QStringLiteral("cannot write to stdout: %1")
                     .arg(QString::fromLocal8Bit(std::strerror(errno))));
        return 1;
    }
    return 0;
}

// One field as COPY text writes it: NULL as \N, with its escapes.
QByteArray fieldText(const Field &field)
{
    Record record;
    record[Column::Text] = field;
    const QByteArray line = copytext::formatRecord(record);
    return line.left(line.indexOf('\t'));
}

int search(const QByteArrayList &argsIn)
{
    QByteArrayList given;
    QByteArrayList args = operands(argsIn, {"--time", "--exact", "--words"}, &given);
    const bool timed = given.contains("--time");
    const bool exact = given.contains("--exact");
    const bool words = given.contains("--words");
    if (args.size() < 2)
        return usageError("search takes a collection and at least one text");
    const QByteArray path = args.takeFirst();

    DataControl data;
    HadithTable table;
    Error error;
    if (!ChildRead::read(path, &table, &error)) {
        complain(QStringLiteral("cannot read %1: %2").arg(shown(path), error.detail));
        return 1;
    }
    data.setTable(std::move(table));
    const Comparison comparison = exact ? Comparison::Exact : Comparison::Folded;
    data.setComparison(comparison);
    QByteArray out;
    for (const QByteArray &bytes : args) {
        const QString text = QFile::decodeName(bytes); // a text to look for, not a name
        const Listing listing = Listing::search(text, comparison, words);
        data.setRecordSource(listing);
        data.setCommandType(listing.commandType());
        Error why;
        if (!data.refresh(&why)) {
            complain(QStringLiteral("cannot search for \"%1\": %2").arg(text, why.detail));
            return 1;
        }
        out += QByteArray::number(data.recordCount()) + '\n';
        // The number alone repeats across books: the book makes a line name one hadith,
        // and the text around the match shows what was found.
        for (int i = 0; i < data.recordCount(); ++i) {
            const int row = data.rowAt(i);
            out += fieldText(data.table()->field(row, Column::Number)) + '\t'
                + fieldText(data.table()->field(row, Column::Book)) + '\t'
                + fieldText(excerpt(data.table()->view(row, Column::Text), listing).text) + '\n';
        }
        if (timed) {
            // The median of repeated searches, the file already open.
            std::vector<qint64> times;
            for (int run = 0; run < 21; ++run) {
                QElapsedTimer timer;
                timer.start();
                data.refresh();
                times.push_back(timer.nsecsElapsed());
            }
            std::sort(times.begin(), times.end());
            std::fprintf(stderr, "%s: %.2f ms (median of %zu searches)\n",
                         text.toUtf8().constData(), double(times[times.size() / 2]) / 1e6,
                         times.size());
        }
    }
    if (std::fwrite(out.constData(), 1, size_t(out.size()), stdout) != size_t(out.size())
        || std::fflush(stdout) != 0) {
        complain(QStringLiteral("cannot write to stdout"));
        return 1;
    }
    return 0;
}

int contents(const QByteArrayList &allArgs)
{
    QByteArrayList none;
    const QByteArrayList args = operands(allArgs, {}, &none);
    if (args.size() != 1)
        return usageError("contents takes one argument, the collection");
    const QByteArray &path = args.front();
    HadithTable table;
    Error error;
    if (!ChildRead::read(path, &table, &error)) {
        complain(QStringLiteral("cannot read %1: %2").arg(shown(path), error.detail));
        return 1;
    }
    const Contents made(table);
    QByteArray out;
    for (const Contents::Book &book : made.books()) {
        out += fieldText(book.name) + '\t' + QByteArray::number(book.hadiths) + '\n';
        for (const Contents::Chapter &chapter : book.chapters)
            out += '\t' + fieldText(chapter.name) + '\t' + QByteArray::number(chapter.hadiths)
                + '\n';
    }
    if (std::fwrite(out.constData(), 1, size_t(out.size()), stdout) != size_t(out.size())
        || std::fflush(stdout) != 0) {
        complain(QStringLiteral("cannot write to stdout: %1")
                     .arg(QString::fromLocal8Bit(std::strerror(errno))));
        return 1;
    }
    return 0;
}

struct Command {
    const char *name;
    int (*run)(const QByteArrayList &args);
};

const Command kCommands[] = {
    {"build", build},
    {"dump", dump},
    {"search", search},
    {"contents", contents},
};

} // namespace

int main(int argc, char **argv)
{
    setUpProcess();
    if (argc < 2)
        return usageError("no command given");
    const char *name = argv[1];
    if (std::strcmp(name, "-h") == 0 || std::strcmp(name, "--help") == 0
        || std::strcmp(name, "help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (std::strcmp(name, "--version") == 0 || std::strcmp(name, "version") == 0) {
        std::fputs("tembra-mdb " TEMBRA_VERSION "\n", stdout);
        return 0;
    }
    QByteArrayList args;
    for (int i = 2; i < argc; ++i)
        args << QByteArray(argv[i]);
    for (const Command &c : kCommands) {
        if (std::strcmp(name, c.name) != 0)
            continue;
        try {
            return c.run(args);
        } catch (const std::bad_alloc &) {
            complain(QStringLiteral("out of memory"));
            return 1;
        }
    }
    std::fprintf(stderr, "tembra-mdb: unknown command \"%s\"\n%s", name, kUsage);
    return kUsageExit;
}
