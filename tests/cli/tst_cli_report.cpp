// The command line's clean report and path forms, driven in-process: here a location can vanish
// between the scan and the removal, which a run of the binary cannot arrange.

#include "cli.h"
#include "cli_fixture.h"
#include "path_text.h"
#include "test_home.h"

#include <QJsonArray>
#include <QTest>

using namespace orvane;
using namespace orvane::cli;
using namespace clifixture;

namespace {

CleanupFile item(const QByteArray& path, qint64 size, bool selected)
{
    CleanupFile f;
    f.name = QString::fromUtf8(path.mid(path.lastIndexOf('/') + 1));
    f.url = path;
    f.sizeInBytes = size;
    f.isSelected = selected;
    return f;
}

QStringList strings(const QJsonValue& array)
{
    QStringList out;
    for (const QJsonValue& v : array.toArray())
        out.append(v.toString());
    return out;
}

} // namespace

class TestCliReport : public QObject
{
    Q_OBJECT

private:
    int m_count = 0;

    QByteArray freshFolder()
    {
        const QByteArray dir = QFile::encodeName(QDir::homePath()) + "/report-" + QByteArray::number(++m_count);
        QDir(QFile::decodeName(dir)).removeRecursively();
        return dir;
    }

private slots:
    // Removal acts only inside HOME: the test's own, as CTest sets it.
    void initTestCase()
    {
        QVERIFY(testing::inOwnTestHome());
    }

    void utf8Validity_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("valid");
        QTest::newRow("ascii") << QByteArray("/home/a b%c") << true;
        QTest::newRow("two bytes") << QByteArray("caf\xc3\xa9") << true;
        QTest::newRow("four bytes") << QByteArray("\xf0\x9f\x94\xa5") << true;
        QTest::newRow("latin-1") << QByteArray("caf\xe9") << false;
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << false;
        QTest::newRow("overlong three") << QByteArray("\xe0\x80\xaf") << false;
        QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << false;
        QTest::newRow("above U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << false;
        QTest::newRow("cut short") << QByteArray("ab\xe2\x82") << false;
        QTest::newRow("stray continuation") << QByteArray("a\x80") << false;
    }

    void utf8Validity()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, valid);
        // The path itself when it is UTF-8, else the Base64 of its exact bytes.
        const QString json = jsonPath("/x/" + bytes);
        if (valid)
            QCOMPARE(json, QString::fromUtf8("/x/" + bytes));
        else
            QCOMPARE(json, QStringLiteral("base64:") + QString::fromLatin1(("/x/" + bytes).toBase64()));
    }

    void readableForms()
    {
        QCOMPARE(readablePath("/a/caf\xc3\xa9 b"), QStringLiteral("/a/café b"));
        QCOMPARE(readablePath("/a/x\ny"), QStringLiteral("/a/x\\x0ay"));
        QCOMPARE(readablePath("/a/\xff\xfe"), QStringLiteral("/a/\\xff\\xfe"));
        QCOMPARE(readablePath("/a/back\\slash"), QStringLiteral("/a/back\\\\slash"));
        QCOMPARE(readablePath("/a/\x7f"), QStringLiteral("/a/\\x7f"));
        // A literal "\xff" typed in a name cannot pass for the byte.
        QVERIFY(readablePath("/a/\\xff") != readablePath("/a/\xff"));
    }

    // A location gone since the scan, and a leftover that never existed, are reported as not
    // removed and add nothing to the freed figure; everything else still goes. Freed is the disk
    // space that came back, trashed the sizes moved to the Trash.
    void vanishedLocations_data()
    {
        QTest::addColumn<RemovalStyle>("style");
        QTest::newRow("permanent") << RemovalStyle::permanent;
        QTest::newRow("trash") << RemovalStyle::trash;
    }

    void vanishedLocations()
    {
        QFETCH(RemovalStyle, style);
        const QByteArray dir = freshFolder();
        QVERIFY(writeFile(dir + "/a", 100));
        QVERIFY(writeFile(dir + "/b", 200));
        QVERIFY(writeFile(dir + "/kept", 50));
        QVERIFY(writeFile(dir + "/Tool.app/Contents/MacOS/Tool", 1000));
        QVERIFY(writeFile(dir + "/leftovers/cache/x", 300));

        CleanupCategory files, apps;
        files.files = {item(dir + "/a", 100, true), item(dir + "/b", 200, true), item(dir + "/kept", 50, false)};
        CleanupFile app = item(dir + "/Tool.app", 1000 + 300 + 40, true);
        app.extraURLs = {dir + "/leftovers/cache", dir + "/leftovers/prefs.plist"};
        app.extraSizes = {300, 40};
        apps.files = {app};

        QVERIFY(QFile::remove(QFile::decodeName(dir + "/b"))); // gone between scan and removal
        qint64 disk = 0;
        for (const char* went : {"/a", "/Tool.app", "/leftovers/cache"})
            disk += fixture::ref::allocatedSize(dir + went);
        const bool forGood = style == RemovalStyle::permanent;

        const CleanReport r = cleanCategories({files, apps}, style, true);
        QCOMPARE(r.performed, true);
        QCOMPARE(r.targets.size(), 5);
        QCOMPARE(r.selected, 100 + 200 + 1000 + 300 + 40);
        QCOMPARE(r.removed, (FilePaths{dir + "/a", dir + "/Tool.app", dir + "/leftovers/cache"}));
        QCOMPARE(r.failed, (FilePaths{dir + "/b", dir + "/leftovers/prefs.plist"}));
        QCOMPARE(r.results.size(), 5);
        QCOMPARE(r.results[1].reason, RemovalReason::gone);
        QCOMPARE(r.results[4].reason, RemovalReason::gone);
        QVERIFY(r.partlyRemoved.isEmpty());
        QCOMPARE(r.freed, forGood ? disk : 0);
        QCOMPARE(r.trashed, forGood ? 0 : 100 + 1000 + 300);
        QVERIFY(!exists(dir + "/a") && !exists(dir + "/Tool.app") && !exists(dir + "/leftovers/cache"));
        QVERIFY(exists(dir + "/kept"));

        const QJsonObject o = cleanJson(QStringLiteral("apps"), r);
        QCOMPARE(o.value(QStringLiteral("freed")).toInteger(), r.freed);
        QCOMPARE(o.value(QStringLiteral("trashed")).toInteger(), r.trashed);
        QCOMPARE(strings(o.value(QStringLiteral("failed"))),
                 (QStringList{QFile::decodeName(dir + "/b"), QFile::decodeName(dir + "/leftovers/prefs.plist")}));
        QCOMPARE(strings(o.value(QStringLiteral("removed"))).size(), 3);
    }
};

QTEST_GUILESS_MAIN(TestCliReport)
#include "tst_cli_report.moc"
