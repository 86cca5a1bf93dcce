// Runs the built orvane-cli on fixture homes (HOME set in the child's environment) and checks
// what it prints, what it removes and how it exits.

#include "byte_format.h"
#include "cli_fixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QtEndian>

using namespace clifixture;

namespace {

struct Result {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;

    QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
};

struct Run {
    QByteArray home;
    QMap<QString, QString> env; // extra variables; an empty value removes the variable

    Result operator()(const QList<QByteArray>& args) const
    {
        QProcess p;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("HOME"), QFile::decodeName(home));
        e.insert(QStringLiteral("XDG_CONFIG_HOME"), QFile::decodeName(home + "/.config"));
        e.insert(QStringLiteral("XDG_DATA_HOME"), QFile::decodeName(home + "/.local/share"));
        e.insert(QStringLiteral("XDG_CACHE_HOME"), QFile::decodeName(home + "/.cache"));
        e.insert(QStringLiteral("XDG_STATE_HOME"), QFile::decodeName(home + "/.local/state"));
        e.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        e.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        e.remove(QStringLiteral("LANGUAGE"));
        for (auto it = env.cbegin(); it != env.cend(); ++it) {
            if (it.value().isEmpty())
                e.remove(it.key());
            else
                e.insert(it.key(), it.value());
        }
        p.setProcessEnvironment(e);
        p.setWorkingDirectory(QFile::decodeName(home));
        QStringList list;
        for (const QByteArray& a : args)
            list.append(QFile::decodeName(a)); // QProcess encodes them back to the same bytes
        p.start(QStringLiteral(ORVANE_CLI_PATH), list);
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

// The Trash entry of the fixture home and its info file.
const QByteArray trashInfo = "[Trash Info]\nPath=/home/u/old.txt\nDeletionDate=2024-01-01T00:00:00\n";
const qint64 trashItem = 50 + trashInfo.size();

// The fixture home used by most tests, in the Linux layout (Xcode's build folder keeps its macOS
// path); sizes are chosen so that category order is known.
void buildHome(const QByteArray& h)
{
    QVERIFY(writeFile(h + "/.cache/com.example.a/data", 1000));
    QVERIFY(writeFile(h + "/.cache/com.example.a/sub/more", 234));
    QVERIFY(writeFile(h + "/.cache/big.cache", 5000));
    QVERIFY(writeFile(h + "/.cache/com.apple.Safari/Cache.db", 300));
    QVERIFY(writeFile(h + "/.cache/com.example.editor/blob", 500));
    QVERIFY(writeFile(h + "/.local/share/xorg/Xorg.0.log", 700));
    QVERIFY(writeFile(h + "/Library/Developer/Xcode/DerivedData/Proj-abc/Build/x.o", 20000));
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
        out.append(v.toObject().value(QStringLiteral("name")).toString());
    return out;
}

bool isInteger(const QJsonValue& v)
{
    return v.isDouble() && v.toDouble() == double(v.toInteger());
}

// Paths the analysis preselects: each selected file's path, then its extra locations.
QList<QByteArray> selectedPaths(const QJsonObject& analysis)
{
    QList<QByteArray> out;
    for (const QJsonValue& c : analysis.value(QStringLiteral("categories")).toArray()) {
        for (const QJsonValue& fv : c.toObject().value(QStringLiteral("files")).toArray()) {
            const QJsonObject f = fv.toObject();
            if (!f.value(QStringLiteral("selected")).toBool())
                continue;
            out.append(f.value(QStringLiteral("path")).toString().toUtf8());
            for (const QJsonValue& e : f.value(QStringLiteral("extra")).toArray())
                out.append(e.toString().toUtf8());
        }
    }
    return out;
}

QSet<QByteArray> pathSet(const QJsonValue& array)
{
    QSet<QByteArray> out;
    for (const QJsonValue& v : array.toArray())
        out.insert(v.toString().toUtf8());
    return out;
}

QByteArray fromBase64Form(const QString& text)
{
    if (!text.startsWith(QStringLiteral("base64:")))
        return {};
    return QByteArray::fromBase64(text.mid(7).toLatin1());
}

bool oneLine(const QByteArray& text)
{
    return text.size() > 1 && text.endsWith('\n') && text.count('\n') == 1;
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

private:
    QTemporaryDir m_dir;
    QByteArray m_home;
    int m_count = 0;

    // A fresh fixture home for each test that changes things.
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
    }

