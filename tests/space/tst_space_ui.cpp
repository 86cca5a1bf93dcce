#include "byte_format.h"
#include "localization_manager.h"
#include "paths.h"
#include "screen_host.h"
#include "space_controller.h"
#include "test_home.h"

#include <QSemaphore>
#include <QSignalSpy>

#include <atomic>

using namespace orvane;
using namespace orvane::testing;

namespace {

// The engine's real measurements of the test's home, with the file manager and the volume
// replaced by recorders, and the top-level list held back while `gated`.
struct Backend {
    QStringList reveals;
    std::atomic<bool> gated{true};
    QSemaphore gate;
    DiskInfo disk{500'000'000'000, 125'000'000'000};

    SpaceBackend make()
    {
        SpaceBackend b = SpaceBackend::system();
        b.diskInfo = [this] { return disk; };
        b.topLevelEntries = [this, top = b.topLevelEntries](ScanProgress* progress) {
            if (gated)
                gate.acquire();
            // The toolkit keeps hidden folders of its own in the test's home: the visible ones are the tour's.
            QList<SpaceEntry> entries = top(progress);
            entries.removeIf([](const SpaceEntry& e) { return e.name.startsWith(u'.'); });
            return entries;
        };
        b.reveal = [this](const FilePath& item) { reveals << displayPath(item); };
        return b;
    }
};

} // namespace

// The space explorer on a fixture home, in both languages: the progress view while measuring,
// the volume card and the heaviest folders with their bars, hover, drill-down, reveal and Back.
// The controller's own rules (late lists, the volume measured at the top only) are its own test.
class TestSpaceUi : public QObject
{
    Q_OBJECT

    QString m_home;
    Backend m_backend;
    SpaceController* m_controller = nullptr;
    std::unique_ptr<ScreenHost> m_host;

