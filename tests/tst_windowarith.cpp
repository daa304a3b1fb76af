// The main window's arithmetic in twips: the layout pass, the centring at load, the
// enlarge/restore toggle, the splash fade and the banner text. The expected values are
// typed from the design tables, never taken from the program's constants.

#include "base/texts.h"
#include "design/banner.h"
#include "design/layoutpass.h"
#include "design/splashfade.h"
#include "design/windowplace.h"

#include <QRectF>
#include <QTest>

using namespace tembra;

namespace {

enum Field { Left, Top, Width, Height };

float field(const TwipsRect &r, int f)
{
    switch (f) {
    case Left: return r.left;
    case Top: return r.top;
    case Width: return r.width;
    default: return r.height;
    }
}

TwipsGeometry laidOut(float width, float height, const TwipsGeometry &from)
{
    return layoutPass(width, height, false, from).geometry;
}

// The tabular Islamic calendar, civil epoch (1 Muharram 1 AH = 16 July 622 Julian, day
// 1948440): the Julian day number of a Hijri date. Leap years put the 30th day on
// Dhu al-Hijja, 11 in each 30 years.
qint64 tabularHijriToJulianDay(qint64 year, qint64 month, qint64 day)
{
    const qint64 beforeYear = (year - 1) * 354 + (3 + 11 * year) / 30;
    const qint64 beforeMonth = 29 * (month - 1) + month / 2;
    return 1948439 + beforeYear + beforeMonth + day;
}

// The Julian day number of a proleptic Gregorian date (Fliegel and Van Flandern).
qint64 gregorianToJulianDay(qint64 y, qint64 m, qint64 d)
{
    const qint64 a = (m - 14) / 12;
    return (1461 * (y + 4800 + a)) / 4 + (367 * (m - 2 - 12 * a)) / 12
        - (3 * ((y + 4900 + a) / 100)) / 4 + d - 32075;
}

// The banner's pieces, whose code points the window tests check.
QString heading()
{
    return texts::bannerHeading();
}

} // namespace

class TestWindowArith : public QObject {
    Q_OBJECT

private slots:
    void layoutTable_data();
    void layoutTable();
    void layoutMinimisedChangesNothing();
    void layoutClampsBelowSmallestWindow_data();
    void layoutClampsBelowSmallestWindow();
    void centring_data();
    void centring();
    void toggle_data();
    void toggle();
    void enlargeThenRestoreGivesTheDesignLayout();
    void fadeSequence();
    void bannerText();
    void hijriDate_data();
    void hijriDate();
};

// Both columns of the geometry table: the design size and the enlarged size on a
// 1024 × 768 screen.
void TestWindowArith::layoutTable_data()
{
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("field");
    QTest::addColumn<float>("expected");

    struct Row {
        const char *control;
        Field field;
        float atDesign; // 15045 × 9015
        float enlarged; // 15360 × 11040
    };
    static const Row rows[] = {
        {"Ima1(2)", Left, 14970, 15285},   {"Ima1(3)", Top, 8940, 10965},
        {"Ima1(8)", Width, 15015, 15330},  {"Label19", Width, 15015, 15330},
        {"La1", Left, 14750, 15065},       {"La2", Left, 14500, 14815},
        {"La3", Left, 14275, 14590},       {"Im1", Left, 14245, 14560},
        {"Pic1", Left, 120, 120},          {"Pic1", Top, 5160, 7185},
        {"Pic1", Width, 14805, 15120},     {"Label18", Top, 4830, 6855},
        {"Label18", Width, 14805, 15120},  {"Label17", Left, 15, 15},
        {"Label17", Top, 15, 15},          {"Label17", Width, 14745, 15060},
        {"Label17", Height, 3675, 3675},   {"DataGrid1", Left, 15, 15},
        {"DataGrid1", Top, 15, 15},        {"DataGrid1", Width, 14745, 15060},
        {"DataGrid1", Height, 3675, 3675}, {"Text1", Left, 120, 120},
        {"Text1", Top, 810, 810},          {"Text1", Width, 11445, 11760},
        {"Text1", Height, 3800, 5825},     {"Label16", Top, 465, 465},
        {"Label16", Width, 11445, 11760},  {"Text2", Left, 12360, 12675},
        {"Text2", Top, 810, 810},          {"Command1", Left, 11775, 12090},
        {"Command1", Top, 810, 810},       {"Pic2", Left, 11790, 12105},
        {"Pic2", Top, 1545, 1545},         {"Ima1(10)", Left, 11640, 11955},
        {"Ima1(10)", Top, 360, 360},       {"Ima1(10)", Height, 4340, 6365},
        {"Ima1(11)", Left, 45, 45},        {"Ima1(11)", Top, 4680, 6705},
        {"Ima1(11)", Width, 14955, 15270}, {"Ima1(12)", Left, 11685, 12000},
        {"Ima1(12)", Top, 1335, 1335},     {"Ima1(12)", Width, 3300, 3300},
        {"Pic3", Left, 11790, 12105},      {"Pic3", Top, 4070, 6095},
        {"Label20", Left, 11775, 12090},   {"Label20", Top, 465, 465},
        {"Label20", Width, 3150, 3150},
    };
    static const char *const fieldNames[] = {"Left", "Top", "Width", "Height"};
    for (const Row &row : rows) {
        QTest::addRow("design %s.%s", row.control, fieldNames[row.field])
            << 15045.0f << 9015.0f << QString::fromLatin1(row.control) << int(row.field)
            << row.atDesign;
        QTest::addRow("enlarged %s.%s", row.control, fieldNames[row.field])
            << 15360.0f << 11040.0f << QString::fromLatin1(row.control) << int(row.field)
            << row.enlarged;
    }
}

