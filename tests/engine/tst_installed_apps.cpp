#include "locations.h"
#include "engine.h"
#include "fixture.h"
#include "flatpak.h"
#include "icons.h"
#include "paths.h"
#include "removal.h"
#include "walker.h"

#include <plist/plist.h>

#include <QElapsedTimer>
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

// An AppImage of `size` bytes: an ELF header marked "AI" and format `type` at offset 8.
bool makeAppImage(const QByteArray& path, char type, qint64 size)
{
    return fixture::makeDirs(path.left(path.lastIndexOf('/')))
           && writeBytes(path, QByteArray("\x7f" "ELF\x02\x01\x01\x00" "AI", 10) + type)
           && ::truncate(path.constData(), size) == 0;
}

// A per-user Flatpak app deployed as flatpak does it, behind its "current" and "active" links.
bool makeFlatpak(const QByteArray& apps, const QByteArray& id, qint64 size, const QByteArray& entry)
{
    const QByteArray deploy = apps + '/' + id + "/x86_64/stable/0abc";
    return fixture::writeSparse(deploy + "/files/bin/app", size)
           && writeBytes(deploy + "/export/share/applications/" + id + ".desktop", entry)
           && fixture::makeSymlink("0abc", apps + '/' + id + "/x86_64/stable/active")
           && fixture::makeSymlink("x86_64/stable", apps + '/' + id + "/current");
}

