#include "model_types.h"

#include <QSet>
#include <QTest>

using namespace orvane;

class TestModel : public QObject
{
    Q_OBJECT

    static CleanupFile file(qint64 size, bool selected)
    {
        CleanupFile f;
        f.sizeInBytes = size;
        f.isSelected = selected;
        return f;
    }

private slots:
    // A section built before a language change is the same section after it; ids are exact.
    void identity()
    {
        const SidebarSection es{"apps", "Aplicaciones", "x"}, en{"apps", "Applications", "y"}, other{"Apps", "Applications", "y"};
        QCOMPARE((QSet<SidebarSection>{es, en, other}.size()), 2);
        QVERIFY(!(en == other));
    }

    // Sums beyond 32 bits. (An app's own share, without its leftovers: tst_installed_apps.)
    void sizes()
    {
        CleanupCategory c;
        QCOMPARE(c.selectedSize(), 0);
        c.files = {file(10, true), file(20, false), file(5'000'000'000LL, true)};
        QCOMPARE(c.selectedSize(), 5'000'000'010LL);
        QCOMPARE(c.totalSize(), 5'000'000'030LL);
        // A duplicate group with every copy selected keeps its first copy, which is not counted.
        for (CleanupFile& f : c.files) {
            f.isSelected = true;
            f.stamp = FileStamp{f.sizeInBytes, 0, 0, 0};
        }
        QCOMPARE(c.selectedSize(), 5'000'000'020LL);
    }
};

QTEST_GUILESS_MAIN(TestModel)
#include "tst_model.moc"