void TestWindowArith::layoutTable()
{
    QFETCH(float, width);
    QFETCH(float, height);
    QFETCH(QString, control);
    QFETCH(int, field);
    QFETCH(float, expected);

    const LayoutResult result = layoutPass(width, height, false, TwipsGeometry());
    QVERIFY(result.geometry.count(control));
    QCOMPARE(::field(result.geometry.at(control), field), expected);
    QCOMPARE(result.pic1BackColor.value_or(0), 0xFFFF00u);
}

void TestWindowArith::layoutMinimisedChangesNothing()
{
    const TwipsGeometry before = laidOut(15360, 11040, TwipsGeometry());
    // A minimised window reports a tiny size; laying out for it would wreck the layout.
    const LayoutResult result = layoutPass(2400, 450, true, before);
    QVERIFY(result.geometry.empty());
    QVERIFY(!result.pic1BackColor);
}

// Below 3600 × 5215 twips the rules give negative sizes; each becomes zero and what is read
// back from it afterwards is the zero.
void TestWindowArith::layoutClampsBelowSmallestWindow_data()
{
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    QTest::addColumn<float>("label17Width");
    QTest::addColumn<float>("pic3Top");
    QTest::addColumn<float>("ima10Height");

    QTest::newRow("smallest 3600x5215") << 3600.0f << 5215.0f << 3300.0f << 270.0f << 540.0f;
    QTest::newRow("narrower and lower") << 3000.0f << 4000.0f << 2700.0f << 270.0f << 540.0f;
    QTest::newRow("tiny") << 50.0f << 20.0f << 0.0f << 270.0f << 540.0f;
}

void TestWindowArith::layoutClampsBelowSmallestWindow()
{
    QFETCH(float, width);
    QFETCH(float, height);
    QFETCH(float, label17Width);
    QFETCH(float, pic3Top);
    QFETCH(float, ima10Height);

    const TwipsGeometry g = laidOut(width, height, TwipsGeometry());
    for (const auto &[name, rect] : g) {
        QVERIFY2(rect.width >= 0 && rect.height >= 0, qPrintable(name));
    }
    QCOMPARE(g.at(QStringLiteral("Text1")).width, 0.0f);
    QCOMPARE(g.at(QStringLiteral("Text1")).height, 0.0f);
    QCOMPARE(g.at(QStringLiteral("Label16")).width, 0.0f);
    QCOMPARE(g.at(QStringLiteral("Text2")).left, 915.0f); // 120 + 0 + 240 + 555
    QCOMPARE(g.at(QStringLiteral("Label17")).width, label17Width);
    QCOMPARE(g.at(QStringLiteral("Pic3")).top, pic3Top);
    QCOMPARE(g.at(QStringLiteral("Ima1(10)")).height, ima10Height);
}

void TestWindowArith::centring_data()
{
    QTest::addColumn<float>("screenWidth");
    QTest::addColumn<float>("screenHeight");
    QTest::addColumn<float>("windowWidth");
    QTest::addColumn<float>("windowHeight");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");

    QTest::newRow("1024x768") << 15360.0f << 11520.0f << 15045.0f << 9015.0f << 157 << 952;
    // -3045 halves towards zero to -1522; the top would be -307 and is raised to 45.
    QTest::newRow("800x600") << 12000.0f << 9000.0f << 15045.0f << 9015.0f << -1522 << 45;
    QTest::newRow("4154.5 to even 4154")
        << 19200.0f << 11520.0f << 15045.5f << 9015.0f << 2077 << 952;
    QTest::newRow("4155.5 to even 4156")
        << 19200.0f << 11520.0f << 15044.5f << 9015.0f << 2078 << 952;
    // Adding a half and dropping the fraction would give -3045 and -1522.
    QTest::newRow("-3045.5 to even -3046")
        << 12000.0f << 9000.0f << 15045.5f << 9015.0f << -1523 << 45;
    QTest::newRow("top 44 raised") << 15360.0f << 9703.0f << 15045.0f << 9015.0f << 157 << 45;
    QTest::newRow("top 46 kept") << 15360.0f << 9707.0f << 15045.0f << 9015.0f << 157 << 46;
}