// A `flatpak` for PATH that records its arguments, then runs `body`.
QByteArray fakeFlatpak(const QByteArray& bin, const QByteArray& body)
{
    writeBytes(bin + "/flatpak", "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + bin + "/args'\n" + body + '\n');
    ::chmod((bin + "/flatpak").constData(), 0755);
    return bin;
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

    // Linux: AppImages by their magic bytes in ~/Applications and ~/.local/bin, per-user Flatpak
    // apps while flatpak is installed; each with the folders and entries it left, never one
    // that belongs to the desktop or to something else.
    void linuxApps()
    {
        const QByteArray home = homeDir();
        const BaseDirs dirs{home, home + "/.cache", home + "/.local/share", home + "/.config", home + "/.local/state"};
        const QByteArray entries = dirs.data + "/applications/";
        const QByteArray good = m_apps + "/Good-1.2.3.AppImage";
        QVERIFY(makeAppImage(good, 2, 3 * MiB));
        QVERIFY(makeAppImage(home + "/.local/bin/tool", 1, MiB)); // any name, exactly the minimum size
        QVERIFY(makeAppImage(home + "/.local/bin/Trash.AppImage", 2, 2 * MiB));
        QVERIFY(makeAppImage(m_apps + "/Small.AppImage", 2, MiB - 1));
        QVERIFY(fixture::writeSparse(m_apps + "/Named.AppImage", 3 * MiB)); // the name alone makes no AppImage
        QVERIFY(makeAppImage(home + "/elsewhere/Real.AppImage", 2, 3 * MiB));
        QVERIFY(fixture::makeSymlink(home + "/elsewhere/Real.AppImage", m_apps + "/Linked.AppImage"));
        QVERIFY(writeBytes(entries + "good.desktop", "[Desktop Entry]\nName=Good App\nName[es]=Buena\nExec=\"" + good + "\" %U\n"));
        QVERIFY(writeBytes(entries + "other.desktop", "[Desktop Entry]\nName=Other\nExec=/usr/bin/good\n"));
        QVERIFY(writeBytes(entries + "binary.desktop", QByteArray("\x7f" "ELF\0[Desktop Entry]", 20)));
        // By entry name, file name or the name before the version, in any case; desktop folders never.
        for (const QByteArray rel : {".config/good", ".local/share/Good App", ".cache/GOOD-1.2.3", ".local/state/tool",
                                     ".config/tool", ".local/share/Trash/files/x", ".config/Other", ".config/Buena"})
            QVERIFY(fixture::writeFile(home + '/' + rel + "/x", 10));

        const QByteArray id = "org.example.App";
        const QByteArray flatpaks = dirs.data + "/flatpak/app";
        QVERIFY(makeFlatpak(flatpaks, id, 4 * MiB, "[Desktop Entry]\nName=Example\nName[es]=Ejemplo\n"));
        QVERIFY(makeFlatpak(flatpaks, "org.example.Tiny", MiB - 100, "[Desktop Entry]\n"));
        QVERIFY(makeFlatpak(flatpaks, "not-an-id", 2 * MiB, "[Desktop Entry]\n"));
        // Flatpak leftovers go by the id only: a folder named "Example" may be another install's.
        for (const QByteArray& rel : FilePaths{".var/app/" + id, ".config/" + id, ".config/Example", ".cache/org.example.app"})
            QVERIFY(fixture::writeFile(home + '/' + rel + "/x", 100));
        QVERIFY(writeBytes(entries + id + ".desktop", "[Desktop Entry]\nName=Mine\n"));
        QVERIFY(writeBytes(entries + "copy.desktop", "[Desktop Entry]\nName=Copy\nX-Flatpak=" + id + "\n"));

        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", home + "/no-bin");
        QList<CleanupFile> apps = scanInstalledApps(false, Platform::linux, dirs, {"es"});
        qputenv("PATH", fakeFlatpak(home + "/bin", "exit 0") + ':' + path);
        const QList<CleanupFile> withFlatpak = scanInstalledApps(true, Platform::linux, dirs, {"en"});
        qputenv("PATH", path);

        QStringList names;
        for (const CleanupFile& app : apps)
            names << app.name;
        QCOMPARE(names, QStringList({"Buena", "Trash", "tool"}));
        QCOMPARE(apps[0].url, good);
        QCOMPARE(apps[0].extraURLs, (FilePaths{dirs.config + "/good", dirs.data + "/Good App", dirs.cache + "/GOOD-1.2.3",
                                               entries + "good.desktop"}));
        QCOMPARE(apps[0].sizeInBytes, 3 * MiB + 30 + QFileInfo(QString::fromUtf8(entries + "good.desktop")).size());
        QVERIFY(apps[1].extraURLs.isEmpty());
        QCOMPARE(QSet<FilePath>(apps[2].extraURLs.begin(), apps[2].extraURLs.end()),
                 (QSet<FilePath>{dirs.config + "/tool", dirs.state + "/tool"}));
        QCOMPARE(apps[2].sizeInBytes, MiB + 20);
        for (const CleanupFile& app : apps)
            QVERIFY(app.packageId.isEmpty() && !app.isSelected);

        QCOMPARE(withFlatpak.size(), 4);
        const CleanupFile& flatpak = withFlatpak[0];
        QCOMPARE(flatpak.name, QStringLiteral("Example"));
        QCOMPARE(flatpak.url, flatpaks + '/' + id);
        QCOMPARE(flatpak.packageId, QString::fromLatin1(id));
        QCOMPARE(flatpak.extraURLs.mid(0, 2), (FilePaths{home + "/.var/app/" + id, dirs.config + '/' + id}));
        QCOMPARE(QSet<FilePath>(flatpak.extraURLs.begin() + 2, flatpak.extraURLs.end()),
                 (QSet<FilePath>{entries + id + ".desktop", entries + "copy.desktop"}));
        QCOMPARE(flatpak.ownSize(), treeSize(flatpaks + '/' + id));
        QCOMPARE(withFlatpak[1].name, QStringLiteral("Good App"));

        // The icon comes from the entry that launches the AppImage, or from the app's own export.
        const AppLocations at = appLocations(Platform::linux, dirs);
        QCOMPARE(chooseIconSource("Good App", good, {}, at).desktopEntry, entries + "good.desktop");
        const IconSource own = chooseIconSource("Example", flatpak.url, {}, at);
        QVERIFY(own.desktopEntry.endsWith("/0abc/export/share/applications/" + id + ".desktop"));
        QCOMPARE(chooseIconSource("tool", home + "/.local/bin/tool", {}, at).desktopEntry, FilePath());
    }

    // A Flatpak app is removed by flatpak itself, never by deleting its folder; its leftovers go
    // only once it is gone. A flatpak that fails, hangs, lies or is missing removes nothing.
    void flatpakRemoval_data()
    {
        QTest::addColumn<QByteArray>("script"); // "" no flatpak at removal time
        QTest::addColumn<bool>("removed");
        QTest::addColumn<bool>("folderStays");
        const QByteArray uninstall = "rm -rf \"$XDG_DATA_HOME/flatpak/app/$4\"";
        QTest::newRow("uninstalled") << uninstall << true << false;
        QTest::newRow("fails") << QByteArray("exit 1") << false << true;
        QTest::newRow("fails after removing") << uninstall + "; exit 2" << false << false;
        QTest::newRow("exit 0, still installed") << QByteArray("exit 0") << false << true;
        QTest::newRow("missing") << QByteArray() << false << true;
    }
    void flatpakRemoval()
    {
        QFETCH(QByteArray, script);
        QFETCH(bool, removed);
        QFETCH(bool, folderStays);
        const QByteArray home = homeDir();
        const BaseDirs dirs{home, home + "/.cache", home + "/.local/share", home + "/.config", home + "/.local/state"};
        const QByteArray id = "org.example.App";
        const QByteArray folder = dirs.data + "/flatpak/app/" + id;
        QVERIFY(makeFlatpak(dirs.data + "/flatpak/app", id, 2 * MiB, "[Desktop Entry]\n"));
        QVERIFY(fixture::writeFile(home + "/.var/app/" + id + "/x", 100));
        const QByteArray bin = fakeFlatpak(home + "/bin", script);

        const QByteArray path = qgetenv("PATH"), dataHome = qgetenv("XDG_DATA_HOME");
        qputenv("PATH", bin + ':' + path);
        qputenv("XDG_DATA_HOME", dirs.data);
        CleanupCategory category;
        category.files = scanInstalledApps(true, Platform::linux, dirs, {"en"});
        QCOMPARE(category.files.size(), 1);
        if (script.isEmpty())
            QVERIFY(QFile::remove(QString::fromUtf8(bin + "/flatpak")));
        const QList<RemovalTarget> targets = removalTargets({category});
        const QList<RemovalResult> results = removeItems(targets, RemovalStyle::permanent);
        qputenv("PATH", path);
        qputenv("XDG_DATA_HOME", dataHome);

        QCOMPARE(results.size(), 2);
        for (const RemovalResult& result : results)
            QCOMPARE(result.gone(), removed);
        if (!removed) // the app's data stays with the app
            QCOMPARE(results[1].reason, RemovalReason::appStillInstalled);
        QCOMPARE(fixture::exists(folder), folderStays);
        QCOMPARE(fixture::exists(home + "/.var/app/" + id), !removed);
        QCOMPARE(freedBytes(results), removed ? category.files[0].sizeInBytes : 0);
        if (!script.isEmpty()) {
            QFile args(QString::fromUtf8(bin + "/args"));
            QVERIFY(args.open(QIODevice::ReadOnly));
            QCOMPARE(args.readAll(), "uninstall\n--user\n--noninteractive\n" + id + '\n');
        }
    }

    // One that never exits is stopped at the time limit; only real app ids ever reach flatpak.
    void flatpakHangsOrIsNotAnApp()
    {
        const QByteArray folder = homeDir() + "/.local/share/flatpak/app/org.example.App";
        QVERIFY(fixture::makeDirs(folder));
        const QByteArray bin = fakeFlatpak(homeDir() + "/bin", "exec sleep 60");
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin + ':' + path);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!uninstallFlatpak("org.example.App", folder, 300));
        QVERIFY2(timer.elapsed() < 20000, "a hanging flatpak held the removal");
        for (const char* bad : {"--help", "org.example", "org..App", "org.example.App x", "org.example.1App", "org.example.Äpp"})
            QVERIFY2(!isFlatpakAppId(bad), bad);
        QVERIFY(!uninstallFlatpak("org.example.Other", folder)); // not the folder's app
        qputenv("PATH", path);
        QVERIFY(fixture::exists(folder));
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
