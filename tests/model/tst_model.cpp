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
    void sectionsAreEqualByIdAlone()
    {
        const SidebarSection a{QStringLiteral("apps"), QStringLiteral("Aplicaciones"), QStringLiteral("x")};
        const SidebarSection b{QStringLiteral("apps"), QStringLiteral("Applications"), QStringLiteral("y")};
        const SidebarSection c{QStringLiteral("Apps"), QStringLiteral("Applications"), QStringLiteral("y")};
        QVERIFY(a == b);
        QCOMPARE(qHash(a), qHash(b));
        QVERIFY(!(a == c));
        QSet<SidebarSection> set{a, b, c};
        QCOMPARE(set.size(), 2);
    }

    void removalStyleFromRawValue()
    {
        QCOMPARE(removalStyleFromRaw(QStringLiteral("permanent")), RemovalStyle::permanent);
        QCOMPARE(removalStyleFromRaw(QStringLiteral("trash")), RemovalStyle::trash);
        QVERIFY(!removalStyleFromRaw(QStringLiteral("Trash")));
        QVERIFY(!removalStyleFromRaw(QString()));
        QCOMPARE(rawValue(RemovalStyle::permanent), QStringLiteral("permanent"));
    }

    void selectedSizeCountsOnlySelectedFiles()
    {
        CleanupCategory empty;
        QCOMPARE(empty.selectedSize(), 0);
        CleanupCategory none;
        none.files = {file(10, false), file(20, false)};
        QCOMPARE(none.selectedSize(), 0);
        QCOMPARE(none.totalSize(), 30);
        CleanupCategory some;
        some.files = {file(10, true), file(20, false), file(5'000'000'000LL, true)};
        QCOMPARE(some.selectedSize(), 5'000'000'010LL);
        QVERIFY(!some.isExpanded);
    }

    void identifiersAreFresh()
    {
        const CleanupFile a = file(1, true);
        const CleanupFile b = file(1, true);
        QVERIFY(a.id != b.id);
        QVERIFY(!a.id.isNull());
        CleanupCategory c1, c2;
        QVERIFY(c1.id != c2.id);
        SpaceEntry s1, s2;
        QVERIFY(s1.id != s2.id);
    }

    void ownSizeLeavesOutLeftovers()
    {
        CleanupFile app = file(3000, true);
        app.extraURLs = {QByteArray("/h/Library/Caches/x"), QByteArray("/h/Library/Logs/x")};
        app.extraSizes = {1000, 500};
        QCOMPARE(app.ownSize(), 1500);
    }
};

QTEST_GUILESS_MAIN(TestModel)
#include "tst_model.moc"
