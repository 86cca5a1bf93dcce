#include "engine.h"
#include "fixture.h"
#include "paths.h"
#include "walker.h"

#include <plist/plist.h>

#include <QTest>

#include <cstdlib>

using namespace orvane;

namespace {

constexpr qint64 MiB = 1024 * 1024;

QByteArray plistWithIdentifier(const QByteArray& identifier, bool binary)
{
    plist_t dict = plist_new_dict();
    plist_dict_set_item(dict, "CFBundleName", plist_new_string("Probe"));
    plist_dict_set_item(dict, "CFBundleIdentifier", plist_new_string(identifier.constData()));
    char* data = nullptr;
    uint32_t length = 0;
    if (binary)
        plist_to_bin(dict, &data, &length);
    else
        plist_to_xml(dict, &data, &length);
    QByteArray bytes(data, qsizetype(length));
    std::free(data);
    plist_free(dict);
    return bytes;
}

// Hand-made binary plists, for shapes no writer produces. `objects` are encoded objects whose
// references are `refWidth` bytes wide; object 0 is the top.
QByteArray binaryPlist(const QList<QByteArray>& objects, int refWidth)
{
    QByteArray out("bplist00");
    QList<quint32> offsets;
    for (const QByteArray& object : objects) {
        offsets.append(quint32(out.size()));
        out += object;
    }
    const quint64 table = quint64(out.size());
    for (quint32 offset : offsets)
        for (int b = 3; b >= 0; --b)
            out += char((offset >> (8 * b)) & 0xFF);
    QByteArray trailer(32, '\0');
    trailer[6] = 4;
    trailer[7] = char(refWidth);
    for (int b = 0; b < 8; ++b) {
        trailer[8 + b] = char((quint64(objects.size()) >> (8 * (7 - b))) & 0xFF);
        trailer[24 + b] = char((table >> (8 * (7 - b))) & 0xFF);
    }
    return out + trailer;
}

QByteArray ref(quint64 index, int width)
{
    QByteArray out;
    for (int b = width - 1; b >= 0; --b)
        out += char((index >> (8 * b)) & 0xFF);
    return out;
}

QByteArray asciiString(const QByteArray& text)
{
    if (text.size() < 15)
        return char(0x50 | text.size()) + text;
    return QByteArray("\x5F\x10", 2) + char(text.size()) + text;
}

// A dict {CFBundleIdentifier: id, payload: object 4}; `tail` are objects 4 and on.
QByteArray dictWithPayload(const QList<QByteArray>& tail, int refWidth)
{
    QList<QByteArray> objects{
        QByteArray("\xD2", 1) + ref(1, refWidth) + ref(2, refWidth) + ref(3, refWidth) + ref(4, refWidth),
        asciiString("CFBundleIdentifier"),
        asciiString("payload"),
        asciiString("com.example.probe"),
    };
    return binaryPlist(objects + tail, refWidth);
}

using fixture::writeBytes;

// A bundle of exactly `size` bytes; `plist`, when given, is its Contents/Info.plist.
bool makeBundle(const QByteArray& bundle, qint64 size, const QByteArray& plist = {})
{
    if (!plist.isEmpty() && !writeBytes(bundle + "/Contents/Info.plist", plist))
        return false;
    return fixture::writeSparse(bundle + "/Contents/MacOS/binary", size - plist.size());
}

} // namespace

class TestInstalledApps : public QObject
{
    Q_OBJECT

    fixture::TempDir m_home;
    QByteArray m_library;
    QByteArray m_apps;
    QByteArray m_systemApps;

    QByteArray lib(const QByteArray& relative) const { return m_library + '/' + relative; }

private slots:
    void initTestCase()
    {
        // Never the real home: everything happens in a temporary one.
        QVERIFY(m_home.isValid());
        qputenv("HOME", m_home.path());
    }

