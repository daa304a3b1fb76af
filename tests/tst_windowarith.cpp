// The main window's arithmetic in twips: the layout pass, the centring at load, the
// enlarge/restore toggle, the splash fade and the banner text. The expected values are
// typed from the design tables, never taken from the program's constants.

#include "collection/layoutpass.h"

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

} // namespace

class TestWindowArith : public QObject {
    Q_OBJECT

private slots:
    void layoutTable_data();
    void layoutTable();
    void layoutMinimisedChangesNothing();
    void layoutClampsBelowSmallestWindow_data();
    void layoutClampsBelowSmallestWindow();
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

    const LayoutResult result = layoutPass(width, height, false, layoutDesignGeometry());
    QVERIFY(result.geometry.count(control));
    QCOMPARE(::field(result.geometry.at(control), field), expected);
    QCOMPARE(result.pic1BackColor.value_or(0), 0xFFFF00u);
}

void TestWindowArith::layoutMinimisedChangesNothing()
{
    const TwipsGeometry before = laidOut(15360, 11040, layoutDesignGeometry());
    // A minimised window reports a tiny size; laying out for it would wreck the layout.
    const LayoutResult result = layoutPass(2400, 450, true, before);
    QVERIFY(result.geometry == before);
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

    const TwipsGeometry g = laidOut(width, height, layoutDesignGeometry());
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

QTEST_GUILESS_MAIN(TestWindowArith)
#include "tst_windowarith.moc"
