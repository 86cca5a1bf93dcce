// Runs the built orvane-cli on fixture homes (HOME set in the child's environment) and checks
// what it prints, what it removes and how it exits: tours of (arguments, status, fragments).

#include "byte_format.h"
#include "cli_fixture.h"
#include "hostile_names.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QTest>
#include <QtEndian>

#include <fcntl.h>
#include <linux/fuse.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace clifixture;
using namespace Qt::StringLiterals;

namespace {

struct Result {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;

    QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
};

struct Run {
    QByteArray home;
    QMap<QString, QString> env; // extra variables

    void start(QProcess& p, const QList<QByteArray>& args) const
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(u"HOME"_s, QFile::decodeName(home));
        e.insert(u"XDG_CONFIG_HOME"_s, QFile::decodeName(home + "/.config"));
        e.insert(u"XDG_DATA_HOME"_s, QFile::decodeName(home + "/.local/share"));
        e.insert(u"XDG_CACHE_HOME"_s, QFile::decodeName(home + "/.cache"));
        e.insert(u"XDG_STATE_HOME"_s, QFile::decodeName(home + "/.local/state"));
        e.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
        e.insert(u"LANG"_s, u"C.UTF-8"_s);
        e.remove(u"LANGUAGE"_s);
        e.remove(u"GOMODCACHE"_s);
        e.remove(u"GOPATH"_s);
        for (auto it = env.cbegin(); it != env.cend(); ++it)
            e.insert(it.key(), it.value());
        p.setProcessEnvironment(e);
        p.setWorkingDirectory(QFile::decodeName(home));
        QStringList list;
        for (const QByteArray& a : args)
            list.append(QFile::decodeName(a)); // QProcess encodes them back to the same bytes
        p.start(QStringLiteral(ORVANE_CLI_PATH), list);
    }