    void init()
    {
        ::alarm(120);
        const QByteArray home = homeDir();
        QVERIFY(home.startsWith(QFile::encodeName(QDir(QFile::decodeName(m_home.path())).canonicalPath())));
        fixture::removeTree(home);
        QVERIFY(QDir().mkpath(QString::fromUtf8(home)));
        m_library = home + "/Library";
        m_apps = home + "/Applications";
        m_systemApps = home + "/system/Applications";
        QVERIFY(QDir().mkpath(QString::fromUtf8(m_apps)));
        QVERIFY(QDir().mkpath(QString::fromUtf8(m_systemApps)));
    }
    void cleanup() { ::alarm(0); }

    // Bundles from 1 MiB up; leftovers count in the size (and so in the order), and each one's
    // scan-time size is kept.
    void sizeThresholdAndLeftovers()
    {
        QVERIFY(makeBundle(m_apps + "/Small.app", MiB - 1));
        QVERIFY(makeBundle(m_apps + "/Exact.app", MiB));
        QVERIFY(makeBundle(m_apps + "/Big.app", 50 * MiB, plistWithIdentifier("com.example.big", false)));
        QVERIFY(fixture::writeSparse(lib("Containers/com.example.big/Data/blob"), 2000 * MiB));
        QVERIFY(makeBundle(m_apps + "/Plain.app", 1000 * MiB));
        const QList<CleanupFile> apps = scanInstalledApps(false, {m_apps});
        QCOMPARE(apps.size(), 3);
        QCOMPARE(apps[0].name, QStringLiteral("Big"));
        QCOMPARE(apps[0].sizeInBytes, 2050 * MiB);
        QCOMPARE(apps[0].extraURLs, FilePaths{lib("Containers/com.example.big")});
        QCOMPARE(apps[0].extraSizes, QList<qint64>{2000 * MiB});
        QCOMPARE(apps[0].ownSize(), 50 * MiB);
        QCOMPARE(apps[1].name, QStringLiteral("Plain"));
        QVERIFY(!apps[1].isSelected);
        QCOMPARE(apps[2].url, m_apps + "/Exact.app");
        QCOMPARE(apps[2].sizeInBytes, MiB);
        QVERIFY(apps[2].extraURLs.isEmpty() && apps[2].extraSizes.isEmpty());
        QVERIFY(scanInstalledApps(true, {m_apps})[2].isSelected);
    }

    // Every row of the leftover table, in table order; only what exists; hidden group folders
    // too; each leftover measured on its own.
    void leftoverTableOrder()
    {
        const QByteArray id = "com.example.editor";
        QVERIFY(makeBundle(m_apps + "/Editor.app", 2 * MiB, plistWithIdentifier(id, true)));
        const FilePaths expected{
            lib("Application Support/" + id),
            lib("Caches/" + id),
            lib("Preferences/" + id + ".plist"),
            lib("Containers/" + id),
            lib("Saved Application State/" + id + ".savedState"),
            lib("HTTPStorages/" + id),
            lib("WebKit/" + id),
            lib("Application Scripts/" + id),
            lib("Logs/" + id),
            lib("Group Containers/TEAM123." + id),
            lib("Group Containers/" + id + ".shared"),
            lib("Group Containers/." + id + ".hidden"),
            lib("Application Support/Editor"),
            lib("Caches/Editor"),
            lib("Logs/Editor"),
        };
        qint64 size = 1;
        for (const QByteArray& path : expected) {
            if (path.endsWith(".plist"))
                QVERIFY(fixture::writeFile(path, size));
            else
                QVERIFY(fixture::writeFile(path + "/data", size));
            size += 1000;
        }
        QVERIFY(fixture::writeFile(lib("Group Containers/unrelated/data"), 5));
        QVERIFY(fixture::writeFile(lib("Group Containers/com.example.edito/data"), 5));
        QVERIFY(fixture::writeFile(lib("Caches/com.example.editor2/data"), 5));

        const QList<CleanupFile> apps = scanInstalledApps(false, {m_apps});
        QCOMPARE(apps.size(), 1);
        // The group containers come in listing order.
        QSet<QByteArray> groups;
        FilePaths got = apps[0].extraURLs;
        for (qsizetype i = 9; i < 12; ++i)
            groups.insert(got[i]);
        QCOMPARE(groups, QSet<QByteArray>(expected.begin() + 9, expected.begin() + 12));
        QList<QByteArray> listingOrder;
        const auto listed = listFolder(lib("Group Containers"), false);
        QVERIFY(listed);
        for (const ListedEntry& e : *listed)
            if (e.name.contains(id))
                listingOrder.append(e.path);
        QCOMPARE(got.mid(9, 3), listingOrder);
        got.replace(9, expected[9]);
        got.replace(10, expected[10]);
        got.replace(11, expected[11]);
        QCOMPARE(got, expected);

        qint64 extras = 0;
        for (qsizetype i = 0; i < apps[0].extraURLs.size(); ++i) {
            QCOMPARE(apps[0].extraSizes[i], treeSize(apps[0].extraURLs[i]));
            extras += apps[0].extraSizes[i];
        }
        QCOMPARE(apps[0].sizeInBytes, 2 * MiB + extras);
        QCOMPARE(findLeftovers(QString::fromUtf8(id), QStringLiteral("Editor")), apps[0].extraURLs);
    }