    QQuickItem* item(const QString& name) const { return m_host->item(name); }
    QString text(const QString& name) const { return m_host->text(name); }
    void clickItem(const QString& name) { m_host->clickItem(name); }
    QStringList rowNames() const
    {
        QStringList names;
        for (int row = 0; item(QStringLiteral("spaceRow_%1").arg(row)); ++row)
            names << text(QStringLiteral("spaceRow_%1_name").arg(row));
        return names;
    }
    // Width of a row's bar as a share of its track.
    double barShare(int row) const
    {
        QQuickItem* bar = item(QStringLiteral("spaceRow_%1_bar").arg(row));
        return bar->width() / bar->parentItem()->width();
    }
    // The pointer comes from a little to the left, as a hand would move it.
    void pointAt(QQuickItem* target, QPointF at)
    {
        const QPointF scene = target->mapToScene(at);
        QTest::mouseMove(m_host->window(), (scene - QPointF(3, 0)).toPoint());
        QTest::mouseMove(m_host->window(), scene.toPoint());
    }
    bool loaded() const { return !m_controller->loading() && shown(item("spaceContent")); }

private slots:
    void initTestCase()
    {
        m_home = QDir::homePath();
        QVERIFY2(testing::inOwnTestHome(), "tests run in their own home");
        for (const char* folder : {"Documents", "Downloads", "Music", ".local/share/Trash"})
            QDir(m_home + u'/' + QLatin1String(folder)).removeRecursively();
        writeFile(m_home + "/Documents/Projects/site/index.html", 1'500'000);
        writeFile(m_home + "/Documents/Projects/notes.md", 500'000);
        writeFile(m_home + "/Documents/report.pdf", 1'000'000);
        writeFile(m_home + "/Documents/Empty/.DS_Store", 0);
        writeFile(m_home + "/Downloads/installer.dmg", 1'000'000);
        writeFile(m_home + "/Music/song.mp3", 500'000);

        LocalizationManager::shared().setLanguage(AppLanguage::es);
        setupApplication();
        m_controller = new SpaceController(m_backend.make(), this);
        m_host = std::make_unique<ScreenHost>();
        QVERIFY2(m_host->show("import Orvane.Space", "SpaceView { anchors.fill: parent; controller: root.controller }",
                             {{QStringLiteral("controller"), QVariant::fromValue<QObject*>(m_controller)}},
                             "id: root\nproperty var controller", QSize(1000, 720)),
                 qPrintable(m_host->error()));
    }

    void progressThenTopLevelInBothLanguages()
    {
        // The screen measures as soon as it shows; until the list is ready only the progress view is there.
        QVERIFY(m_controller->loading());
        QTRY_VERIFY(shown(item("scanningView")));
        QVERIFY(!shown(item("spaceContent")));
        QVERIFY(!shown(item("spaceRow_0")));
        QTRY_COMPARE(text("scanningCounts"), QStringLiteral("0 archivos vistos")); // how far the measuring got
        m_host->snap("space-loading-es", 300);
        m_backend.gated = false;
        m_backend.gate.release();
        QTRY_VERIFY(loaded());
        QVERIFY(!item("scanningView"));

        QCOMPARE(text("spaceTitle"), QStringLiteral("¿A dónde se fue tu espacio?"));
        QCOMPARE(text("usageText"), QStringLiteral("%1 usados de %2  ·  %3 libres")
                                        .arg(formatBytes(375'000'000'000), formatBytes(500'000'000'000),
                                             formatBytes(125'000'000'000)));
        QVERIFY(shown(item("diskCard")));
        QVERIFY(!shown(item("folderHeader")));
        // Heaviest first; the first bar is full, the others in proportion.
        QCOMPARE(rowNames(), QStringList({"Documents", "Downloads", "Music"}));
        QCOMPARE(text("spaceRow_0_size"), formatBytes(3'000'000, AppLanguage::es));
        QCOMPARE(barShare(0), 1.0);
        QVERIFY(qAbs(barShare(1) - 1.0 / 3.0) < 0.01);
        QVERIFY(qAbs(barShare(2) - 1.0 / 6.0) < 0.01);
        QQuickItem* volume = item("volumeBar");
        QVERIFY(qAbs(volume->width() / volume->parentItem()->width() - 0.75) < 0.005);
        m_host->snap("space-top-es");

        LocalizationManager::shared().setLanguage(AppLanguage::en);
        QCOMPARE(text("spaceTitle"), QStringLiteral("Where did your space go?"));
        QVERIFY(text("usageText").contains(QStringLiteral(" used of ")));
        QCOMPARE(text("spaceRow_0_size"), formatBytes(3'000'000, AppLanguage::en));
        m_host->snap("space-top-en");
    }

    void hoverFollowsThePointer()
    {
        QQuickItem* first = item("spaceRow_0");
        QQuickItem* second = item("spaceRow_1");
        QVERIFY(first && second);
        pointAt(first, QPointF(first->width() / 2, first->height() / 2));
        QTRY_VERIFY(first->property("hovered").toBool());
        QTRY_COMPARE(first->scale(), 1.01);
        QCOMPARE(second->scale(), 1.0);
        m_host->snap("space-hover-en");
        pointAt(second, QPointF(second->width() / 2, second->height() / 2));
        QTRY_VERIFY(second->property("hovered").toBool());
        QTRY_COMPARE(first->scale(), 1.0);
        QVERIFY(!first->property("hovered").toBool());
        QTest::mouseMove(m_host->window(), QPoint(5, 5));
        QTRY_VERIFY(!second->property("hovered").toBool());
    }

    void drillDownRevealAndBack()
    {
        // Hovered when clicked: the next level's rows are new and stay unhovered, even the one
        // that comes up under the pointer, frames later, until the pointer moves.
        QQuickItem* documents = item("spaceRow_0");
        pointAt(documents, QPointF(40, 20));
        QTRY_VERIFY(documents->property("hovered").toBool());
        QTest::mouseClick(m_host->window(), Qt::LeftButton, {}, documents->mapToScene(QPointF(40, 20)).toPoint());
        QTRY_VERIFY(loaded());
        QSignalSpy frames(m_host->window(), &QQuickWindow::frameSwapped);
        m_host->window()->update();
        QTRY_VERIFY(frames.count() > 0);
        QQuickItem* underPointer = item("spaceRow_0");
        QVERIFY(!underPointer->property("hovered").toBool());
        QCOMPARE(underPointer->scale(), 1.0);
        pointAt(underPointer, QPointF(44, 20));
        QTRY_VERIFY(underPointer->property("hovered").toBool());

        QVERIFY(shown(item("folderHeader")));
        QVERIFY(!shown(item("diskCard")));
        QVERIFY(!shown(item("spaceTitle")));
        QCOMPARE(text("folderName"), QStringLiteral("Documents"));
        // Hidden and empty items are not listed.
        QCOMPARE(rowNames(), QStringList({"Projects", "report.pdf"}));
        QVERIFY(qAbs(barShare(1) - 0.5) < 0.01);
        QTest::mouseMove(m_host->window(), QPoint(5, 5));
        m_host->snap("space-drilled-en");

        // A file shows in the file manager and nothing on screen changes; so does the folder.
        clickItem("spaceRow_1");
        QCOMPARE(m_backend.reveals, QStringList{m_home + "/Documents/report.pdf"});
        QCOMPARE(text("folderName"), QStringLiteral("Documents"));
        clickItem("spaceRevealFolder");
        QCOMPARE(m_backend.reveals.last(), m_home + "/Documents");

        // One level deeper, then Back twice to the top level.
        clickItem("spaceRow_0");
        QTRY_VERIFY(loaded());
        QCOMPARE(text("folderName"), QStringLiteral("Projects"));
        QCOMPARE(rowNames(), QStringList({"site", "notes.md"}));
        LocalizationManager::shared().setLanguage(AppLanguage::es);
        QCOMPARE(text("spaceBackText"), QStringLiteral("Atrás"));
        m_host->snap("space-drilled-es");
        clickItem("spaceBack");
        QTRY_VERIFY(loaded());
        QCOMPARE(text("folderName"), QStringLiteral("Documents"));
        clickItem("spaceBack");
        QTRY_VERIFY(loaded());
        QVERIFY(shown(item("diskCard")));
        QVERIFY(!shown(item("folderHeader")));
        QCOMPARE(rowNames(), QStringList({"Documents", "Downloads", "Music"}));
    }

    // Ticked rows go to the Trash through the plans' confirmation and executor; then the list and
    // the volume are measured again and the screen says what went.
    void removeFromTheExplorer()
    {
        LocalizationManager::shared().setLanguage(AppLanguage::en);
        QCOMPARE(rowNames(), QStringList({"Documents", "Downloads", "Music"}));
        QVERIFY(!shown(item("spaceSelectionBar")));
        clickItem("spaceRow_2_check");
        QTRY_VERIFY(shown(item("spaceSelectionBar")));
        QCOMPARE(text("spaceSelectedText"), QStringLiteral("Selected: 1 item · %1").arg(formatBytes(500'000)));
        QCOMPARE(rowNames(), QStringList({"Documents", "Downloads", "Music"})); // a tick does not drill in
        clickItem("spaceMoveToTrash");
        QTRY_VERIFY(shown(item("spaceConfirm")));
        QCOMPARE(text("spaceConfirmTitle"), QStringLiteral("Move to Trash?"));
        m_host->snap("space-confirm-en", 200);
        m_backend.disk = DiskInfo{500'000'000'000, 200'000'000'000};
        clickItem("spaceConfirmConfirm");
        QTRY_VERIFY(!m_controller->removing() && loaded());
        QCOMPARE(rowNames(), QStringList({"Documents", "Downloads"}));
        QVERIFY(!QFile::exists(m_home + "/Music") && QFile::exists(m_home + "/.local/share/Trash/files/Music/song.mp3"));
        QVERIFY(text("spaceDoneText").startsWith(QStringLiteral("You moved")));
        QVERIFY(text("usageText").endsWith(formatBytes(200'000'000'000) + QStringLiteral(" free")));
        QVERIFY(!shown(item("spaceSelectionBar")));
        m_host->snap("space-removed-en");
    }
};

QTEST_MAIN(TestSpaceUi)
#include "tst_space_ui.moc"