    // ---- usage ----

    void usageErrors_data()
    {
        QTest::addColumn<QList<QByteArray>>("args");
        QTest::newRow("no command") << QList<QByteArray>{};
        QTest::newRow("unknown command") << QList<QByteArray>{"frobnicate"};
        QTest::newRow("missing section") << QList<QByteArray>{"analyze"};
        QTest::newRow("section without plan") << QList<QByteArray>{"analyze", "space"};
        QTest::newRow("section in capitals") << QList<QByteArray>{"analyze", "Smart"};
        QTest::newRow("extra argument") << QList<QByteArray>{"analyze", "smart", "more"};
        QTest::newRow("unknown option") << QList<QByteArray>{"--bogus", "analyze", "smart"};
        QTest::newRow("clean option elsewhere") << QList<QByteArray>{"analyze", "smart", "--yes"};
        QTest::newRow("both styles") << QList<QByteArray>{"clean", "smart", "--trash", "--permanent", "--yes"};
        QTest::newRow("clean unknown section") << QList<QByteArray>{"clean", "space", "--yes"};
        QTest::newRow("bad language") << QList<QByteArray>{"--lang", "fr", "disk"};
        QTest::newRow("missing language") << QList<QByteArray>{"disk", "--lang"};
        QTest::newRow("space missing folder") << QList<QByteArray>{"space", "/nonexistent/folder"};
        QTest::newRow("space on a file") << QList<QByteArray>{"space", "Downloads/setup.dmg"};
        QTest::newRow("space two folders") << QList<QByteArray>{"space", "Downloads", "Documents"};
        QTest::newRow("disk argument") << QList<QByteArray>{"disk", "now"};
        QTest::newRow("demo-home no folder") << QList<QByteArray>{"demo-home"};
    }

