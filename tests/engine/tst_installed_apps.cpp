#include "base_dirs.h"
#include "locations.h"
#include "engine.h"
#include "fixture.h"
#include "flatpak.h"
#include "icons.h"
#include "paths.h"
#include "removal.h"
#include "walker.h"

#include <plist/plist.h>

#include <QTest>

#include <csignal>
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
    (binary ? plist_to_bin : plist_to_xml)(dict, &data, &length);
    QByteArray bytes(data, qsizetype(length));
    std::free(data);
    plist_free(dict);
    return bytes;
}

// A hand-made binary plist, for shapes no writer produces: the dict {CFBundleIdentifier:
// "com.example.probe", payload: object 4}, then `tail` (objects 4 and on), references
// `refWidth` bytes wide.
QByteArray ref(quint64 index, int width)
{
    QByteArray out;
    for (int b = width - 1; b >= 0; --b)
        out += char((index >> (8 * b)) & 0xFF);
    return out;
}

QByteArray dictWithPayload(const QList<QByteArray>& tail, int refWidth)
{
    const QList<QByteArray> objects = QList<QByteArray>{
        QByteArray("\xD2", 1) + ref(1, refWidth) + ref(2, refWidth) + ref(3, refWidth) + ref(4, refWidth),
        "\x5F\x10\x12" "CFBundleIdentifier", "\x57payload", "\x5F\x10\x11" "com.example.probe"} + tail;
    QByteArray out("bplist00"), table;
    for (const QByteArray& object : objects) {
        table += ref(quint64(out.size()), 4);
        out += object;
    }
    // Trailer: offset and reference widths, object count, top object 0, offset table's offset.
    return out + table + QByteArray(6, '\0') + char(4) + char(refWidth) + ref(quint64(objects.size()), 8) + ref(0, 8)
           + ref(quint64(out.size()), 8);
}