    Result operator()(const QList<QByteArray>& args) const
    {
        QProcess p;
        start(p, args);
        Result r;
        if (!p.waitForFinished(180000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }
};

// One stop of a tour: the arguments, the exit status and fragments of what is printed (stdout and
// stderr together). A run that goes well prints nothing on stderr; a usage error (status 2) prints
// one line there and nothing on stdout.
struct Case {
    QList<QByteArray> args;
    int status = 0;
    QList<QByteArray> fragments;
};

Result expect(const Run& run, const Case& c)
{
    const Result r = run(c.args);
    [&] {
        const QByteArray seen = c.args.join(' ') + " -> " + QByteArray::number(r.exitCode) + '\n' + r.out + r.err;
        QVERIFY2(r.exitCode == c.status, seen.constData());
        for (const QByteArray& f : c.fragments)
            QVERIFY2((r.out + r.err).contains(f), (f + " missing from: " + seen).constData());
        if (c.status == 0)
            QVERIFY2(r.err.isEmpty(), seen.constData());
        if (c.status == 2)
            QVERIFY2(r.out.isEmpty() && r.err.startsWith("orvane-cli: ") && r.err.indexOf('\n') == r.err.size() - 1,
                     seen.constData());
    }();
    return r;
}

QByteArray en(qint64 bytes)
{
    return orvane::formatBytes(bytes, orvane::AppLanguage::en).toUtf8();
}

// A FUSE mount at `at` whose server answers the kernel's greeting and nothing after it, like a
// network mount that stopped answering: whatever touches it waits until it goes. Returns the
// server's end (closing it ends the mount's waits), or -1 when this machine allows none.
int mountDeadFuse(const QByteArray& at)
{
    const int fd = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return -1;
    const QByteArray options = "fd=" + QByteArray::number(fd) + ",rootmode=40000,user_id=0,group_id=0";
    if (::mount("dead", at.constData(), "fuse.dead", MS_NOSUID | MS_NODEV, options.constData()) != 0) {
        ::close(fd);
        return -1;
    }
    std::vector<char> request(FUSE_MIN_READ_BUFFER);
    const ssize_t n = ::read(fd, request.data(), request.size());
    const auto* in = reinterpret_cast<const fuse_in_header*>(request.data());
    const auto* init = reinterpret_cast<const fuse_init_in*>(request.data() + sizeof(fuse_in_header));
    struct {
        fuse_out_header header;
        fuse_init_out init;
    } reply{};
    reply.header.len = sizeof(reply);
    if (n >= ssize_t(sizeof(fuse_in_header) + sizeof(fuse_init_in)) && in->opcode == FUSE_INIT) {
        reply.header.unique = in->unique;
        reply.init.major = FUSE_KERNEL_VERSION;
        reply.init.minor = std::min<uint32_t>(init->minor, FUSE_KERNEL_MINOR_VERSION);
        reply.init.max_write = 4096;
        if (::write(fd, &reply, sizeof(reply)) == ssize_t(sizeof(reply)))
            return fd;
    }
    ::umount2(at.constData(), MNT_DETACH);
    ::close(fd);
    return -1;
}

// Whether something has asked the dead mount of `fuse` anything, waiting at most `ms`.
bool askedWithin(int fuse, int ms)
{
    pollfd p{fuse, POLLIN, 0};
    return ::poll(&p, 1, ms) == 1;
}

// The Trash entry of the fixture home and its info file.
const QByteArray trashInfo = "[Trash Info]\nPath=/home/u/old.txt\nDeletionDate=2024-01-01T00:00:00\n";
const qint64 trashItem = 50 + trashInfo.size();
const qint64 smartSelected = 20000 + 7034 + 700 + trashItem; // Developer caches, Caches, Logs, Trash
const QByteArray goCache = "/go/pkg/mod/cache/download";

// The fixture home, in the Linux layout; sizes are chosen so that category order is known.
void buildHome(const QByteArray& h)
{
    QVERIFY(writeFile(h + "/.cache/com.example.a/data", 1000));
    QVERIFY(writeFile(h + "/.cache/com.example.a/sub/more", 234));
    QVERIFY(writeFile(h + "/.cache/big.cache", 5000));
    QVERIFY(writeFile(h + "/.cache/com.apple.Safari/Cache.db", 300));
    QVERIFY(writeFile(h + "/.cache/com.example.editor/blob", 500));
    QVERIFY(writeFile(h + "/.local/share/xorg/Xorg.0.log", 700));
    QVERIFY(writeFile(h + goCache + "/example.com/m/@v/v1.0.0.zip", 20000));
    QVERIFY(writeFile(h + "/.m2/repository/org/own/1.0/own.jar", 30000)); // never offered
    QVERIFY(writeFile(h + "/.local/share/Trash/files/old.txt", 50));
    QVERIFY(fixture::writeBytes(h + "/.local/share/Trash/info/old.txt.trashinfo", trashInfo));
    QVERIFY(writeFile(h + "/Downloads/setup.dmg", 4000));
    QVERIFY(writeSparse(h + "/Documents/big.iso", 104857600));
    QVERIFY(writeFile(h + "/Downloads/photo.jpg", 2 * 1048576, 'p'));
    QVERIFY(writeFile(h + "/Pictures/photo copy.jpg", 2 * 1048576, 'p'));
}

QStringList names(const QJsonArray& array)
{
    QStringList out;
    for (const QJsonValue& v : array)
        out.append(v["name"].toString());
    return out;
}

// A path as JSON writes it: UTF-8 text, or "base64:" and the bytes of a name that is not UTF-8.
QByteArray pathOf(const QJsonValue& v)
{
    const QString text = v.toString();
    return text.startsWith(u"base64:"_s) ? QByteArray::fromBase64(text.mid(7).toLatin1()) : text.toUtf8();
}

QSet<QByteArray> pathSet(const QJsonValue& array)
{
    QSet<QByteArray> out;
    for (const QJsonValue& v : array.toArray())
        out.insert(pathOf(v));
    return out;
}

// Paths the analysis preselects (or all it found): each file's path, then its extra locations.
QList<QByteArray> selectedPaths(const QJsonObject& analysis, bool all = false)
{
    QList<QByteArray> out;
    for (const QJsonValue& c : analysis["categories"].toArray()) {
        for (const QJsonValue& f : c["files"].toArray()) {
            if (!f["selected"].toBool() && !all)
                continue;
            out.append(pathOf(f["path"]));
            for (const QJsonValue& e : f["extra"].toArray())
                out.append(pathOf(e));
        }
    }
    return out;
}

QByteArray readAll(const QByteArray& path)
{
    QFile f(QFile::decodeName(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QByteArray m_home; // the fixture home of the tours that change nothing
    int m_count = 0;
    bool m_privateMounts = false;

    // A fresh fixture home for each tour that removes things.
    QByteArray freshHome()
    {
        const QByteArray h = QFile::encodeName(m_dir.path()) + "/home" + QByteArray::number(++m_count);
        buildHome(h);
        return h;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QFile::exists(QStringLiteral(ORVANE_CLI_PATH)));
        m_home = freshHome();
        // Mounts of this test's own, which the runs of the binary see too.
        m_privateMounts = ::unshare(CLONE_NEWNS) == 0
                          && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    }

    // Usage errors, help and the text reports change nothing.
    void readOnlyTour()
    {
        const QByteArray h = m_home;
        const auto before = snapshot(h);
        const Case cases[] = {
            {{}, 2, {}},
            {{"frobnicate"}, 2, {}},
            {{"analyze"}, 2, {}},
            {{"analyze", "space"}, 2, {}}, // a section without a plan
            {{"analyze", "Smart"}, 2, {}},
            {{"analyze", "smart", "more"}, 2, {}},
            {{"--bogus", "analyze", "smart"}, 2, {}},
            {{"analyze", "smart", "--yes"}, 2, {}}, // an option of clean
            {{"clean", "smart", "--trash", "--permanent", "--yes"}, 2, {}},
            {{"clean", "space", "--yes"}, 2, {}},
            {{"--lang", "fr", "disk"}, 2, {}},
            {{"disk", "--lang"}, 2, {}},
            {{"disk", "now"}, 2, {}},
            {{"space", "/nonexistent/folder"}, 2, {}},
            {{"space", "Downloads/setup.dmg"}, 2, {}},
            {{"space", "Downloads", "Documents"}, 2, {}},
            {{"demo-home"}, 2, {}},
            {{"demo-home", "Downloads"}, 2, {}}, // not empty
            {{"demo-home", "Downloads/setup.dmg"}, 2, {}},
            {{"demo-home", "Downloads/setup.dmg/sub"}, 1, {"orvane-cli: "}},
            {{"--lang", "en", "--help"}, 0, {"Usage: orvane-cli", "demo-home", "--permanent", "--all", "base64:"}},
            {{"analyze", "-h", "--lang=es"}, 0, {"Uso: orvane-cli"}},
            {{"analyze", "smart", "--lang", "en"},
             0,
             {"Smart Care\n", "Caches · " + en(7034) + " · 4 items",
              "[x] " + en(5000).rightJustified(10) + "  " + h + "/.cache/big.cache\n", "[ ] ",
              "Selected: " + en(smartSelected)}},
            {{"clean", "smart", "--trash", "--lang", "en"},
             0,
             {"Removal: Trash", "Would remove (8 locations, " + en(smartSelected) + "):", "Add --yes"}},
            {{"clean", "dup", "--all", "--permanent", "--lang", "en"},
             0,
             {"Would remove (1 locations, " + en(2 * 1048576) + "):\n", h + "/Pictures/photo copy.jpg\n",
              "Kept (the last copy of its group of duplicates):\n", h + "/Downloads/photo.jpg\n"}},
            {{"space", "--lang", "en"}, 0, {"Heaviest folders\n", h + "/Documents/\n"}},
            {{"disk", "--lang", "en"}, 0, {" used of "}},
        };
        for (const Case& c : cases)
            expect(Run{h, {}}, c);
        QCOMPARE(snapshot(h), before);
    }

    // The JSON forms on the same home: their keys, sizes as plain integers, the order of results,
    // and a dry run of clean that names exactly what analyze preselects.
    void jsonTour()
    {
        const QByteArray h = m_home;
        const Run run{h, {}};
        const Result analysis = expect(run, {{"analyze", "smart", "--json", "--lang", "en"}, 0, {}});
        const QJsonObject o = analysis.json();
        QCOMPARE(o["section"].toString(), u"smart"_s);
        QCOMPARE(o["title"].toString(), u"Smart Care"_s);
        const QJsonArray cats = o["categories"].toArray();
        // Heaviest first: Downloads (4000 + 2 MiB), Go's module cache, Caches, Logs, Trash.
        QCOMPARE(names(cats), (QStringList{"Downloads", "Developer caches", "Caches", "Logs", "Trash"}));
        QCOMPARE(cats[1]["files"][0]["name"].toString(), u"Go (pkg/mod/cache/download)"_s);
        QCOMPARE(cats[0].toObject().keys(), (QStringList{"files", "icon", "name", "total"}));
        QCOMPARE(cats[0]["files"][0].toObject().keys(), (QStringList{"extra", "name", "path", "selected", "size"}));
        QCOMPARE(cats[0]["total"].toInteger(), 4000 + 2 * 1048576); // unselected files count too
        const QJsonValue caches = cats[2];
        QCOMPARE(caches["total"].toInteger(), 7034);
        QCOMPARE(caches["files"][0]["path"].toString(), QFile::decodeName(h + "/.cache/big.cache"));
        QCOMPARE(caches["files"][0]["size"].toInteger(), 5000);
        QVERIFY(caches["files"][0]["selected"].toBool());
        // Sizes are written as plain integers, never with a fraction or an exponent.
        const QRegularExpression notInteger(u"\"(size|total)\": *-?[0-9]*[.eE]"_s);
        QVERIFY(!notInteger.match(QString::fromUtf8(analysis.out)).hasMatch());

        const QJsonObject dry = expect(run, {{"clean", "smart", "--json"}, 0, {}}).json();
        QCOMPARE(dry["dryRun"].toBool(), true);
        QCOMPARE(dry["style"].toString(), u"permanent"_s);
        QCOMPARE(dry["freed"].toInteger(), 0);
        QVERIFY(dry["removed"].toArray().isEmpty() && dry["failed"].toArray().isEmpty());
        QCOMPARE(dry["selected"].toInteger(), smartSelected);
        QList<QByteArray> targets;
        for (const QJsonValue& t : dry["targets"].toArray())
            targets.append(pathOf(t["path"]));
        QCOMPARE(targets, selectedPaths(o));
        // --all takes every item found, as ticking every box in the window.
        targets.clear();
        for (const QJsonValue& t : expect(run, {{"clean", "smart", "--all", "--json"}, 0, {}}).json()["targets"].toArray())
            targets.append(pathOf(t["path"]));
        QCOMPARE(targets, selectedPaths(o, true));
        QVERIFY(targets.size() > selectedPaths(o).size());

        const QJsonArray entries = expect(run, {{"space", "--json"}, 0, {}}).json()["entries"].toArray();
        QCOMPARE(names(entries).first(), u"Documents"_s); // the 100 MiB file
        QCOMPARE(entries[0].toObject().keys(), (QStringList{"icon", "isDirectory", "name", "path", "size"}));
        QCOMPARE(entries[0]["size"].toInteger(), 104857600);
        QCOMPARE(entries[0]["path"].toString(), QFile::decodeName(h + "/Documents"));
        // A relative folder is taken from the working directory and written absolute.
        const QJsonObject children = expect(run, {{"space", ".cache", "--json"}, 0, {}}).json();
        QCOMPARE(children["entries"][0]["path"].toString(), QFile::decodeName(h + "/.cache/big.cache"));

        const QJsonObject d = expect(run, {{"disk", "--json"}, 0, {}}).json();
        QCOMPARE(d.keys(), (QStringList{"free", "total"}));
        QVERIFY(d["total"].toInteger() > 0 && d["free"].toInteger() <= d["total"].toInteger());
    }

    // No stored choice: the system's language. A stored choice wins over the system; --lang wins
    // for one run and is not stored. (An empty home, where every plan finds nothing.)
    void languageChoice()
    {
        const QByteArray h = QFile::encodeName(m_dir.path()) + "/lang-home";
        QVERIFY(QDir().mkpath(QFile::decodeName(h)));
        const Run english{h, {{u"LC_ALL"_s, u"en_US.UTF-8"_s}, {u"LANG"_s, u"en_US.UTF-8"_s}}};
        const Run spanish{h, {{u"LC_ALL"_s, u"es_ES.UTF-8"_s}, {u"LANG"_s, u"es_ES.UTF-8"_s}}};
        expect(english, {{"analyze", "protect"}, 0, {"Protection\n", "Your computer is already clean here!"}});
        QVERIFY(expect(english, {{"analyze", "protect", "--json"}, 0, {}}).json()["categories"].toArray().isEmpty());
        expect(spanish, {{"analyze", "smart"}, 0, {"Cuidado inteligente\n"}});
        QVERIFY(fixture::writeBytes(h + "/.config/Orvane/Orvane.conf", "[General]\napp_language=es\n"));
        expect(english, {{"analyze", "smart"}, 0, {"Cuidado inteligente\n"}});
        expect(english, {{"analyze", "smart", "--lang", "en"}, 0, {"Smart Care\n"}});
        expect(english, {{"analyze", "smart"}, 0, {"Cuidado inteligente\n"}});
    }

    // Names from Trash info files and desktop entries are printed escaped like paths: nothing a
    // terminal acts on gets through, and each item stays on its own line.
    void hostileNames()
    {
        const QByteArray h = QFile::encodeName(m_dir.path()) + "/hostile-home";
        const QList<hostile::Name> rows = hostile::names("http://127.0.0.1:9/track.png");
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const QByteArray n = QByteArray::number(i);
            // A Trash item's original name is the last part of its path: one without "/".
            const QByteArray trashed = QByteArray(rows[i].bytes).replace('/', '|');
            QVERIFY(writeFile(h + "/.local/share/Trash/files/t" + n, 10));
            QVERIFY(fixture::writeBytes(h + "/.local/share/Trash/info/t" + n + ".trashinfo",
                                        "[Trash Info]\nPath=/home/u/" + trashed.toPercentEncoding() + "\n"));
            const QByteArray app = h + "/Applications/app" + n + ".AppImage";
            QVERIFY(fixture::writeBytes(app, QByteArray("\x7f" "ELF\x02\x01\x01\x00" "AI\x02", 11))
                    && ::truncate(app.constData(), 1048576) == 0);
            QByteArray name = rows[i].bytes;
            name.replace('\\', "\\\\").replace('\n', "\\n");
            QVERIFY(fixture::writeBytes(h + "/.local/share/applications/app" + n + ".desktop",
                                        "[Desktop Entry]\nName=" + name + "\nExec=" + app + "\n"));
        }
        const Run run{h, {{u"PATH"_s, m_dir.filePath(u"no-bin"_s)}}};
        for (const char* section : {"smart", "apps"}) {
            const Result r = expect(run, {{"analyze", section, "--lang", "en"}, 0, {}});
            for (const hostile::Name& row : rows) {
                const QByteArray printed = section == QByteArray("smart") ? QByteArray(row.printed).replace('/', '|') : row.printed;
                QVERIFY2(r.out.contains("  (" + printed + ")"), (section + (" " + r.out)).constData());
            }
            for (const char c : r.out)
                QVERIFY2(c == '\n' || (uchar(c) >= 0x20 && uchar(c) != 0x7f), r.out.constData());
            QVERIFY(!r.out.contains("\xc2\x9b") && !r.out.contains("\xe2\x80\xae"));
            QCOMPARE(r.out.count("\n  [ ]  100 GB"), 0);
            QCOMPARE(r.out.count("~FAKE"), 1);
        }
    }

    // A mount in the home that never answers: the walks know it from the mount table and never
    // touch it; and when a scan's worker is stuck in the kernel on one anyway (the Trash folder
    // itself on it), Ctrl-C still ends the run with status 130, removing nothing.
    void deadMount()
    {
        if (!m_privateMounts)
            QSKIP("mounting is not permitted here");
        const QByteArray h = freshHome();
        const QByteArray remote = h + "/Documents/remote", trash = h + "/.local/share/Trash";
        QVERIFY(fixture::makeDirs(remote));
        const auto before = snapshot(h);
        const int walkedPast = mountDeadFuse(remote);
        if (walkedPast < 0)
            QSKIP("FUSE mounts are not permitted here");
        int stuck = -1;
        const auto unmount = qScopeGuard([&] {
            for (const QByteArray& at : {remote, trash})
                ::umount2(at.constData(), MNT_DETACH);
            ::close(walkedPast);
            ::close(stuck);
        });
        const Run run{h, {{u"PATH"_s, m_dir.filePath(u"no-bin"_s)}}};
        expect(run, {{"analyze", "cleanup", "--lang", "en"}, 0, {"Deep Clean\n"}});
        QVERIFY(!askedWithin(walkedPast, 0));

        stuck = mountDeadFuse(trash);
        QVERIFY(stuck >= 0);

        QProcess p;
        run.start(p, {"clean", "smart", "--yes", "--lang", "en"});
        QVERIFY(p.waitForStarted());
        QVERIFY2(askedWithin(stuck, 60000), "the scan never reached the Trash");
        QVERIFY(::kill(pid_t(p.processId()), SIGINT) == 0);
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 130);
        QVERIFY(p.readAllStandardOutput().isEmpty());
        QCOMPARE(p.readAllStandardError(), QByteArray("Scan cancelled.\n"));
        for (const QByteArray& at : {remote, trash})
            QVERIFY(::umount2(at.constData(), MNT_DETACH) == 0);
        QCOMPARE(snapshot(h), before);
    }

    // Clean for good removes exactly what analyze preselects, names that are not UTF-8 included
    // (written "base64:" in JSON, \xNN on the terminal), counted honestly: freed is the disk space
    // that came back (allocated blocks), nothing moved to the Trash; a second clean finds
    // nothing; a folder holding another disk goes in part, which is reported with status 1.
    void cleanForGood()
    {
        const QByteArray h = freshHome();
        const QByteArray odd = h + "/.cache/caf\xe9-\xff.bin";
        const QByteArray sibling = h + "/.cache/caf\xc3\xa9-\xc3\xbf.bin"; // the same name in UTF-8
        QVERIFY(writeFile(odd, 77) && writeFile(sibling, 66));
        // Go's module cache as go leaves it: read-only folders and files.
        for (const char* sub : {"/example.com/m/@v/v1.0.0.zip", "/example.com/m/@v", "/example.com/m", "/example.com", ""})
            QCOMPARE(::chmod((h + goCache + sub).constData(), *sub == '\0' || QByteArray(sub).endsWith("zip") ? 0444 : 0555), 0);
        QCOMPARE(::chmod((h + goCache).constData(), 0555), 0);
        const Run run{h, {}};
        expect(run, {{"analyze", "smart"}, 0, {"/.cache/caf\\xe9-\\xff.bin\n", "/.cache/caf\xc3\xa9-\xc3\xbf.bin\n"}});
        const Result analysis =
            expect(run, {{"analyze", "smart", "--json"}, 0, {"\"base64:", "caf\xc3\xa9-\xc3\xbf.bin"}});
        const QList<QByteArray> selected = selectedPaths(analysis.json());
        QCOMPARE(selected.size(), 10); // the Trash entry with its info file, both odd names
        QVERIFY(selected.contains(odd) && selected.contains(sibling));
        auto expected = snapshot(h);
        qint64 disk = 0;
        for (const QByteArray& p : selected)
            disk += fixture::ref::allocatedSize(p);
        for (const QByteArray& p : selected) {
            const QByteArray rel = p.mid(h.size() + 1);
            for (auto it = expected.begin(); it != expected.end();)
                it = (it.key() == rel || it.key().startsWith(rel + '/')) ? expected.erase(it) : std::next(it);
        }

        const QJsonObject o = expect(run, {{"clean", "smart", "--yes", "--json"}, 0, {}}).json();
        QCOMPARE(o["dryRun"].toBool(), false);
        QCOMPARE(pathSet(o["removed"]), QSet<QByteArray>(selected.begin(), selected.end()));
        QVERIFY(o["failed"].toArray().isEmpty());
        QCOMPARE(o["freed"].toInteger(), disk);
        QCOMPARE(o["trashed"].toInteger(), 0);
        QCOMPARE(o["selected"].toInteger(), smartSelected + 77 + 66);
        // Everything else is where it was, the scanned folders themselves included; the Trash
        // keeps its files/ and info/ folders, both empty.
        QCOMPARE(snapshot(h), expected);
        QVERIFY(exists(h + "/.cache") && exists(h + "/.local/share/Trash/info"));
        expect(run, {{"clean", "smart", "--yes", "--lang", "en"}, 0, {"Nothing preselected"}});
        QCOMPARE(snapshot(h), expected);

        const QByteArray mnt = h + "/.cache/late/mnt";
        QVERIFY(writeFile(h + "/.cache/late/x", 10) && fixture::makeDirs(mnt));
        const qint64 lateDisk = fixture::ref::allocatedSize(h + "/.cache/late/x");
        if (!m_privateMounts || ::mount("tmpfs", mnt.constData(), "tmpfs", 0, "size=1m") != 0)
            QSKIP("mounting is not permitted here");
        const auto unmount = qScopeGuard([&] { ::umount2(mnt.constData(), MNT_DETACH); });
        expect(run, {{"clean", "smart", "--yes", "--lang", "en"},
                     1,
                     {"Partly removed (the rest is still in place):\n", h + "/.cache/late: ", "You freed " + en(lateDisk)}});
        QVERIFY(!exists(h + "/.cache/late/x") && exists(mnt));
    }

    // Into the Trash (which then holds only what these cleans put there). An item the Trash cannot
    // take (its info file name would be too long) stays, is reported, is not counted as freed, and
    // the status is 1; the others still go. Then the duplicates plan, whose own style is the Trash:
    // its JSON says what was moved to the Trash apart from what the disk got back (nothing).
    void cleanToTrash()
    {
        const QByteArray h = freshHome();
        const QByteArray trash = h + "/.local/share/Trash";
        fixture::removeTree(trash);
        const QByteArray longName = h + "/.cache/" + QByteArray(255, 'n');
        QVERIFY(writeFile(longName, 4321));
        const Run run{h, {}};
        expect(run, {{"clean", "smart", "--trash", "--yes", "--lang", "en"},
                     1,
                     {"Could not be removed (still in place):\n", longName + ": the Trash cannot take it\n",
                      "You moved " + en(smartSelected - trashItem) + " to the Trash\n"}});
        QVERIFY(exists(longName) && !exists(h + "/.cache/big.cache") && exists(trash + "/files/big.cache"));

        const QJsonObject o = expect(run, {{"clean", "dup", "--yes", "--json"}, 0, {}}).json();
        QCOMPARE(o["style"].toString(), u"trash"_s);
        QCOMPARE(pathSet(o["removed"]), QSet<QByteArray>{h + "/Pictures/photo copy.jpg"});
        QCOMPARE(o["freed"].toInteger(), 0);
        QCOMPARE(o["trashed"].toInteger(), 2 * 1048576);
        QVERIFY(exists(h + "/Downloads/photo.jpg") && !exists(h + "/Pictures/photo copy.jpg"));
        QVERIFY(exists(trash + "/files/photo copy.jpg") && exists(trash + "/info/photo copy.jpg.trashinfo"));
    }

    // Refusals, each changing nothing: a home that belongs to another user (root through sudo
    // with HOME kept; a plain user given root's folder) is refused with exit status 3, before any
    // settings or Trash folder is made there; a cache folder that is the configuration folder is
    // not scanned, and the report says why in one line (JSON: "notes").
    void refusals()
    {
        const QByteArray h = freshHome();
        QByteArray foreign = "/";
        if (::geteuid() == 0) {
            foreign = h;
            fixture::removeTree(h + "/.config");
            QVERIFY(::chown(h.constData(), 65534, 65534) == 0);
        }
        const auto before = snapshot(foreign == "/" ? h : foreign);
        for (const Case& c : {Case{{"clean", "smart", "--trash", "--yes", "--lang", "en"}, 3, {"belongs to", "runs as"}},
                              Case{{"analyze", "apps"}, 3, {"pertenece a"}}, Case{{"--help", "--lang", "en"}, 0, {"3 when $HOME"}}})
            expect(Run{foreign, {}}, c);
        if (::geteuid() == 0) {
            QVERIFY(!exists(h + "/.config") && !exists(h + "/.local/share/Trash/files/big.cache"));
            QVERIFY(::chown(h.constData(), 0, 0) == 0);
        }
        QCOMPARE(snapshot(foreign == "/" ? h : foreign), before);

        const QByteArray other = freshHome();
        QVERIFY(writeFile(other + "/.config/evolution/mail", 900));
        const Run sameAsConfig{other, {{u"XDG_CACHE_HOME"_s, QFile::decodeName(other + "/.config")}}};
        const Result r = expect(sameAsConfig, {{"analyze", "smart", "--lang", "en"}, 0,
                                               {"Smart Care\nXDG_CACHE_HOME (~/.config) is not cleaned: it is the same "
                                                "folder as ~/.config.\n"}});
        QVERIFY(!r.out.contains("evolution") && !r.out.contains("big.cache"));
        const QJsonObject o = expect(sameAsConfig, {{"clean", "smart", "--json", "--lang", "en"}, 0, {}}).json();
        QCOMPARE(o["notes"].toArray().size(), 1);
    }

    // The keep-list: kept items are never offered nor removed, relative paths are taken from the
    // working directory, an entry that no longer exists is harmless and can be taken back, and
    // the list is the app's own (its settings file). A list that cannot be read counts as empty,
    // with a warning, and the file is kept before it is written again.
    void keepList()
    {
        const QByteArray h = freshHome();
        const Run run{h, {}};
        const Case cases[] = {
            {{"keep"}, 2, {}},
            {{"keep", "add"}, 2, {}},
            {{"keep", "list", "x"}, 2, {}},
            {{"keep", "forget", "x"}, 2, {}},
            {{"keep", "list", "--lang", "en"}, 0, {"The list is empty"}},
            {{"keep", "add", ".cache/./big.cache", "--lang", "en"}, 0, {"Never offered again: " + h + "/.cache/big.cache\n"}},
            {{"keep", "add", h + "/gone/../gone/thing", "--lang", "en"}, 0, {"Never offered again: " + h + "/gone/thing\n"}},
            {{"keep", "add", h + goCache + "/example.com"}, 0, {}},
            {{"analyze", "smart", "--lang", "en"}, 0, {"Caches · " + en(2034) + " · 3 items"}},
            {{"clean", "smart", "--yes", "--lang", "en"}, 0, {"You freed "}},
            {{"keep", "list", "--lang", "en"}, 0, {h + "/.cache/big.cache\n", h + "/gone/thing\n", h + goCache + "/example.com\n"}},
            {{"keep", "remove", "gone/thing", "--lang", "en"}, 0, {"Offered again: " + h + "/gone/thing\n"}},
            {{"keep", "remove", "gone/thing", "--lang", "en"}, 0, {"Was not on the list: " + h + "/gone/thing\n"}},
        };
        for (const Case& c : cases)
            expect(run, c);
        QVERIFY(exists(h + "/.cache/big.cache") && exists(h + goCache + "/example.com/m/@v/v1.0.0.zip"));
        const QJsonArray kept = expect(run, {{"keep", "list", "--json"}, 0, {}}).json()["kept"].toArray();
        QCOMPARE(pathSet(kept), (QSet<QByteArray>{h + "/.cache/big.cache", h + goCache + "/example.com"}));
        QVERIFY(readAll(h + "/.config/Orvane/Orvane.conf").contains("keepList="));

        const QByteArray conf = h + "/.config/Orvane/Orvane.conf";
        QVERIFY(fixture::writeBytes(conf, "[General]\napp_language=es\nkeepList=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x3garbage)\n"));
        const Result unreadable = run({"keep", "list", "--lang", "en"});
        QCOMPARE(unreadable.exitCode, 0);
        QVERIFY2(unreadable.out.contains("The list is empty") && unreadable.err.contains("keep-list"), unreadable.err.constData());
        const Result analysis = run({"analyze", "smart", "--lang", "en"});
        QVERIFY(analysis.exitCode == 0 && analysis.out.contains("Caches · " + en(5000) + " · 1 item"));
        QVERIFY2(!analysis.err.contains("keep-list"), analysis.err.constData()); // copied once, then readable
        QCOMPARE(run({"keep", "add", "x"}).exitCode, 0);
        QVERIFY(readAll(conf).contains("app_language=es")); // the other settings stay
        const QStringList copies = QDir(QFile::decodeName(h + "/.config/Orvane")).entryList({u"Orvane.conf.unreadable-*"_s});
        QCOMPARE(copies.size(), 1);
        QVERIFY(readAll(h + "/.config/Orvane/" + QFile::encodeName(copies[0])).contains("garbage"));
    }

    // A new folder (parents included) becomes a home on which every plan finds something, made
    // the same way every time (in an existing empty folder too).
    void demoHome()
    {
        const QByteArray demo = QFile::encodeName(m_dir.path()) + "/demo/nested/home";
        const QByteArray other = QFile::encodeName(m_dir.path()) + "/demo/nested/twin"; // as long: same sizes
        const Run maker{QFile::encodeName(m_dir.path()), {}}, run{demo, {}};
        const QJsonObject summary = expect(maker, {{"demo-home", demo, "--json"}, 0, {}}).json();
        QCOMPARE(summary["home"].toString(), QFile::decodeName(demo));
        QVERIFY(summary["files"].toInteger() > 150);
        QVERIFY(summary["bytes"].toInteger() > 10'000'000'000LL);
        QVERIFY(summary["diskBytes"].toInteger() < 64LL * 1024 * 1024);
        QVERIFY(QDir().mkpath(QFile::decodeName(other)));
        expect(maker, {{"demo-home", other}, 0, {"HOME=" + other + " orvane-cli analyze smart\n"}});
        const auto made = snapshot(demo);
        QCOMPARE(made, snapshot(other));
        for (auto it = made.cbegin(); it != made.cend(); ++it) {
            struct stat x, y;
            QVERIFY(::lstat((demo + '/' + it.key()).constData(), &x) == 0);
            QVERIFY(::lstat((other + '/' + it.key()).constData(), &y) == 0);
            QCOMPARE(x.st_mtim.tv_sec, y.st_mtim.tv_sec);
            // Desktop entries, Trash info files and recent files name the home they were made in.
            if (it.value() >= 0 && it.value() <= 8 * 1024 * 1024)
                QVERIFY2(readAll(demo + '/' + it.key()).replace(demo, other) == readAll(other + '/' + it.key()),
                         it.key().constData());
        }

        QHash<QString, QJsonArray> plans;
        for (const char* section : {"smart", "cleanup", "apps", "protect", "dup"}) {
            const Result r = expect(run, {{"analyze", section, "--json", "--lang", "en"}, 0, {}});
            plans[section] = r.json()["categories"].toArray();
            QVERIFY2(!plans[section].isEmpty(), section);
        }
        // Every folder source that the sample home has something for finds it.
        QCOMPARE(names(plans["smart"]), (QStringList{"Downloads", "Caches", "Trash", "Logs"}));
        const QStringList protect = names(plans["protect"]);
        QCOMPARE(QSet<QString>(protect.begin(), protect.end()),
                 (QSet<QString>{"Recent files", "Chrome traces", "Firefox traces", "Edge traces", "Saved windows"}));

        // Large files: visible ones only, none inside Library or hidden folders, none one byte short.
        QSet<QByteArray> large;
        for (const QJsonValue& c : plans["cleanup"])
            if (c["name"].toString() == u"Large files (+100 MB)"_s)
                for (const QJsonValue& f : c["files"].toArray())
                    large.insert(pathOf(f["path"]).mid(demo.size() + 1));
        QCOMPARE(large, (QSet<QByteArray>{"Downloads/ubuntu-24.04-desktop-amd64.iso", "Downloads/Xcode_15.4.xip",
                                          "Downloads/project-backup-2023.zip", "Documents/Family Videos/Summer 2023.mov",
                                          "Desktop/design-export.psd",
                                          "Movies/Screen Recording 2024-01-09 at 10.02.11.mov",
                                          "Movies/iMovie Library.imovielibrary/2024-01-09/Original Media/clip-01.mov",
                                          "Applications/CodeLens.app/Contents/MacOS/CodeLens",
                                          "Applications/Sketchpad Pro.app/Contents/MacOS/SketchpadPro"}));

        // Duplicates: five groups of 13 copies in all; same-size files with other content stay out.
        int copies = 0;
        for (const QJsonValue& g : plans["dup"])
            copies += int(g["files"].toArray().size());
        QCOMPARE(plans["dup"].size(), 5);
        QCOMPARE(copies, 13);
        QVERIFY(names(plans["dup"]).contains(u"wallpaper.jpg"_s)); // Desktop sorts before the others
        QVERIFY(names(plans["dup"]).contains(u"photo for mom.heic"_s));

        // Every copy of every group selected: each group keeps its first copy, the rest goes.
        QSet<QByteArray> firsts, others;
        for (const QJsonValue& g : plans["dup"]) {
            const QJsonArray files = g["files"].toArray();
            for (qsizetype i = 0; i < files.size(); ++i)
                (i == 0 ? firsts : others).insert(pathOf(files[i]["path"]));
        }
        const QJsonObject dups = expect(run, {{"clean", "dup", "--all", "--permanent", "--yes", "--json"}, 0, {}}).json();
        QCOMPARE(pathSet(dups["kept"]), firsts);
        QCOMPARE(pathSet(dups["removed"]), others);
        for (const QByteArray& p : std::as_const(firsts))
            QVERIFY2(exists(p), p.constData());
        QVERIFY(expect(run, {{"analyze", "dup", "--json"}, 0, {}}).json()["categories"].toArray().isEmpty());

        // Applications: AppImages (one known to the desktop through an entry) with their leftovers;
        // the Flatpak app only where flatpak is installed (a stand-in on PATH here).
        const auto appsOf = [&](const Run& r) {
            QHash<QString, QJsonValue> apps;
            const QJsonObject plan = r({"analyze", "apps", "--json", "--lang", "en"}).json();
            for (const QJsonValue& f : plan["categories"][0]["files"].toArray())
                apps.insert(f["name"].toString(), f);
            return apps;
        };
        // Without flatpak on PATH, whatever this machine has installed. (rivet's folders are named
        // like it, but nothing it carries says so: they stay.)
        QHash<QString, QJsonValue> apps = appsOf(Run{demo, {{u"PATH"_s, m_dir.filePath(u"no-bin"_s)}}});
        QCOMPARE(QSet<QString>(apps.keyBegin(), apps.keyEnd()), (QSet<QString>{"Inkwell Notes", "rivet"}));
        QCOMPARE(pathSet(apps["Inkwell Notes"]["extra"]),
                 (QSet<QByteArray>{demo + "/.config/Inkwell", demo + "/.local/share/Inkwell", demo + "/.cache/inkwell",
                                   demo + "/.local/share/applications/appimagekit_4f1c2e6b0d9a8e7f5c3b2a1d0e9f8a7b-inkwell.desktop"}));
        QVERIFY(apps["rivet"]["extra"].toArray().isEmpty());
        const QString bin = m_dir.filePath(u"flatpak-bin"_s);
        QVERIFY(QDir().mkpath(bin) && QFile::copy(u"/bin/true"_s, bin + u"/flatpak"_s));
        apps = appsOf(Run{demo, {{u"PATH"_s, bin + u':' + qEnvironmentVariable("PATH")},
                                 {u"FLATPAK_SYSTEM_DIR"_s, m_dir.filePath(u"no-system"_s)}}});
        QCOMPARE(pathSet(apps["Lumen"]["extra"]), QSet<QByteArray>{demo + "/.var/app/io.example.Lumen"});
        // The runtime no app uses, with its translations; never Lumen's, nor what extends it.
        const QJsonValue runtimes = apps["Unused Flatpak runtimes"];
        QCOMPARE(pathOf(runtimes["path"]), demo + "/.local/share/flatpak/runtime");
        QCOMPARE(runtimes["size"].toInteger(), fixture::ref::treeSize(demo + "/.local/share/flatpak/runtime/org.gnome.Platform")
                                                   + fixture::ref::treeSize(demo + "/.local/share/flatpak/runtime/org.gnome.Platform.Locale"));
        for (const char* name : {"Notewise", "Sketchpad Pro", "Tunebox", "CodeLens", "Legacy Scanner"}) {
            const QByteArray icon = readAll(demo + "/Applications/" + name + ".app/Contents/Resources/AppIcon.icns");
            QVERIFY(icon.startsWith("icns"));
            QCOMPARE(qFromBigEndian<quint32>(icon.constData() + 4), quint32(icon.size()));
            QCOMPARE(icon.mid(16, 8), QByteArray("\x89PNG\r\n\x1a\n", 8));
        }
        QCOMPARE(QDir(QFile::decodeName(demo + "/Library/LaunchAgents")).entryList(QDir::Files).size(), 4);

        // Trying it: a clean of Smart Care removes what it selected, honestly counted (the disk
        // space of its sparse files, not their logical size), and leaves the Trash consistent.
        qint64 disk = 0;
        for (const QByteArray& p : selectedPaths(expect(run, {{"analyze", "smart", "--json"}, 0, {}}).json()))
            disk += fixture::ref::allocatedSize(p);
        const QJsonObject clean = expect(run, {{"clean", "smart", "--yes", "--json"}, 0, {}}).json();
        QVERIFY(clean["freed"].toInteger() > 0);
        QCOMPARE(clean["freed"].toInteger(), disk);
        QVERIFY(disk < clean["selected"].toInteger());
        for (const char* part : {"/.local/share/Trash/files", "/.local/share/Trash/info"})
            QVERIFY2(QDir(QFile::decodeName(demo + part)).isEmpty(), part);
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