void TestWindowArith::centring()
{
    QFETCH(float, screenWidth);
    QFETCH(float, screenHeight);
    QFETCH(float, windowWidth);
    QFETCH(float, windowHeight);
    QFETCH(int, left);
    QFETCH(int, top);

    const CentredPlace place = centredPlace(screenWidth, screenHeight, windowWidth, windowHeight);
    QCOMPARE(place.left, left);
    QCOMPARE(place.top, top);
}

// Sequences of caption-bar actions on a 1024 x 768 screen, starting from the centred
// design window (157, 952, 15045 x 9015).
void TestWindowArith::toggle_data()
{
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QString>("mini");
    QTest::addColumn<QRectF>("place"); // left, top, width, height

    const QRectF normal(157, 952, 15045, 9015);
    const QRectF enlarged(0, 0, 15360, 11040);
    const QRectF moved(3000, 1500, 15045, 9015);
    const auto actions = [](const char *list) {
        return QString::fromLatin1(list).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    };
    QTest::newRow("start") << actions("") << QStringLiteral("1") << normal;
    QTest::newRow("enlarge") << actions("toggle") << QStringLiteral("2") << enlarged;
    QTest::newRow("enlarge, restore") << actions("toggle toggle") << QStringLiteral("1") << normal;
    QTest::newRow("moved, enlarge, restore to the moved place")
        << actions("move toggle toggle") << QStringLiteral("1") << moved;
    QTest::newRow("dragged while enlarged, restore to the place before")
        << actions("toggle move toggle") << QStringLiteral("1") << normal;
    QTest::newRow("minimise while enlarged keeps 2")
        << actions("toggle minimise") << QStringLiteral("2") << enlarged;
    QTest::newRow("after a minimise the toggle restores")
        << actions("toggle minimise unminimise toggle") << QStringLiteral("1") << normal;
    QTest::newRow("minimise while normal, then enlarge")
        << actions("minimise unminimise toggle") << QStringLiteral("2") << enlarged;
    QTest::newRow("twice round") << actions("toggle toggle move toggle toggle")
                                 << QStringLiteral("1") << moved;
}

void TestWindowArith::toggle()
{
    QFETCH(QStringList, actions);
    QFETCH(QString, mini);
    QFETCH(QRectF, place);

    const float screenWidth = 15360;
    const float screenHeight = 11520;
    const CentredPlace start = centredPlace(screenWidth, screenHeight, 15045, 9015);
    QRectF window(start.left, start.top, 15045, 9015);
    EnlargeToggle state(float(window.height()), float(window.width()));
    bool minimised = false;
    for (const QString &action : actions) {
        if (action == QLatin1String("toggle")) {
            QVERIFY(!minimised);
            const WindowPlacement p = state.toggle(float(window.left()), float(window.top()),
                                                   screenWidth, screenHeight);
            window = QRectF(p.left, p.top, p.width, p.height);
        } else if (action == QLatin1String("move")) {
            window.moveTo(3000, 1500);
        } else {
            minimised = action == QLatin1String("minimise");
        }
    }
    QCOMPARE(state.Mini(), mini);
    QCOMPARE(state.enlarged(), mini == QLatin1String("2"));
    QCOMPARE(window, place);
    QCOMPARE(state.SavedLeft().has_value(), actions.contains(QLatin1String("toggle")));
}

// The toggle sets Height, then Width, and each runs a pass; so does the window coming back
// from the task bar. After enlarge and restore every control is where the design size puts it.
void TestWindowArith::enlargeThenRestoreGivesTheDesignLayout()
{
    const TwipsGeometry design = laidOut(15045, 9015, TwipsGeometry());
    EnlargeToggle state(9015, 15045);
    TwipsGeometry g = design;
    float width = 15045;
    float height = 9015;
    const auto apply = [&](const WindowPlacement &p) {
        height = p.height;
        g = laidOut(width, height, g);
        width = p.width;
        g = laidOut(width, height, g);
    };
    apply(state.toggle(157, 952, 15360, 11520));
    QCOMPARE(g.at(QStringLiteral("Text1")).height, 5825.0f);
    QVERIFY(layoutPass(0, 0, true, g).geometry.empty()); // minimised: nothing moves
    apply(state.toggle(0, 0, 15360, 11520));
    QCOMPARE(width, 15045.0f);
    QCOMPARE(height, 9015.0f);
    QVERIFY(g == design);
}