// 144 bytes that stand for a tree of 2^17 nodes: the dict {CFBundleIdentifier: "x.y", p: object 4},
// each of objects 4 to 19 an array holding the next one twice, one-byte offsets and references.
QByteArray recursivePlist144()
{
    QList<QByteArray> objects{QByteArray("\xD2\x01\x02\x03\x04", 5), "\x5F\x10\x12" "CFBundleIdentifier", "\x51p",
                              "\x53x.y"};
    for (int i = 0; i < 16; ++i)
        objects.append(QByteArray("\xA2", 1) + char(5 + i) + char(5 + i));
    objects.append("\x52" "ab");
    QByteArray out("bplist00"), table;
    for (const QByteArray& object : objects) {
        table += char(out.size());
        out += object;
    }
    return out + table + QByteArray(6, '\0') + char(1) + char(1) + ref(quint64(objects.size()), 8) + ref(0, 8)
           + ref(quint64(out.size()), 8);
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

// A ref deployed below an installation as flatpak does it ("runtime/<id>/<arch>/<branch>"
// behind its "active" link): `size` bytes of files and, unless "-", `metadata`.
bool makeDeploy(const QByteArray& installation, const QByteArray& ref, qint64 size, const QByteArray& metadata)
{
    const QByteArray deploy = installation + '/' + ref + "/0abc";
    return fixture::writeSparse(deploy + "/files/lib", size)
           && (metadata == "-" || writeBytes(deploy + "/metadata", metadata))
           && fixture::makeSymlink("0abc", installation + '/' + ref + "/active");
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
    QByteArray m_library, m_apps;

    QByteArray lib(const QByteArray& relative) const { return m_library + '/' + relative; }
    // The base directories where no variable is set: ~/.cache, ~/.local/share and so on.
    BaseDirs linuxDirs() const { return baseDirs(homeDir(), [](const char*) { return QByteArray(); }); }
    // The bundles of ~/Applications (and of this machine's /Applications, which Debian does not have).
    QList<CleanupFile> macApps(bool autoSelect) const
    {
        return scanInstalledApps({}, autoSelect, Platform::macOS, linuxDirs(), {});
    }

private slots:
    void initTestCase()
    {
        // Never the real home: everything happens in a temporary one.
        QVERIFY(m_home.isValid());
        qputenv("HOME", m_home.path());
    }

    void init()
    {
        ::alarm(120); // a call that never returns fails the test instead of holding it
        const QByteArray home = homeDir();
        QVERIFY(home.startsWith(QFile::encodeName(QDir(QFile::decodeName(m_home.path())).canonicalPath())));
        fixture::removeTree(home);
        m_library = home + "/Library";
        m_apps = home + "/Applications";
        QVERIFY(fixture::makeDirs(m_apps));
        // Whatever this machine has installed system-wide stays out of every case.
        qputenv("FLATPAK_SYSTEM_DIR", home + "/system/flatpak");
        qunsetenv("FLATPAK_USER_DIR");
    }
    void cleanup() { ::alarm(0); }

    // "*.app" folders of 1 MiB and more directly in ~/Applications (no link, file, FIFO, hidden,
    // nested or upper-case one), largest first counting their leftovers, each leftover measured
    // at scan time: a link as the link, a dangling one not at all. Leftovers: every row of the
    // leftover table in table order (then the group containers, hidden ones too, then the folders
    // named after the app); only what exists, each once. Without an identifier only the named folders.
    void bundles()
    {
        QVERIFY(makeBundle(m_apps + "/Small.app", MiB - 1));
        QVERIFY(makeBundle(m_apps + "/Exact.app", MiB));
        QVERIFY(makeBundle(m_apps + "/Fine.tool.app", 1000 * MiB));
        QVERIFY(makeBundle(m_apps + "/Big.app", 50 * MiB, plistWithIdentifier("com.example.big", false)));
        QVERIFY(fixture::writeSparse(lib("Containers/com.example.big/Data/blob"), 2000 * MiB));
        const QByteArray outside = homeDir() + "/outside";
        QVERIFY(fixture::writeSparse(outside + "/huge", qint64(1) << 40));
        QVERIFY(fixture::makeDirs(lib("Caches")) && fixture::makeDirs(lib("Logs")));
        QVERIFY(fixture::makeSymlink(outside, lib("Caches/com.example.big")));
        QVERIFY(fixture::makeSymlink("/no/such/place", lib("Logs/com.example.big")));
        QVERIFY(makeBundle(m_apps + "/Twin.app", 3 * MiB, plistWithIdentifier("com.example.twin", false)));
        QVERIFY(fixture::writeFile(lib("Preferences/com.example.twin.plist"), 100));
        for (const QByteArray name : {"Shout.APP", "Utilities/Inner.app", ".Hidden.app"})
            QVERIFY(makeBundle(m_apps + '/' + name, 2 * MiB));
        QVERIFY(makeBundle(homeDir() + "/elsewhere/Real.app", 2 * MiB));
        QVERIFY(fixture::makeSymlink(homeDir() + "/elsewhere/Real.app", m_apps + "/Linked.app"));
        QVERIFY(fixture::writeSparse(m_apps + "/File.app", 2 * MiB) && fixture::makeFifo(m_apps + "/Pipe.app"));

        const QByteArray id = "com.example.editor";
        QVERIFY(makeBundle(m_apps + "/Editor.app", 2 * MiB, plistWithIdentifier(id, true)));
        const FilePaths expected{
            lib("Application Support/" + id), lib("Caches/" + id), lib("Preferences/" + id + ".plist"),
            lib("Containers/" + id), lib("Saved Application State/" + id + ".savedState"), lib("HTTPStorages/" + id),
            lib("WebKit/" + id), lib("Application Scripts/" + id), lib("Logs/" + id),
            lib("Group Containers/TEAM123." + id), lib("Group Containers/" + id + ".shared"),
            lib("Group Containers/." + id + ".hidden"),
            lib("Application Support/Editor"), lib("Caches/Editor"), lib("Logs/Editor"),
        };
        qint64 size = 0, leftovers = 0;
        for (const FilePath& path : expected) {
            leftovers += (size += 1000);
            QVERIFY(fixture::writeFile(path.endsWith(".plist") ? path : path + "/data", size));
        }
        for (const char* other : {"Group Containers/unrelated", "Group Containers/com.example.edito",
                                  "Caches/com.example.editor2", "Caches/com.example.plain", "Caches/Plain", "Logs/Plain"})
            QVERIFY(fixture::writeFile(lib(other) + "/data", 5));
        QVERIFY(makeBundle(m_apps + "/Plain.app", 2 * MiB)); // no identifier

        for (bool autoSelect : {false, true}) {
            const QList<CleanupFile> apps = macApps(autoSelect);
            QCOMPARE(fixture::namesOf(apps), QStringList({"Big", "Fine.tool", "Twin", "Editor", "Plain", "Exact"}));
            QCOMPARE(apps[0].extraURLs, (FilePaths{lib("Caches/com.example.big"), lib("Containers/com.example.big")}));
            QCOMPARE(apps[0].extraSizes, (QList<qint64>{outside.size(), 2000 * MiB}));
            QCOMPARE(apps[0].sizeInBytes, 2050 * MiB + outside.size());
            QCOMPARE(apps[0].ownSize(), 50 * MiB);
            QCOMPARE(apps[2].extraURLs, FilePaths{lib("Preferences/com.example.twin.plist")});
            QCOMPARE(apps[2].sizeInBytes, 3 * MiB + 100);
            const FilePaths got = apps[3].extraURLs;
            QCOMPARE(got.mid(0, 9) + got.mid(12), expected.mid(0, 9) + expected.mid(12));
            QCOMPARE(QSet<FilePath>(got.begin() + 9, got.begin() + 12),
                     QSet<FilePath>(expected.begin() + 9, expected.begin() + 12)); // group containers: any order
            for (qsizetype i = 0; i < got.size(); ++i)
                QCOMPARE(apps[3].extraSizes[i], treeSize(got[i]));
            QCOMPARE(apps[3].sizeInBytes, 2 * MiB + leftovers);
            QCOMPARE(apps[4].extraURLs, (FilePaths{lib("Caches/Plain"), lib("Logs/Plain")}));
            QCOMPARE(apps[5].sizeInBytes, MiB);
            for (const CleanupFile& app : apps)
                QCOMPARE(app.isSelected, autoSelect);
        }
    }

    // Where the identifier comes from, and what is not an identifier: broken, huge, non-regular
    // or linked Info.plist files, and values that would name a place outside the leftover folders.
    // Only a found identifier reaches its leftover, Caches/com.example.probe.
    void identifierSources()
    {
        const QByteArray xml = plistWithIdentifier("com.example.probe", false);
        const QByteArray bin = plistWithIdentifier("com.example.probe", true);
        const QByteArray xmlHead = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
        QList<QByteArray> doubling, chain;
        for (int i = 0; i < 40; ++i) // each level holds the next twice: 2^40 nodes from 200 bytes
            doubling.append(QByteArray("\xA2", 1) + ref(5 + i, 1) + ref(5 + i, 1));
        for (int i = 0; i < 100000; ++i)
            chain.append(QByteArray("\xA1", 1) + ref(5 + i, 4));
        const struct {
            const char* tag;
            QByteArray contents; // Contents/Info.plist: "" none; "fifo", "link" and "huge" made below
            bool found;
            QByteArray root = {}; // the bundle's own Info.plist
            const char* value = nullptr; // what the reader gives icons, when not the identifier or nothing
        } rows[] = {
            {"xml", xml, true},
            {"binary", bin, true},
            {"root only", {}, true, bin},
            {"broken contents, root fallback", "<?xml garbage", true, xml},
            {"garbage", QByteArray("\x00\x01\x02 not a plist", 17), false},
            {"truncated binary", bin.left(bin.size() - 12), false},
            {"truncated xml", xml.left(xml.size() / 2), false},
            {"bplist header only", "bplist00", false},
            {"not a string", xmlHead + "<dict><key>CFBundleIdentifier</key><integer>7</integer></dict></plist>", false},
            {"array root", xmlHead + "<array><string>com.example.probe</string></array></plist>", false},
            {"huge", "huge", false},
            // Shared objects are normal in binary plists and fine while the tree they stand for is small.
            {"shared, small", dictWithPayload({QByteArray("\xA3\x05\x05\x05", 4), QByteArray("\xA0", 1)}, 1), true},
            {"expanding binary", dictWithPayload(doubling << QByteArray("\xA0", 1), 1), false},
            {"cyclic binary", dictWithPayload({QByteArray("\xA1\x04", 2)}, 1), false},
            {"deep binary", dictWithPayload(chain << QByteArray("\xA0", 1), 4), false},
            {"reference out of range", dictWithPayload({QByteArray("\xA1\x09", 2)}, 1), false},
            {"recursive, 144 bytes", recursivePlist144(), false},
            {"deep xml",
             xmlHead + "<dict><key>CFBundleIdentifier</key><string>com.example.probe</string><key>payload</key>"
                 + QByteArray("<array>").repeated(250000) + QByteArray("</array>").repeated(250000) + "</dict></plist>",
             false},
            {"fifo", "fifo", false},
            {"link", "link", false},
            {"empty id", plistWithIdentifier("", true), false},
            {"dot", plistWithIdentifier(".", true), false, {}, "."},
            {"dot dot", plistWithIdentifier("..", false), false, {}, ".."},
            {"climbs out", plistWithIdentifier("../../Documents", false), false, {}, "../../Documents"},
            {"slash", plistWithIdentifier("com.example/probe", false), false, {}, "com.example/probe"},
        };
        // Locations an unsafe identifier would reach, and the one a good one names.
        for (const QByteArray& file : {lib("Caches/com.example.probe/x"), lib("Preferences/other.plist"),
                                       lib("Group Containers/any/x"), homeDir() + "/Documents/keep"})
            QVERIFY(fixture::writeFile(file, 10));
        QVERIFY(writeBytes(homeDir() + "/real.plist", xml));
        const QByteArray bundle = m_apps + "/Probe.app", contents = bundle + "/Contents/Info.plist";
        for (const auto& row : rows) {
            fixture::removeTree(bundle);
            QVERIFY(fixture::writeSparse(bundle + "/Contents/MacOS/binary", 2 * MiB));
            if (row.contents == "fifo")
                QVERIFY(fixture::makeFifo(contents));
            else if (row.contents == "link")
                QVERIFY(fixture::makeSymlink(homeDir() + "/real.plist", contents));
            else if (row.contents == "huge") // valid XML at the start, then far more than any Info.plist holds
                QVERIFY(writeBytes(contents, xml) && ::truncate(contents.constData(), 64 * MiB) == 0);
            else if (!row.contents.isEmpty())
                QVERIFY(writeBytes(contents, row.contents));
            QVERIFY(row.root.isEmpty() || writeBytes(bundle + "/Info.plist", row.root));
            const QList<CleanupFile> apps = macApps(false);
            QVERIFY2(apps.size() == 1, row.tag);
            QVERIFY2(apps[0].extraURLs == (row.found ? FilePaths{lib("Caches/com.example.probe")} : FilePaths{}), row.tag);
            // Item icons read the same file through the same reader.
            const QString value = QString::fromUtf8(row.value ? row.value : row.found ? "com.example.probe" : "");
            QVERIFY2(bundleInfoString(bundle, "CFBundleIdentifier") == value, row.tag);
        }
    }

    // Linux: AppImages by their magic bytes in ~/Applications and ~/.local/bin, per-user Flatpak
    // apps while flatpak is installed; each with the folders and entries it left, never one
    // that belongs to the desktop or to something else.
    void linuxApps()
    {
        const QByteArray home = homeDir();
        const BaseDirs dirs = linuxDirs();
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
        // By the id of the entry that runs it, in any case; never by a name, nor a desktop folder.
        for (const QByteArray rel : {".config/GOOD", ".local/share/Good App", ".cache/GOOD-1.2.3", ".local/state/tool",
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
        QList<CleanupFile> apps = scanInstalledApps({}, false, Platform::linux, dirs, {"es"});
        qputenv("PATH", fakeFlatpak(home + "/bin", "exit 0") + ':' + path);
        const QList<CleanupFile> withFlatpak = scanInstalledApps({}, true, Platform::linux, dirs, {"en"});
        qputenv("PATH", path);

        QCOMPARE(fixture::namesOf(apps), QStringList({"Buena", "Trash", "tool"}));
        QCOMPARE(apps[0].url, good);
        QCOMPARE(apps[0].extraURLs, (FilePaths{dirs.config + "/GOOD", entries + "good.desktop"}));
        QCOMPARE(apps[0].sizeInBytes, 3 * MiB + 10 + QFileInfo(QString::fromUtf8(entries + "good.desktop")).size());
        QVERIFY(apps[1].extraURLs.isEmpty());
        QVERIFY(apps[2].extraURLs.isEmpty()); // nothing carries an identity of "tool"
        QCOMPARE(apps[2].sizeInBytes, MiB);
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

    // An AppImage's leftovers are proven: the desktop entries whose Exec (quoted as entries
    // quote) or TryExec runs this very file, and folders named after the identity those entries
    // carry for it (file id, without the "appimagekit_<md5>-" of an integrated copy, and
    // StartupWMClass). Never its display name, a translated name or its file name, and never an
    // identity another entry, the system or a second AppImage also claims. "@1"/"@2" stand for
    // the first and second AppImage (3 and 2 MiB in ~/Applications).
    void appImageLeftovers()
    {
        const QByteArray md5 = "0123456789abcdef0123456789abcdef";
        const struct {
            const char* tag;
            QList<QPair<QByteArray, QByteArray>> entries; // file in $XDG_DATA_HOME/applications, body
            QList<QByteArray> folders;                    // below the home folder
            QList<QByteArray> first, second = {};         // expected leftovers, below the home folder
        } rows[] = {
            {"a display name claims nothing",
             {{"notes.desktop", "Name=google-chrome\nExec=@1 %U\n"}},
             {".config/google-chrome", ".config/notes"},
             {".config/notes", ".local/share/applications/notes.desktop"}},
            {"nor a translated one; the integrated copy's id and window class do",
             {{"appimagekit_" + md5 + "-org.example.Mail.desktop",
               "Name=Evolution\nName[es]=Correo\nStartupWMClass=MailWin\nExec=\"@1\"\n"}},
             {".local/share/evolution", ".config/Correo", ".config/org.example.Mail", ".cache/mailwin",
              ".config/appimagekit_" + md5 + "-org.example.Mail"},
             {".config/org.example.Mail", ".cache/mailwin",
              ".local/share/applications/appimagekit_" + md5 + "-org.example.Mail.desktop"}},
            {"nor its file name", {}, {".local/share/first", ".config/First"}, {}},
            {"an Exec quoted in part runs another file",
             {{"part.desktop", "Name=Part\nExec=\"@1\"x\n"}, {"field.desktop", "Name=Field\nExec=@1%f\n"}},
             {".config/part", ".config/field"}, {}},
            {"TryExec names it; an identity another entry also has stays",
             {{"tool.desktop", "Name=Toolbox\nTryExec=@1\nExec=tool\nStartupWMClass=shared\n"},
              {"other.desktop", "Name=Other\nExec=/usr/bin/other\nStartupWMClass=Shared\n"}},
             {".config/tool", ".config/shared"},
             {".config/tool", ".local/share/applications/tool.desktop"}},
            {"an identity two AppImages carry belongs to neither",
             {{"one.desktop", "Name=Obsidian\nExec=@1\nStartupWMClass=obsidian\n"},
              {"two.desktop", "Name=Obsidian\nExec=@2\nStartupWMClass=obsidian\n"}},
             {".config/obsidian", ".config/one", ".config/two"},
             {".config/one", ".local/share/applications/one.desktop"},
             {".config/two", ".local/share/applications/two.desktop"}},
        };
        const QByteArray home = homeDir();
        const BaseDirs dirs = linuxDirs();
        const QByteArray first = m_apps + "/First-2.0.AppImage", second = m_apps + "/Second.AppImage";
        for (const auto& row : rows) {
            fixture::removeTree(home);
            QVERIFY(makeAppImage(first, 2, 3 * MiB) && makeAppImage(second, 2, 2 * MiB));
            for (const auto& [file, body] : row.entries)
                QVERIFY(writeBytes(dirs.data + "/applications/" + file,
                                   "[Desktop Entry]\n" + QByteArray(body).replace("@1", first).replace("@2", second)));
            for (const QByteArray& folder : row.folders)
                QVERIFY(fixture::writeFile(home + '/' + folder + "/x", 10));
            const QList<CleanupFile> apps = scanInstalledApps({}, false, Platform::linux, dirs, {"es"});
            QVERIFY2(apps.size() == 2 && apps[0].url == first && apps[1].url == second, row.tag);
            for (const auto& [app, expected] : {std::pair{apps[0], row.first}, std::pair{apps[1], row.second}}) {
                FilePaths want;
                for (const QByteArray& relative : expected)
                    want.append(home + '/' + relative);
                QVERIFY2(QSet<FilePath>(app.extraURLs.begin(), app.extraURLs.end()) == QSet<FilePath>(want.begin(), want.end()),
                         (QByteArray(row.tag) + ": " + app.extraURLs.join(' ')).constData());
            }
        }
    }

    // A Flatpak app is removed by flatpak itself, never by deleting its folder; its leftovers go
    // only once it is gone. A flatpak that fails, lies, is missing or hangs removes nothing; a
    // hanging one is stopped and gone when the call returns (tried with a short limit: a removal
    // gives an uninstall minutes). Only a real app id, the folder's own, ever reaches flatpak.
    void flatpakRemoval_data()
    {
        QTest::addColumn<QByteArray>("kind"); // "user" or "system" app, or the user's unused "runtimes"
        QTest::addColumn<QByteArray>("script"); // "" no flatpak at removal time
        QTest::addColumn<bool>("removed");
        QTest::addColumn<bool>("folderStays");
        const QByteArray uninstall = "rm -rf \"$XDG_DATA_HOME/flatpak/app/$5\"";
        QTest::newRow("uninstalled") << QByteArray("user") << uninstall << true << false;
        QTest::newRow("fails") << QByteArray("user") << QByteArray("exit 1") << false << true;
        QTest::newRow("fails after removing") << QByteArray("user") << uninstall + "; exit 2" << false << false;
        QTest::newRow("exit 0, still installed") << QByteArray("user") << QByteArray("exit 0") << false << true;
        QTest::newRow("missing") << QByteArray("user") << QByteArray() << false << true;
        QTest::newRow("hangs") << QByteArray("user") << QByteArray("echo $$ > \"$0.pid\"; exec sleep 1000") << false << true;
        // A system-wide app goes once polkit approves; a refusal is flatpak failing.
        const QByteArray approved = "rm -rf \"$FLATPAK_SYSTEM_DIR/app/$5\"";
        QTest::newRow("system: approved") << QByteArray("system") << approved << true << false;
        QTest::newRow("system: refused") << QByteArray("system") << QByteArray("exit 1") << false << true;
        QTest::newRow("system: exit 0, still installed") << QByteArray("system") << QByteArray("exit 0") << false << true;
        // flatpak removes the unused runtimes; every one offered must be gone.
        const QByteArray runtimes = "rm -rf \"$XDG_DATA_HOME/flatpak/runtime/org.old.Platform\"";
        QTest::newRow("runtimes: removed") << QByteArray("runtimes") << runtimes + " \"$XDG_DATA_HOME/flatpak/runtime/org.old.Sdk\""
                                           << true << false;
        QTest::newRow("runtimes: one stays") << QByteArray("runtimes") << runtimes << false << true;
        QTest::newRow("runtimes: fails") << QByteArray("runtimes") << QByteArray("exit 1") << false << true;
    }
    void flatpakRemoval()
    {
        QFETCH(QByteArray, kind);
        QFETCH(QByteArray, script);
        QFETCH(bool, removed);
        QFETCH(bool, folderStays);
        const QByteArray home = homeDir();
        const BaseDirs dirs = linuxDirs();
        const QByteArray id = "org.example.App";
        const QByteArray user = dirs.data + "/flatpak", system = qgetenv("FLATPAK_SYSTEM_DIR");
        const bool runtimes = kind == "runtimes";
        // The app (a runtime that stays when flatpak leaves one) whose folder must go.
        const QByteArray folder =
            runtimes ? user + "/runtime/org.old.Sdk/x86_64/1" : (kind == "user" ? user : system) + "/app/" + id;
        if (runtimes) {
            // The app's runtime stays; the old runtime and sdk no app names go.
            QVERIFY(makeFlatpak(user + "/app", id, 3 * MiB, "[Desktop Entry]\n"));
            QVERIFY(writeBytes(user + "/app/" + id + "/x86_64/stable/0abc/metadata",
                               "[Application]\nname=" + id + "\nruntime=org.new.Platform/x86_64/2\n"));
            for (const QByteArray ref : {"org.new.Platform/x86_64/2", "org.old.Platform/x86_64/1", "org.old.Sdk/x86_64/1"})
                QVERIFY(makeDeploy(user + "/runtime", ref, MiB, "[Runtime]\nname=x\n"));
        } else {
            QVERIFY(makeFlatpak(folder.left(folder.lastIndexOf('/')), id, 2 * MiB, "[Desktop Entry]\n"));
            QVERIFY(fixture::writeFile(home + "/.var/app/" + id + "/x", 100));
        }
        const QByteArray bin = fakeFlatpak(home + "/bin", script);

        const QByteArray path = qgetenv("PATH"), dataHome = qgetenv("XDG_DATA_HOME");
        qputenv("PATH", bin + ':' + path);
        qputenv("XDG_DATA_HOME", dirs.data);
        for (const QByteArray bad : {"--help", "org.example", "org..App", "org.example.App x", "org.example.1App",
                                     "org.example.\xc3\x84pp", "--delete-data.x.y", "org.-x.App", "org.my-foo.App",
                                     "org.example.-App"}) {
            QVERIFY2(!uninstallFlatpakPackage(QString::fromUtf8(bad), dirs.data + "/flatpak/app/" + bad), bad.constData());
            QVERIFY2(!uninstallFlatpakPackage(QString::fromUtf8(bad), system + "/app/" + bad), bad.constData());
        }
        QVERIFY(!uninstallFlatpakPackage(QStringLiteral("org.example.Other"), folder)); // not the folder's app
        QVERIFY(!uninstallFlatpakPackage(QStringLiteral("org.example.Other"), system + "/app/" + id));
        // Runtimes of no installation but the user's own.
        QVERIFY(!uninstallFlatpakPackage(unusedRuntimesPackage(), system + "/runtime"));
        QVERIFY(!fixture::exists(bin + "/args"));
        CleanupCategory category;
        category.files = scanInstalledApps({}, true, Platform::linux, dirs, {"en"});
        QCOMPARE(category.files.size(), runtimes ? 2 : 1);
        if (runtimes) { // the runtimes alone
            QCOMPARE(category.files[1].url, user + "/runtime");
            category.files.removeFirst();
        }
        QCOMPARE(category.files[0].isSelected, kind != "system"); // polkit's approval is never chosen for the user
        if (!runtimes) // its icon from its own export, wherever it is installed
            QVERIFY(chooseIconSource(QString::fromLatin1(id), folder, {}, appLocations(Platform::linux, dirs))
                        .desktopEntry.endsWith("/0abc/export/share/applications/" + id + ".desktop"));
        category.files[0].isSelected = true;
        if (script.isEmpty())
            QVERIFY(QFile::remove(QString::fromUtf8(bin + "/flatpak")));
        const bool hangs = script.contains("sleep");
        const QList<RemovalTarget> targets = removalTargets({category});
        const qint64 leftoverDisk = runtimes ? 0 : fixture::ref::allocatedSize(home + "/.var/app/" + id);
        const qint64 oldRuntimes = treeSize(user + "/runtime/org.old.Platform") + treeSize(user + "/runtime/org.old.Sdk");
        // A hanging flatpak is given a short limit of its own; the removal's own is minutes.
        const bool uninstalled = hangs && uninstallFlatpakPackage(QString::fromLatin1(id), folder, 1000);
        const QList<RemovalResult> results = hangs ? QList<RemovalResult>{} : removeItems(targets, RemovalStyle::permanent);
        qputenv("PATH", path);
        qputenv("XDG_DATA_HOME", dataHome);

        QCOMPARE(uninstalled, false);
        QCOMPARE(results.size(), hangs ? 0 : runtimes ? 1 : 2);
        for (const RemovalResult& result : results)
            QCOMPARE(result.gone(), removed);
        if (!removed && !hangs && !runtimes) // the app's data stays with the app
            QCOMPARE(results[1].reason, RemovalReason::appStillInstalled);
        QCOMPARE(fixture::exists(folder), folderStays);
        if (runtimes) {
            QVERIFY(fixture::exists(user + "/runtime/org.new.Platform/x86_64/2"));
            QCOMPARE(targets[0].scanSize, oldRuntimes);
        } else {
            QCOMPARE(fixture::exists(home + "/.var/app/" + id), !removed);
        }
        // The app as scanned (flatpak removes it), its leftover as the disk space that came back.
        QCOMPARE(freedBytes(results), removed ? targets[0].scanSize + leftoverDisk : 0);
        if (!script.isEmpty()) {
            QFile args(QString::fromUtf8(bin + "/args"));
            QVERIFY(args.open(QIODevice::ReadOnly));
            const QByteArray expected = runtimes ? QByteArray("uninstall\n--unused\n--user\n--noninteractive\n")
                                                 : "uninstall\n--" + kind + (kind == "system" ? "\n-y" : "\n--noninteractive") + "\n--\n" + id + '\n';
            QCOMPARE(args.readAll(), expected);
        }
        if (hangs) {
            QFile pid(QString::fromUtf8(bin + "/flatpak.pid"));
            QVERIFY(pid.open(QIODevice::ReadOnly));
            QVERIFY2(::kill(pid.readAll().trimmed().toInt(), 0) != 0 && errno == ESRCH, "the hanging flatpak still runs");
        }
    }

    // Which of the user's runtimes no app uses, from the files alone: what an app's deploys name,
    // what extends something in use, and their companions stay; so does a pinned runtime, and
    // everything when something cannot be read. The Applications plan offers them as one row.
    void unusedRuntimes_data()
    {
        QTest::addColumn<QByteArrayList>("deploys"); // "<app|runtime>/<id>/<arch>/<branch>\n<metadata>", "-" none
        QTest::addColumn<QByteArray>("pins");        // the repository's xa.pinned
        QTest::addColumn<QByteArrayList>("unused");  // runtime refs
        const QByteArray app = "app/org.a.App/x86_64/stable\n[Application]\nname=org.a.App\n"
                               "runtime=org.gnome.Platform/x86_64/45\nsdk=org.gnome.Sdk/x86_64/45\n";
        const QByteArray platform = "runtime/org.gnome.Platform/x86_64/45\n[Runtime]\nname=org.gnome.Platform\n"
                                    "[Extension org.freedesktop.Platform.GL]\ndirectory=lib/GL\nsubdirectories=true\n";
        const QByteArray old = "runtime/org.gnome.Platform/x86_64/44\n[Runtime]\nname=org.gnome.Platform\n"
                               "[Extension org.old.Codecs]\ndirectory=lib/codecs\n";
        const QByteArray other = "runtime/org.other.Runtime/x86_64/1\n[Runtime]\nname=org.other.Runtime\n";
        QTest::newRow("runtime and sdk in use")
            << QByteArrayList{app, platform, old, "runtime/org.gnome.Sdk/x86_64/45\n[Runtime]\nname=org.gnome.Sdk\n"}
            << QByteArray() << QByteArrayList{"org.gnome.Platform/x86_64/44"};
        QTest::newRow("extensions of what is used, at any version")
            << QByteArrayList{app, platform, other, "runtime/org.freedesktop.Platform.GL.default/x86_64/23.08\n[Runtime]\n",
                              "runtime/org.freedesktop.Platform.GL.default/x86_64/22.08\n[Runtime]\n",
                              "runtime/org.freedesktop.Platform.GLX/x86_64/1\n[Runtime]\n"}
            << QByteArray() << QByteArrayList{"org.other.Runtime/x86_64/1", "org.freedesktop.Platform.GLX/x86_64/1"};
        QTest::newRow("an unused runtime's extension goes with it")
            << QByteArrayList{app, platform, old, "runtime/org.old.Codecs/x86_64/44\n[Runtime]\n"} << QByteArray()
            << QByteArrayList{"org.gnome.Platform/x86_64/44", "org.old.Codecs/x86_64/44"};
        QTest::newRow("the app's own extensions and companions")
            << QByteArrayList{app + "[Extension org.a.App.Plugin]\ndirectory=plugins\n", platform,
                              "runtime/org.a.App.Plugin.Foo/x86_64/1\n[Runtime]\n", "runtime/org.a.App.Locale/x86_64/stable\n[Runtime]\n",
                              "runtime/org.a.App.Debug/x86_64/stable\n[Runtime]\n", "runtime/org.gone.App.Locale/x86_64/stable\n[Runtime]\n"}
            << QByteArray() << QByteArrayList{"org.gone.App.Locale/x86_64/stable"};
        QTest::newRow("says it extends what is used")
            << QByteArrayList{app, platform, other,
                              "runtime/org.gtk.Gtk3theme.Dark/x86_64/3.22\n[Runtime]\n[ExtensionOf]\nref=runtime/org.gnome.Platform/x86_64/45\n"}
            << QByteArray() << QByteArrayList{"org.other.Runtime/x86_64/1"};
        QTest::newRow("pinned")
            << QByteArrayList{app, platform, old, other, "runtime/org.kde.Platform/x86_64/5.15\n[Runtime]\n",
                              "runtime/org.kde.Sdk/x86_64/5.15\n[Runtime]\n"}
            << QByteArray("runtime/org.gnome.*;org.kde.Platform//5.15;app/org.other.*")
            << QByteArrayList{"org.other.Runtime/x86_64/1", "org.kde.Sdk/x86_64/5.15"};
        // In doubt, nothing: an app or a runtime whose metadata cannot be read.
        QTest::newRow("an app's metadata unreadable")
            << QByteArrayList{app, "app/org.b.App/x86_64/stable\n-", platform, other} << QByteArray() << QByteArrayList{};
        QTest::newRow("a runtime's metadata unreadable")
            << QByteArrayList{app, platform, other, "runtime/org.some.Runtime/x86_64/1\n-"} << QByteArray() << QByteArrayList{};
    }
    void unusedRuntimes()
    {
        QFETCH(QByteArrayList, deploys);
        QFETCH(QByteArray, pins);
        QFETCH(QByteArrayList, unused);
        const BaseDirs dirs = linuxDirs();
        const QByteArray installation = dirs.data + "/flatpak";
        for (const QByteArray& deploy : deploys) {
            const qsizetype end = deploy.indexOf('\n');
            QVERIFY(makeDeploy(installation, deploy.left(end), MiB, deploy.mid(end + 1)));
        }
        if (!pins.isEmpty())
            QVERIFY(writeBytes(installation + "/repo/config", "[core]\nrepo_version=1\nxa.pinned=" + pins + "\n"));
        QSet<FilePath> expected;
        qint64 size = 0;
        for (const QByteArray& ref : unused) {
            expected.insert(installation + "/runtime/" + ref);
            size += treeSize(installation + "/runtime/" + ref);
        }
        const FilePaths found = unusedFlatpakRuntimes(installation);
        QCOMPARE(QSet<FilePath>(found.begin(), found.end()), expected);

        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", fakeFlatpak(homeDir() + "/bin", "exit 0") + ':' + path);
        const QList<CleanupFile> apps = scanInstalledApps({"unused"}, false, Platform::linux, dirs, {"en"});
        qputenv("PATH", path);
        const auto row = std::find_if(apps.cbegin(), apps.cend(),
                                      [](const CleanupFile& app) { return app.packageId == unusedRuntimesPackage(); });
        QCOMPARE(row != apps.cend(), !unused.isEmpty());
        if (row != apps.cend()) {
            QCOMPARE(row->url, installation + "/runtime");
            QCOMPARE(row->name, QStringLiteral("unused"));
            QCOMPARE(row->sizeInBytes, size);
            QVERIFY(row->extraURLs.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestInstalledApps)
#include "tst_installed_apps.moc"