    void withoutIdentifierOnlyNameBasedLeftovers()
    {
        QVERIFY(makeBundle(m_apps + "/Editor.app", 2 * MiB));
        QVERIFY(fixture::writeFile(lib("Caches/com.example.editor/x"), 10));
        QVERIFY(fixture::writeFile(lib("Logs/Editor/x"), 10));
        QVERIFY(fixture::writeFile(lib("Caches/Editor/x"), 10));
        const QList<CleanupFile> apps = scanInstalledApps(false, {m_apps});
        QCOMPARE(apps.size(), 1);
        QCOMPARE(apps[0].extraURLs, (FilePaths{lib("Caches/Editor"), lib("Logs/Editor")}));
        QCOMPARE(findLeftovers(std::nullopt, QStringLiteral("Editor")), apps[0].extraURLs);
    }

    // An identifier equal to the name gives each location once; missing locations never appear;
    // a leftover that is a link counts as the link and a dangling one does not exist.
    void leftoverPathsOnceAndLinks()
    {
        QVERIFY(fixture::writeFile(lib("Caches/Same/x"), 10));
        QVERIFY(fixture::writeFile(lib("Logs/Same/x"), 10));
        QCOMPARE(findLeftovers(QStringLiteral("Same"), QStringLiteral("Same")),
                 (FilePaths{lib("Caches/Same"), lib("Logs/Same")}));

        const QByteArray outside = homeDir() + "/outside";
        QVERIFY(fixture::writeSparse(outside + "/huge", qint64(1) << 40));
        QVERIFY(fixture::makeSymlink(outside, lib("Caches/com.example.linked")));
        QVERIFY(fixture::makeSymlink("/no/such/place", lib("Logs/com.example.linked")));
        QVERIFY(makeBundle(m_apps + "/Linked.app", 2 * MiB, plistWithIdentifier("com.example.linked", false)));
        const QList<CleanupFile> apps = scanInstalledApps(false, {m_apps});
        QCOMPARE(apps.size(), 1);
        QCOMPARE(apps[0].extraURLs, FilePaths{lib("Caches/com.example.linked")});
        QCOMPARE(apps[0].extraSizes, QList<qint64>{outside.size()});
    }

    void whichBundlesAreListed()
    {
        QVERIFY(makeBundle(m_apps + "/Shout.APP", 2 * MiB));
        QVERIFY(makeBundle(m_apps + "/Utilities/Inner.app", 2 * MiB));
        QVERIFY(makeBundle(m_apps + "/.Hidden.app", 2 * MiB));
        QVERIFY(makeBundle(homeDir() + "/elsewhere/Real.app", 2 * MiB));
        QVERIFY(fixture::makeSymlink(homeDir() + "/elsewhere/Real.app", m_apps + "/Linked.app"));
        QVERIFY(fixture::writeSparse(m_apps + "/File.app", 2 * MiB));
        QVERIFY(fixture::makeFifo(m_apps + "/Pipe.app"));
        QVERIFY(makeBundle(m_apps + "/Fine.tool.app", 2 * MiB));
        const QList<CleanupFile> apps = scanInstalledApps(false, {m_apps, homeDir() + "/missing"});
        QCOMPARE(apps.size(), 1);
        QCOMPARE(apps[0].name, QStringLiteral("Fine.tool"));
    }