void TestWindowArith::fadeSequence()
{
    SplashFade fade;
    QList<int> applied{fade.FadeAlpha()};
    int handOvers = 0;
    int handOverTick = 0;
    for (int tick = 1; tick <= 20; ++tick) {
        const std::optional<SplashFade::Tick> t = fade.tick();
        if (!t)
            continue;
        applied << t->FadeAlpha;
        if (t->handOver) {
            ++handOvers;
            handOverTick = tick;
        }
    }
    const QList<int> expected{0,   17,  34,  51,  68,  85,  102, 119,
                              136, 153, 170, 187, 204, 221, 238, 255};
    QCOMPARE(applied, expected);
    QCOMPARE(handOvers, 1);
    QCOMPARE(handOverTick, 15);
    QCOMPARE(fade.FadeAlpha(), 255);
}

namespace {

// Digits as Arabic-Indic digits, as Arabic-script locales write them.
QString arabicDigits(QString text)
{
    for (QChar &c : text) {
        if (c.isDigit() && c.unicode() < 0x80)
            c = QChar(char16_t(0x0660 + (c.unicode() - u'0')));
    }
    return text;
}

} // namespace

void TestWindowArith::bannerText()
{
    QCOMPARE(heading().size(), 119);
    // 8 July 2024 is 1 Muharram 1446 in the civil calendar.
    const QDateTime now(QDate(2024, 7, 8), QTime(13, 5, 9));

    // An Arabic-script locale keeps its own formats: Iraqi Arabic writes the day first, with
    // right-to-left marks after the day and the month.
    const QLocale iraqi(QLocale::Arabic, QLocale::Iraq);
    const QString arabic = tembra::bannerText(now, iraqi);
    QVERIFY2(arabic.contains(arabicDigits(QStringLiteral(u"1\u200F/1\u200F/1446"))),
             qPrintable(arabic.mid(119)));
    QVERIFY2(arabic.contains(arabicDigits(QStringLiteral("1:05:09"))), qPrintable(arabic.mid(119)));

    // A locale in another script gives way to Central Kurdish: year, month and day, and the
    // time of a twelve-hour clock with "PM" in Sorani (د.ن).
    const QString kurdish = heading() + texts::hijriLabel()
        + arabicDigits(QStringLiteral("1446-01-01     1:05:09 ")) + QStringLiteral(u"د.ن");
    for (const QLocale &other : {QLocale(QLocale::English, QLocale::UnitedKingdom), QLocale::c(),
                                 QLocale(QLocale::Kurdish, QLocale::Turkey)}) {
        const QString actual = tembra::bannerText(now, other);
        QCOMPARE(actual.toUcs4(), kurdish.toUcs4());
    }

    // A second before midnight the date is the day before.
    QVERIFY(tembra::bannerText(QDateTime(QDate(2024, 7, 7), QTime(23, 59, 59)), QLocale::c())
                .contains(arabicDigits(QStringLiteral("1445-12-30"))));
}

// Known dates of the civil calendar; each row is first checked against the tabular
// arithmetic above, then against what the banner shows.
void TestWindowArith::hijriDate_data()
{
    QTest::addColumn<QDate>("gregorian");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");

    QTest::newRow("epoch") << QDate(622, 7, 19) << 1 << 1 << 1;
    QTest::newRow("R.D. 710347") << QDate(1945, 11, 12) << 1364 << 12 << 6;
    QTest::newRow("leap day of 1445") << QDate(2024, 7, 7) << 1445 << 12 << 30;
    QTest::newRow("1 Muharram 1446") << QDate(2024, 7, 8) << 1446 << 1 << 1;
    QTest::newRow("common year 1446 ends on the 29th") << QDate(2025, 6, 26) << 1446 << 12 << 29;
    QTest::newRow("1 Muharram 1447") << QDate(2025, 6, 27) << 1447 << 1 << 1;
}

void TestWindowArith::hijriDate()
{
    QFETCH(QDate, gregorian);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);

    QCOMPARE(tabularHijriToJulianDay(year, month, day),
             gregorianToJulianDay(gregorian.year(), gregorian.month(), gregorian.day()));
    const QString banner = tembra::bannerText(QDateTime(gregorian, QTime(12, 0)), QLocale::c());
    const QString date = arabicDigits(QString::asprintf("%04d-%02d-%02d", year, month, day));
    QVERIFY2(banner.contains(texts::hijriLabel() + date + QStringLiteral("     ")),
             qPrintable(banner.mid(119)));
}

QTEST_GUILESS_MAIN(TestWindowArith)
#include "tst_windowarith.moc"
