// A second process on a bookmarks file, for tst_bookmarks: what a reader in another window
// does (two stores at once), and what happens to one that is killed or runs out of room
// (which the suite cannot do to its own process).
//
//   bookmarkprobe marks FILE FIRST COUNT LENGTH [wait]
//       marks hadiths FIRST .. FIRST+COUNT-1 (book "probe", a text of LENGTH characters),
//       saying "saved N" as each mark returns; at the first failure says "failed KIND",
//       "shown ..." and "detail ...", then "count N" for what the store still reads, and
//       exits 4. After the last, "done"; with wait, then waits to be killed.
//   bookmarkprobe list FILE
//       says "readonly 0|1" and "count N".
// It exits 3, saying "open-failed KIND" and "detail ...", when the file does not open.

#include "base/processsetup.h"
#include "bookmarks/bookmarkstore.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <unistd.h>

using namespace tembra;

namespace {

void say(const QString &line)
{
    QString oneLine = line;
    oneLine.replace(QLatin1Char('\n'), QLatin1String(" | "));
    std::fputs((oneLine + QLatin1Char('\n')).toUtf8().constData(), stdout);
    std::fflush(stdout);
}

void sayFailure(const char *what, const Error &error)
{
    say(QLatin1String(what) + QLatin1Char(' ') + QString::number(int(error.kind)));
    say(QLatin1String("shown ") + error.shown);
    say(QLatin1String("detail ") + error.detail);
}

void sayCount(const BookmarkStore &store)
{
    std::vector<Bookmark> all;
    Error error;
    if (!store.all(&all, &error))
        sayFailure("read-failed", error);
    say(QStringLiteral("count %1").arg(all.size()));
}

} // namespace

int main(int argc, char *argv[])
{
    setUpProcess();
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    BookmarkStore store;
    Error error;
    if (!store.open(QFile::encodeName(args[2]), &error)) {
        sayFailure("open-failed", error);
        return 3;
    }
    if (args[1] == QLatin1String("list")) {
        say(QStringLiteral("readonly %1").arg(store.isReadOnly() ? 1 : 0));
        sayCount(store);
        return 0;
    }
    if (args[1] != QLatin1String("marks") || args.size() < 6)
        return 2;
    const int first = args[3].toInt();
    const int count = args[4].toInt();
    const int length = args[5].toInt();
    for (int n = first; n < first + count; ++n) {
        Record record;
        record[Column::Book] = QStringLiteral("probe");
        record[Column::Number] = QString::number(n);
        record[Column::Heading] = QStringLiteral(u"عن أبي هريرة");
        QString text = QString::number(n) + QLatin1Char(' ');
        while (text.size() < length)
            text += QStringLiteral(u"قَالَ رَسُولُ اللَّهِ ");
        record[Column::Text] = text.left(std::max<qsizetype>(length, 1));
        if (!store.mark(record, QStringLiteral("note %1").arg(n), nullptr, &error)) {
            sayFailure("failed", error);
            sayCount(store);
            return 4;
        }
        say(QStringLiteral("saved %1").arg(n));
    }
    say(QStringLiteral("done"));
    if (args.size() > 6 && args[6] == QLatin1String("wait")) {
        for (;;)
            ::pause();
    }
    return 0;
}
