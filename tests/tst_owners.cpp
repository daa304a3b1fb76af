// The owners of a file descriptor and of a memory mapping: what moving, giving up and
// replacing what they hold does. The truth is the system's: fcntl says whether a number
// is open, mincore whether a page is mapped.

#include "base/mapping.h"
#include "base/uniquefd.h"

#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>

using namespace tembra;

namespace {

bool isOpen(int fd)
{
    return ::fcntl(fd, F_GETFD) != -1;
}

int openNull()
{
    return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

bool isMapped(void *at)
{
    unsigned char resident = 0;
    return ::mincore(at, 1, &resident) == 0;
}

} // namespace

class TestOwners : public QObject {
    Q_OBJECT

private slots:
    void descriptorOwnership_data();
    void descriptorOwnership();
    void mappingMovesAndGrows();
};

void TestOwners::descriptorOwnership_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<bool>("firstOpen"); // the first descriptor, once its owners are gone

    QTest::newRow("moved into a new owner, closed once with it") << "move-construct" << false;
    QTest::newRow("moved onto an owner: its own closed, the moved one kept until it goes")
        << "move-assign" << false;
    QTest::newRow("moved onto itself: kept") << "self-move" << true;
    QTest::newRow("given up: left open") << "release" << true;
    QTest::newRow("replaced: the old closed, the new one held") << "reset" << false;
    QTest::newRow("replaced by itself: kept") << "reset-same" << true;
}

void TestOwners::descriptorOwnership()
{
    QFETCH(QString, step);
    QFETCH(bool, firstOpen);

    const int first = openNull();
    int second = -1;
    int released = -1;
    {
        UniqueFd owner(first);
        if (step == QLatin1String("move-construct")) {
            UniqueFd taken(std::move(owner));
            QCOMPARE(owner.get(), -1);
            QCOMPARE(taken.get(), first);
            QVERIFY(isOpen(first));
        } else if (step == QLatin1String("move-assign")) {
            second = openNull();
            UniqueFd other(second);
            other = std::move(owner);
            QVERIFY(!isOpen(second)); // the one it held, closed at once
            QVERIFY(isOpen(first));
            QCOMPARE(owner.get(), -1);
        } else if (step == QLatin1String("self-move")) {
            UniqueFd &same = owner;
            owner = std::move(same);
            QCOMPARE(owner.get(), first);
            released = owner.release();
        } else if (step == QLatin1String("release")) {
            released = owner.release();
            QCOMPARE(owner.get(), -1);
        } else if (step == QLatin1String("reset")) {
            second = openNull();
            owner.reset(second);
            QVERIFY(!isOpen(first));
            QVERIFY(isOpen(second));
        } else if (step == QLatin1String("reset-same")) {
            owner.reset(first);
            QVERIFY(isOpen(first));
            released = owner.release();
        }
    }
    QCOMPARE(isOpen(first), firstOpen);
    if (second >= 0)
        QVERIFY(!isOpen(second)); // a second one an owner took
    if (released >= 0)
        ::close(released);
}

void TestOwners::mappingMovesAndGrows()
{
    const long page = ::sysconf(_SC_PAGESIZE);
    const UniqueFd file(::memfd_create("owners", MFD_CLOEXEC));
    QVERIFY(file.isOpen() && ::ftruncate(file.get(), 4 * page) == 0);

    void *at = nullptr;
    {
        Mapping mapping = Mapping::ofFile(file.get(), size_t(page), PROT_READ | PROT_WRITE);
        QVERIFY(mapping.isMapped());
        at = mapping.data();
        static_cast<char *>(at)[0] = 'x';
        Mapping moved(std::move(mapping));
        QVERIFY(!mapping.isMapped());
        QCOMPARE(moved.data(), at);
        mapping.reset(); // holds nothing: undoes nothing
        QVERIFY(isMapped(at));

        // Grown, perhaps elsewhere, with what it held; refused, it stays as it was.
        QVERIFY(moved.resize(size_t(4 * page)));
        QCOMPARE(moved.size(), size_t(4 * page));
        QCOMPARE(static_cast<char *>(moved.data())[0], 'x');
        at = moved.data();
        QVERIFY(!moved.resize(size_t(1) << 62));
        QCOMPARE(moved.data(), at);
        QCOMPARE(moved.size(), size_t(4 * page));
        QVERIFY(isMapped(static_cast<char *>(at) + 3 * page));

        Mapping other = Mapping::ofFile(file.get(), size_t(page), PROT_READ);
        void *otherAt = other.data();
        other = std::move(moved); // what other held is undone at once
        QVERIFY(!isMapped(otherAt) || otherAt == at);
        QCOMPARE(other.data(), at);
    }
    QVERIFY(!isMapped(at));
    QVERIFY(!Mapping::ofFile(-1, size_t(page), PROT_READ).isMapped());
}

QTEST_GUILESS_MAIN(TestOwners)
#include "tst_owners.moc"