    // The same application in both folders is listed twice with the same leftovers; equal sizes
    // keep root order.
    void bothRoots()
    {
        const QByteArray plist = plistWithIdentifier("com.example.twin", false);
        QVERIFY(makeBundle(m_systemApps + "/Twin.app", 3 * MiB, plist));
        QVERIFY(makeBundle(m_apps + "/Twin.app", 3 * MiB, plist));
        QVERIFY(fixture::writeFile(lib("Preferences/com.example.twin.plist"), 100));
        const QList<CleanupFile> apps = scanInstalledApps(false, {m_systemApps, m_apps});
        QCOMPARE(apps.size(), 2);
        QCOMPARE(apps[0].url, m_systemApps + "/Twin.app");
        QCOMPARE(apps[1].url, m_apps + "/Twin.app");
        QCOMPARE(apps[0].extraURLs, apps[1].extraURLs);
        QCOMPARE(apps[0].sizeInBytes, 3 * MiB + 100);
        QVERIFY(apps[0].id != apps[1].id);
    }

    // Where the identifier comes from, and what is not an identifier: broken, huge, non-regular
    // or linked Info.plist files, and values that would name a place outside the leftover folders.
    void identifierSources_data()
    {
        QTest::addColumn<QByteArray>("contentsPlist"); // "" none; "fifo", "link", "huge" special
        QTest::addColumn<QByteArray>("rootPlist");
        QTest::addColumn<QByteArray>("expectedId"); // "" none

        const QByteArray id = "com.example.probe";
        const QByteArray xml = plistWithIdentifier(id, false);
        const QByteArray bin = plistWithIdentifier(id, true);
        QTest::newRow("xml") << xml << QByteArray() << id;
        QTest::newRow("binary") << bin << QByteArray() << id;
        QTest::newRow("root only") << QByteArray() << bin << id;
        QTest::newRow("broken contents, root fallback") << QByteArray("<?xml garbage") << xml << id;
        QTest::newRow("garbage") << QByteArray("\x00\x01\x02 not a plist", 17) << QByteArray() << QByteArray();
        QTest::newRow("truncated binary") << bin.left(bin.size() - 12) << QByteArray() << QByteArray();
        QTest::newRow("truncated xml") << xml.left(xml.size() / 2) << QByteArray() << QByteArray();
        QTest::newRow("bplist header only") << QByteArray("bplist00") << QByteArray() << QByteArray();
        QTest::newRow("not a string")
            << QByteArray("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>CFBundleIdentifier</key>"
                          "<integer>7</integer></dict></plist>")
            << QByteArray() << QByteArray();
        QTest::newRow("array root")
            << QByteArray("<?xml version=\"1.0\"?><plist version=\"1.0\"><array><string>com.example.probe</string>"
                          "</array></plist>")
            << QByteArray() << QByteArray();
        QTest::newRow("huge") << QByteArray("huge") << QByteArray() << QByteArray();

        // Shared objects are normal in binary plists and fine while the tree they stand for is small.
        QTest::newRow("shared, small") << dictWithPayload({QByteArray("\xA3\x05\x05\x05", 4), QByteArray("\xA0", 1)}, 1)
                                       << QByteArray() << id;
        // Each level holds the next twice: 2^40 nodes from 200 bytes.
        QList<QByteArray> doubling;
        for (int i = 0; i < 40; ++i)
            doubling.append(QByteArray("\xA2", 1) + ref(5 + i, 1) + ref(5 + i, 1));
        doubling.append(QByteArray("\xA0", 1));
        QTest::newRow("expanding binary") << dictWithPayload(doubling, 1) << QByteArray() << QByteArray();
        QTest::newRow("cyclic binary") << dictWithPayload({QByteArray("\xA1\x04", 2)}, 1) << QByteArray()
                                       << QByteArray();
        QList<QByteArray> chain;
        for (int i = 0; i < 100000; ++i)
            chain.append(QByteArray("\xA1", 1) + ref(5 + i, 4));
        chain.append(QByteArray("\xA0", 1));
        QTest::newRow("deep binary") << dictWithPayload(chain, 4) << QByteArray() << QByteArray();
        QTest::newRow("reference out of range") << dictWithPayload({QByteArray("\xA1\x09", 2)}, 1) << QByteArray()
                                                << QByteArray();
        QTest::newRow("deep xml") << QByteArray("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                                                "<key>CFBundleIdentifier</key><string>com.example.probe</string>"
                                                "<key>payload</key>")
                + QByteArray("<array>").repeated(250000) + QByteArray("</array>").repeated(250000)
                + QByteArray("</dict></plist>")
                                  << QByteArray() << QByteArray();
        QTest::newRow("fifo") << QByteArray("fifo") << QByteArray() << QByteArray();
        QTest::newRow("link") << QByteArray("link") << QByteArray() << QByteArray();
        QTest::newRow("empty id") << plistWithIdentifier("", true) << QByteArray() << QByteArray();
        QTest::newRow("dot") << plistWithIdentifier(".", true) << QByteArray() << QByteArray();
        QTest::newRow("dot dot") << plistWithIdentifier("..", false) << QByteArray() << QByteArray();
        QTest::newRow("climbs out") << plistWithIdentifier("../../Documents", false) << QByteArray() << QByteArray();
        QTest::newRow("slash") << plistWithIdentifier("com.example/probe", false) << QByteArray() << QByteArray();
    }
    void identifierSources()
    {
        QFETCH(QByteArray, contentsPlist);
        QFETCH(QByteArray, rootPlist);
        QFETCH(QByteArray, expectedId);
        const QByteArray bundle = m_apps + "/Probe.app";
        QVERIFY(fixture::writeSparse(bundle + "/Contents/MacOS/binary", 2 * MiB));
        const QByteArray contentsPath = bundle + "/Contents/Info.plist";
        if (contentsPlist == "fifo") {
            QVERIFY(fixture::makeFifo(contentsPath));
        } else if (contentsPlist == "link") {
            QVERIFY(writeBytes(homeDir() + "/real.plist", plistWithIdentifier("com.example.probe", false)));
            QVERIFY(fixture::makeSymlink(homeDir() + "/real.plist", contentsPath));
        } else if (contentsPlist == "huge") {
            // Valid XML at the start, then far more than any Info.plist holds.
            QVERIFY(writeBytes(contentsPath, plistWithIdentifier("com.example.probe", false)));
            QVERIFY(::truncate(contentsPath.constData(), 64 * MiB) == 0);
        } else if (!contentsPlist.isEmpty()) {
            QVERIFY(writeBytes(contentsPath, contentsPlist));
        }
        if (!rootPlist.isEmpty())
            QVERIFY(writeBytes(bundle + "/Info.plist", rootPlist));

        // Locations an unsafe identifier would reach, and the one a good one names.
        QVERIFY(fixture::writeFile(lib("Caches/com.example.probe/x"), 10));
        QVERIFY(fixture::writeFile(lib("Preferences/other.plist"), 10));
        QVERIFY(fixture::writeFile(lib("Group Containers/any/x"), 10));
        QVERIFY(fixture::writeFile(homeDir() + "/Documents/keep", 10));

        const QList<CleanupFile> apps = scanInstalledApps(false, {m_apps});
        QCOMPARE(apps.size(), 1);
        const FilePaths expected = expectedId.isEmpty() ? FilePaths{} : FilePaths{lib("Caches/" + expectedId)};
        QCOMPARE(apps[0].extraURLs, expected);
    }

    // The unsafe values are refused through the public lookup too.
    void unsafeIdentifiersNameNothing()
    {
        QVERIFY(fixture::writeFile(lib("Caches/x"), 10));
        QVERIFY(fixture::writeFile(homeDir() + "/Documents/keep", 10));
        for (const char* bad : {"", ".", "..", "../../Documents", "../.."})
            QVERIFY2(findLeftovers(QString::fromLatin1(bad), QStringLiteral("Nothing")).isEmpty(), bad);
        QVERIFY(findLeftovers(std::nullopt, QStringLiteral("..")).isEmpty());
        QVERIFY(findLeftovers(std::nullopt, QString()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestInstalledApps)
#include "tst_installed_apps.moc"