    // A usage error: status 2, one line on stderr, nothing on stdout, nothing touched.
    void usageErrors()
    {
        QFETCH(QList<QByteArray>, args);
        const QByteArray h = freshHome();
        const auto before = snapshot(h);
        const Result r = Run{h, {}}(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(oneLine(r.err), r.err.constData());
        QVERIFY(r.err.startsWith("orvane-cli: "));
        QVERIFY(r.out.isEmpty());
        QCOMPARE(snapshot(h), before);
    }

    void help()
    {
        const QByteArray h = QFile::encodeName(m_dir.path());
        const Result en = Run{h, {}}({"--lang", "en", "--help"});
        QCOMPARE(en.exitCode, 0);
        QVERIFY(en.err.isEmpty());
        for (const char* word : {"analyze", "clean", "space", "disk", "demo-home", "--json", "--lang", "--trash",
                                 "--permanent", "--yes", "base64:"})
            QVERIFY2(en.out.contains(word), word);
        const Result es = Run{h, {}}({"analyze", "-h", "--lang=es"});
        QCOMPARE(es.exitCode, 0);
        QVERIFY(es.out.contains("Uso: orvane-cli"));
        QVERIFY(en.out.startsWith("Usage: orvane-cli"));
    }

    // ---- analyze ----

    void analyzeJsonShape()
    {
        const QByteArray h = freshHome();
        const Result r = Run{h, {}}({"analyze", "smart", "--json", "--lang", "en"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.err.isEmpty());
        const QJsonObject o = r.json();
        QCOMPARE(o.value(QStringLiteral("section")).toString(), QStringLiteral("smart"));
        QCOMPARE(o.value(QStringLiteral("title")).toString(), QStringLiteral("Smart Care"));
        const QJsonArray cats = o.value(QStringLiteral("categories")).toArray();
        // Heaviest first: Downloads (4000 + 2 MiB), DerivedData, Caches, Logs, Trash.
        QCOMPARE(names(cats), (QStringList{QStringLiteral("Downloads"), QStringLiteral("Xcode DerivedData"),
                                           QStringLiteral("Caches"), QStringLiteral("Logs"), QStringLiteral("Trash")}));
        for (const QJsonValue& cv : cats) {
            const QJsonObject c = cv.toObject();
            QCOMPARE(c.keys(), (QStringList{"files", "icon", "name", "total"}));
            QVERIFY(c.value(QStringLiteral("icon")).isString());
            QVERIFY(isInteger(c.value(QStringLiteral("total"))));
            qint64 sum = 0;
            for (const QJsonValue& fv : c.value(QStringLiteral("files")).toArray()) {
                const QJsonObject f = fv.toObject();
                QCOMPARE(f.keys(), (QStringList{"extra", "name", "path", "selected", "size"}));
                QVERIFY(f.value(QStringLiteral("name")).isString());
                QVERIFY(f.value(QStringLiteral("selected")).isBool());
                QVERIFY(f.value(QStringLiteral("extra")).isArray());
                QVERIFY(isInteger(f.value(QStringLiteral("size"))));
                QVERIFY(f.value(QStringLiteral("path")).toString().startsWith(QFile::decodeName(h) + u'/'));
                sum += f.value(QStringLiteral("size")).toInteger();
            }
            QCOMPARE(c.value(QStringLiteral("total")).toInteger(), sum);
        }
        const QJsonObject caches = cats.at(2).toObject();
        QCOMPARE(caches.value(QStringLiteral("total")).toInteger(), 1234 + 5000 + 300 + 500);
        const QJsonObject first = caches.value(QStringLiteral("files")).toArray().at(0).toObject();
        QCOMPARE(first.value(QStringLiteral("name")).toString(), QStringLiteral("big.cache"));
        QCOMPARE(first.value(QStringLiteral("path")).toString(), QFile::decodeName(h + "/.cache/big.cache"));
        QCOMPARE(first.value(QStringLiteral("size")).toInteger(), 5000);
        QCOMPARE(first.value(QStringLiteral("selected")).toBool(), true);
        const QJsonObject downloads = cats.at(0).toObject();
        for (const QJsonValue& f : downloads.value(QStringLiteral("files")).toArray())
            QCOMPARE(f.toObject().value(QStringLiteral("selected")).toBool(), false);
        // Sizes are written as plain integers, never with a fraction or an exponent.
        QVERIFY(!QRegularExpression(QStringLiteral("\"(size|total)\": *-?[0-9]*[.eE]"))
                     .match(QString::fromUtf8(r.out))
                     .hasMatch());
    }

    // A home where a plan finds nothing: an empty list, status 0, the clean message.
    void analyzeEmptyHome()
    {
        const QByteArray empty = QFile::encodeName(m_dir.path()) + "/empty-home";
        QVERIFY(QDir().mkpath(QFile::decodeName(empty)));
        const Result none = Run{empty, {}}({"analyze", "protect", "--json"});
        QCOMPARE(none.exitCode, 0);
        QVERIFY(none.json().value(QStringLiteral("categories")).toArray().isEmpty());
        const Result noneText = Run{empty, {}}({"analyze", "protect", "--lang", "en"});
        QVERIFY(noneText.out.contains("Your computer is already clean here!"));
    }

    void analyzeHumanOutput()
    {
        const QByteArray h = freshHome();
        const Result en = Run{h, {}}({"analyze", "smart", "--lang", "en"});
        QCOMPARE(en.exitCode, 0);
        const QList<QByteArray> lines = en.out.split('\n');
        QCOMPARE(lines.first(), QByteArray("Smart Care"));
        const QByteArray total = orvane::formatBytes(7034, orvane::AppLanguage::en).toUtf8();
        QVERIFY2(en.out.contains("Caches · " + total + " · 4 items"), en.out.constData());
        const QByteArray cacheLine = "[x] " + orvane::formatBytes(5000, orvane::AppLanguage::en).toUtf8()
                                         .rightJustified(10) + "  " + h + "/.cache/big.cache";
        QVERIFY2(en.out.contains(cacheLine), en.out.constData());
        QVERIFY(en.out.contains("[ ] "));
        const qint64 selected = 20000 + 7034 + 700 + trashItem;
        QVERIFY(en.out.contains("Selected: " + orvane::formatBytes(selected, orvane::AppLanguage::en).toUtf8()));
    }

    // ---- language ----

    void languageChoice()
    {
        const QByteArray h = QFile::encodeName(m_dir.path()) + "/lang-home";
        QVERIFY(QDir().mkpath(QFile::decodeName(h + "/.config/Orvane")));
        const QString conf = QFile::decodeName(h + "/.config/Orvane/Orvane.conf");
        const auto title = [&](const Run& run, QList<QByteArray> args) {
            args << "analyze" << "smart" << "--json";
            return run(args).json().value(QStringLiteral("title")).toString();
        };
        const QString es = QStringLiteral("Cuidado inteligente"), en = QStringLiteral("Smart Care");

        // No stored choice: the system's language.
        QCOMPARE(title(Run{h, {{"LC_ALL", "en_US.UTF-8"}, {"LANG", "en_US.UTF-8"}}}, {}), en);
        QCOMPARE(title(Run{h, {{"LC_ALL", "es_ES.UTF-8"}, {"LANG", "es_ES.UTF-8"}}}, {}), es);

        // A stored choice wins over the system; --lang wins for one run and is not stored.
        QFile f(conf);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("[General]\napp_language=es\n");
        f.close();
        const Run english{h, {{"LC_ALL", "en_US.UTF-8"}, {"LANG", "en_US.UTF-8"}}};
        QCOMPARE(title(english, {}), es);
        QCOMPARE(title(english, {"--lang", "en"}), en);
        QCOMPARE(title(english, {}), es);
        QVERIFY(readAll(QFile::encodeName(conf)).contains("app_language=es"));
        QVERIFY(!readAll(QFile::encodeName(conf)).contains("app_language=en"));
    }

    // ---- space, disk ----

    void spaceAndDisk()
    {
        const QByteArray h = freshHome();
        const Run run{h, {}};
        const Result top = run({"space", "--json"});
        QCOMPARE(top.exitCode, 0);
        const QJsonArray entries = top.json().value(QStringLiteral("entries")).toArray();
        QCOMPARE(names(entries).first(), QStringLiteral("Documents")); // the 100 MiB file
        QVERIFY(names(entries).contains(QStringLiteral("Library")));
        QVERIFY(!names(entries).contains(QStringLiteral("Movies"))); // missing folders are left out
        for (const QJsonValue& v : entries) {
            const QJsonObject e = v.toObject();
            QCOMPARE(e.keys(), (QStringList{"icon", "isDirectory", "name", "path", "size"}));
            QVERIFY(isInteger(e.value(QStringLiteral("size"))));
            QCOMPARE(e.value(QStringLiteral("isDirectory")).toBool(), true);
            QCOMPARE(e.value(QStringLiteral("path")).toString(),
                     QFile::decodeName(h) + u'/' + e.value(QStringLiteral("name")).toString());
        }
        QCOMPARE(entries.at(0).toObject().value(QStringLiteral("size")).toInteger(), 104857600);

        // A relative folder is taken from the working directory and written absolute.
        const QJsonArray children = run({"space", ".cache", "--json"}).json()
                                        .value(QStringLiteral("entries")).toArray();
        QCOMPARE(children.at(0).toObject().value(QStringLiteral("path")).toString(),
                 QFile::decodeName(h + "/.cache/big.cache"));

        const Result text = run({"space", "--lang", "en"});
        QVERIFY(text.out.startsWith("Heaviest folders\n"));
        QVERIFY(text.out.contains(h + "/Documents/"));

        const Result disk = run({"disk", "--json"});
        QCOMPARE(disk.exitCode, 0);
        const QJsonObject d = disk.json();
        QCOMPARE(d.keys(), (QStringList{"free", "total"}));
        QVERIFY(isInteger(d.value(QStringLiteral("total"))) && isInteger(d.value(QStringLiteral("free"))));
        QVERIFY(d.value(QStringLiteral("total")).toInteger() > 0);
        QVERIFY(d.value(QStringLiteral("free")).toInteger() <= d.value(QStringLiteral("total")).toInteger());
        QVERIFY(run({"disk", "--lang", "en"}).out.contains(" used of "));
    }

    // ---- clean ----

    void cleanWithoutYesRemovesNothing()
    {
        const QByteArray h = freshHome();
        const auto before = snapshot(h);
        const Run run{h, {}};
        const QJsonObject analysis = run({"analyze", "smart", "--json"}).json();
        const Result r = run({"clean", "smart", "--json"});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject o = r.json();
        QCOMPARE(o.value(QStringLiteral("dryRun")).toBool(), true);
        QCOMPARE(o.value(QStringLiteral("style")).toString(), QStringLiteral("permanent"));
        QCOMPARE(o.value(QStringLiteral("freed")).toInteger(), 0);
        QVERIFY(o.value(QStringLiteral("removed")).toArray().isEmpty());
        QVERIFY(o.value(QStringLiteral("failed")).toArray().isEmpty());
        QCOMPARE(o.value(QStringLiteral("selected")).toInteger(), 20000 + 7034 + 700 + trashItem);
        QList<QByteArray> targets;
        for (const QJsonValue& t : o.value(QStringLiteral("targets")).toArray())
            targets.append(t.toObject().value(QStringLiteral("path")).toString().toUtf8());
        QCOMPARE(targets, selectedPaths(analysis));

        const Result text = run({"clean", "smart", "--trash", "--lang", "en"});
        QCOMPARE(text.exitCode, 0);
        QVERIFY(text.out.contains("Removal: Trash"));
        QVERIFY(text.out.contains("Add --yes"));
        QCOMPARE(snapshot(h), before);
    }

    void cleanRemovesExactlyThePreselected()
    {
        const QByteArray h = freshHome();
        const Run run{h, {}};
        const QList<QByteArray> selected = selectedPaths(run({"analyze", "smart", "--json"}).json());
        QCOMPARE(selected.size(), 8); // the Trash entry with its info file
        auto expected = snapshot(h);
        for (const QByteArray& p : selected) {
            const QByteArray rel = p.mid(h.size() + 1);
            for (auto it = expected.begin(); it != expected.end();)
                it = (it.key() == rel || it.key().startsWith(rel + '/')) ? expected.erase(it) : std::next(it);
        }

        const Result r = run({"clean", "smart", "--yes", "--json"});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject o = r.json();
        QCOMPARE(o.value(QStringLiteral("dryRun")).toBool(), false);
        QCOMPARE(pathSet(o.value(QStringLiteral("removed"))), QSet<QByteArray>(selected.begin(), selected.end()));
        QVERIFY(o.value(QStringLiteral("failed")).toArray().isEmpty());
        QCOMPARE(o.value(QStringLiteral("freed")).toInteger(), 20000 + 7034 + 700 + trashItem);
        QCOMPARE(o.value(QStringLiteral("freed")).toInteger(), o.value(QStringLiteral("selected")).toInteger());
        // Everything else is where it was: the scanned folders themselves, Downloads, the rest;
        // the Trash keeps its files/ and info/ folders, both empty.
        QCOMPARE(snapshot(h), expected);
        QVERIFY(exists(h + "/.cache") && exists(h + "/.local/share/Trash/info"));
        QVERIFY(exists(h + "/Downloads/setup.dmg"));

        // A second clean finds nothing preselected and removes nothing.
        const Result again = run({"clean", "smart", "--yes", "--lang", "en"});
        QCOMPARE(again.exitCode, 0);
        QVERIFY(again.out.contains("Nothing preselected"));
        QCOMPARE(snapshot(h), expected);
    }

    // Into the Trash (which then holds only what these cleans put there).
    void cleanToTrash()
    {
        const QByteArray h = freshHome();
        fixture::removeTree(h + "/.local/share/Trash");
        const Result text = Run{h, {}}({"clean", "smart", "--trash", "--yes", "--lang", "en"});
        QCOMPARE(text.exitCode, 0);
        QVERIFY(text.out.contains("You moved " + orvane::formatBytes(27734, orvane::AppLanguage::en).toUtf8()
                                  + " to the Trash"));
        QVERIFY(exists(h + "/.local/share/Trash/files/big.cache"));

        const Result r = Run{h, {}}({"clean", "dup", "--yes", "--json"}); // the plan's style: Trash
        QCOMPARE(r.exitCode, 0);
        const QJsonObject o = r.json();
        QCOMPARE(o.value(QStringLiteral("style")).toString(), QStringLiteral("trash"));
        QCOMPARE(pathSet(o.value(QStringLiteral("removed"))), QSet<QByteArray>{h + "/Pictures/photo copy.jpg"});
        QCOMPARE(o.value(QStringLiteral("freed")).toInteger(), 2 * 1048576);
        QVERIFY(exists(h + "/Downloads/photo.jpg"));
        QVERIFY(!exists(h + "/Pictures/photo copy.jpg"));
        QVERIFY(exists(h + "/.local/share/Trash/files/photo copy.jpg"));
        QVERIFY(exists(h + "/.local/share/Trash/info/photo copy.jpg.trashinfo"));
    }

    // An item the Trash cannot take (its info file name would be too long) stays, is reported
    // as failed, is not counted as freed, and the status is 1; the others still go.
    void cleanReportsFailures()
    {
        const QByteArray h = freshHome();
        fixture::removeTree(h + "/.local/share/Trash");
        const QByteArray longName = h + "/.cache/" + QByteArray(255, 'n');
        QVERIFY(writeFile(longName, 4321));
        const Result r = Run{h, {}}({"clean", "smart", "--trash", "--yes", "--json"});
        QCOMPARE(r.exitCode, 1);
        const QJsonObject o = r.json();
        QCOMPARE(pathSet(o.value(QStringLiteral("failed"))), QSet<QByteArray>{longName});
        QCOMPARE(o.value(QStringLiteral("removed")).toArray().size(), 6);
        QCOMPARE(o.value(QStringLiteral("selected")).toInteger(), 27734 + 4321);
        QCOMPARE(o.value(QStringLiteral("freed")).toInteger(), 27734);
        QVERIFY(exists(longName));
        QVERIFY(!exists(h + "/.cache/big.cache"));

        QVERIFY(writeFile(h + "/.cache/again.cache", 10));
        fixture::removeTree(h + "/.local/share/Trash"); // what went there is not cleaned again here
        const Result text = Run{h, {}}({"clean", "smart", "--trash", "--yes", "--lang", "en"});
        QCOMPARE(text.exitCode, 1);
        QVERIFY(text.out.contains("Could not be removed (still in place):\n"));
        QVERIFY(text.out.contains(longName + ": the Trash cannot take it\n"));
        QVERIFY2(text.out.contains("You moved " + orvane::formatBytes(10, orvane::AppLanguage::en).toUtf8() + " to the Trash"),
                 text.out.constData());
        QVERIFY(!exists(h + "/.cache/again.cache"));
        QVERIFY(exists(longName));
    }

    // A name that is not UTF-8: written "base64:" in JSON, \xNN on the terminal, removed exactly.
    void pathsThatAreNotUtf8()
    {
        const QByteArray h = freshHome();
        const QByteArray odd = h + "/.cache/caf\xe9-\xff.bin";
        const QByteArray sibling = h + "/.cache/caf\xc3\xa9-\xc3\xbf.bin"; // the same name in UTF-8
        QVERIFY(writeFile(odd, 77));
        QVERIFY(writeFile(sibling, 66));
        const Run run{h, {}};
        const QJsonObject o = run({"analyze", "smart", "--json"}).json();
        QByteArray decoded;
        QString plain;
        for (const QJsonValue& c : o.value(QStringLiteral("categories")).toArray())
            for (const QJsonValue& f : c.toObject().value(QStringLiteral("files")).toArray()) {
                const QString p = f.toObject().value(QStringLiteral("path")).toString();
                if (p.startsWith(QStringLiteral("base64:")))
                    decoded = fromBase64Form(p);
                if (p.endsWith(QStringLiteral("-ÿ.bin")))
                    plain = p;
            }
        QCOMPARE(decoded, odd);
        QCOMPARE(plain.toUtf8(), sibling);

        const Result text = run({"analyze", "smart"});
        QVERIFY(text.out.contains("/.cache/caf\\xe9-\\xff.bin\n"));

        const Result clean = run({"clean", "smart", "--yes", "--json"});
        QCOMPARE(clean.exitCode, 0);
        QVERIFY(!exists(odd));
        QVERIFY(!exists(sibling));
        bool reported = false;
        for (const QJsonValue& v : clean.json().value(QStringLiteral("removed")).toArray())
            reported |= fromBase64Form(v.toString()) == odd;
        QVERIFY(reported);
    }

    // ---- demo-home ----

    void demoHomeRefuses()
    {
        const QByteArray base = QFile::encodeName(m_dir.path()) + "/demo-refuse";
        QVERIFY(writeFile(base + "/full/.hidden", 3));
        const Run run{base, {}};
        const Result notEmpty = run({"demo-home", base + "/full"});
        QCOMPARE(notEmpty.exitCode, 2);
        QVERIFY(oneLine(notEmpty.err));
        QCOMPARE(snapshot(base + "/full").keys(), QList<QByteArray>{".hidden"});

        QVERIFY(writeFile(base + "/plain-file", 3));
        const Result onFile = run({"demo-home", base + "/plain-file"});
        QCOMPARE(onFile.exitCode, 2);
        QVERIFY(oneLine(onFile.err));

        const Result below = run({"demo-home", base + "/plain-file/sub"});
        QCOMPARE(below.exitCode, 1);
        QVERIFY(oneLine(below.err));
        QVERIFY(below.out.isEmpty());
    }

    // A new folder (parents included) becomes a home on which every plan finds something.
    void demoHomeEveryPlanFindsSomething()
    {
        const QByteArray demo = QFile::encodeName(m_dir.path()) + "/demo/nested/home";
        const Result made = Run{QFile::encodeName(m_dir.path()), {}}({"demo-home", demo, "--json"});
        QCOMPARE(made.exitCode, 0);
        const QJsonObject summary = made.json();
        QCOMPARE(summary.value(QStringLiteral("home")).toString(), QFile::decodeName(demo));
        QVERIFY(summary.value(QStringLiteral("files")).toInteger() > 150);
        QVERIFY(summary.value(QStringLiteral("bytes")).toInteger() > 10'000'000'000LL);
        QVERIFY(summary.value(QStringLiteral("diskBytes")).toInteger() < 64LL * 1024 * 1024);

        const Run run{demo, {}};
        QHash<QString, QJsonArray> plans;
        for (const char* section : {"smart", "cleanup", "apps", "protect", "dup"}) {
            const Result r = run({"analyze", section, "--json", "--lang", "en"});
            QCOMPARE(r.exitCode, 0);
            plans.insert(QString::fromLatin1(section), r.json().value(QStringLiteral("categories")).toArray());
            QVERIFY2(!plans.value(QString::fromLatin1(section)).isEmpty(), section);
        }
        // Every folder source with a Linux location finds something (Xcode and Safari have none).
        QCOMPARE(names(plans.value(QStringLiteral("smart"))), (QStringList{"Downloads", "Caches", "Trash", "Logs"}));
        const QStringList protect = names(plans.value(QStringLiteral("protect")));
        QCOMPARE(QSet<QString>(protect.begin(), protect.end()),
                 (QSet<QString>{"Recent files", "Chrome traces", "Firefox traces", "Edge traces", "Saved windows"}));

        // Large files: visible ones only, none inside Library or hidden folders, none one byte short.
        QSet<QByteArray> large;
        for (const QJsonValue& c : plans.value(QStringLiteral("cleanup")))
            if (c.toObject().value(QStringLiteral("name")).toString() == QStringLiteral("Large files (+100 MB)"))
                for (const QJsonValue& f : c.toObject().value(QStringLiteral("files")).toArray())
                    large.insert(f.toObject().value(QStringLiteral("path")).toString().toUtf8().mid(demo.size() + 1));
        QCOMPARE(large, (QSet<QByteArray>{"Downloads/ubuntu-24.04-desktop-amd64.iso", "Downloads/Xcode_15.4.xip",
                                          "Downloads/project-backup-2023.zip", "Documents/Family Videos/Summer 2023.mov",
                                          "Desktop/design-export.psd",
                                          "Movies/Screen Recording 2024-01-09 at 10.02.11.mov",
                                          "Movies/iMovie Library.imovielibrary/2024-01-09/Original Media/clip-01.mov",
                                          "Applications/CodeLens.app/Contents/MacOS/CodeLens",
                                          "Applications/Sketchpad Pro.app/Contents/MacOS/SketchpadPro"}));

        // Duplicates: five groups; same-size files with other content stay out.
        const QJsonArray groups = plans.value(QStringLiteral("dup"));
        QCOMPARE(groups.size(), 5);
        int copies = 0;
        for (const QJsonValue& g : groups)
            copies += int(g.toObject().value(QStringLiteral("files")).toArray().size());
        QCOMPARE(copies, 13);
        QVERIFY(names(groups).contains(QStringLiteral("wallpaper.jpg"))); // Desktop sorts before the others
        QVERIFY(names(groups).contains(QStringLiteral("photo for mom.heic")));

        // Applications: AppImages (one known to the desktop through an entry) with their leftovers;
        // the Flatpak app only where flatpak is installed (a stand-in on PATH here).
        const auto appsOf = [&](const Run& r) {
            QHash<QString, QJsonObject> apps;
            const QJsonObject plan = r({"analyze", "apps", "--json", "--lang", "en"}).json();
            for (const QJsonValue& f : plan.value("categories").toArray().at(0).toObject().value("files").toArray())
                apps.insert(f.toObject().value(QStringLiteral("name")).toString(), f.toObject());
            return apps;
        };
        QHash<QString, QJsonObject> apps = appsOf(run);
        QCOMPARE(QSet<QString>(apps.keyBegin(), apps.keyEnd()), (QSet<QString>{"Inkwell Notes", "rivet"}));
        QCOMPARE(pathSet(apps.value("Inkwell Notes").value("extra")),
                 (QSet<QByteArray>{demo + "/.config/Inkwell", demo + "/.local/share/Inkwell", demo + "/.cache/inkwell",
                                   demo + "/.local/share/applications/appimagekit_4f1c2e-Inkwell.desktop"}));
        const QString bin = m_dir.filePath(QStringLiteral("flatpak-bin"));
        QVERIFY(QDir().mkpath(bin) && QFile::copy(QStringLiteral("/bin/true"), bin + QStringLiteral("/flatpak")));
        apps = appsOf(Run{demo, {{QStringLiteral("PATH"), bin + u':' + qEnvironmentVariable("PATH")}}});
        QCOMPARE(pathSet(apps.value("Lumen").value("extra")), QSet<QByteArray>{demo + "/.var/app/io.example.Lumen"});
        for (const char* name : {"Notewise", "Sketchpad Pro", "Tunebox", "CodeLens", "Legacy Scanner"}) {
            const QByteArray icon = readAll(demo + "/Applications/" + name + ".app/Contents/Resources/AppIcon.icns");
            QVERIFY(icon.startsWith("icns"));
            QCOMPARE(qFromBigEndian<quint32>(icon.constData() + 4), quint32(icon.size()));
            QCOMPARE(icon.mid(16, 8), QByteArray("\x89PNG\r\n\x1a\n", 8));
        }

        // Startup items.
        QCOMPARE(QDir(QFile::decodeName(demo + "/Library/LaunchAgents")).entryList(QDir::Files).size(), 4);

        // Trying it: a clean of Smart Care removes what it selected, honestly counted.
        const Result clean = run({"clean", "smart", "--yes", "--json"});
        QCOMPARE(clean.exitCode, 0);
        QVERIFY(clean.json().value(QStringLiteral("freed")).toInteger() > 0);
        QCOMPARE(clean.json().value(QStringLiteral("freed")).toInteger(),
                 clean.json().value(QStringLiteral("selected")).toInteger());
        for (const char* part : {"/.local/share/Trash/files", "/.local/share/Trash/info"})
            QVERIFY2(QDir(QFile::decodeName(demo + part)).isEmpty(), part); // the Trash left consistent
    }

    void demoHomeIsDeterministic()
    {
        const QByteArray a = QFile::encodeName(m_dir.path()) + "/demo-a";
        const QByteArray b = QFile::encodeName(m_dir.path()) + "/demo-b";
        QVERIFY(QDir().mkpath(QFile::decodeName(a))); // an existing empty folder is fine too
        const Run run{QFile::encodeName(m_dir.path()), {}};
        QCOMPARE(run({"demo-home", a}).exitCode, 0);
        QCOMPARE(run({"demo-home", b}).exitCode, 0);
        const auto sa = snapshot(a);
        QCOMPARE(sa, snapshot(b));
        for (auto it = sa.cbegin(); it != sa.cend(); ++it) {
            struct stat x, y;
            QVERIFY(::lstat((a + '/' + it.key()).constData(), &x) == 0 && ::lstat((b + '/' + it.key()).constData(), &y) == 0);
            QCOMPARE(x.st_mtim.tv_sec, y.st_mtim.tv_sec);
            // Desktop entries, Trash info files and recent files name the home they were made in.
            if (it.value() >= 0 && it.value() <= 8 * 1024 * 1024)
                QVERIFY2(readAll(a + '/' + it.key()).replace(a, b) == readAll(b + '/' + it.key()), it.key().constData());
        }
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
