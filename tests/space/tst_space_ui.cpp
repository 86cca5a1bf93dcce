#include "byte_format.h"
#include "localization_manager.h"
#include "paths.h"
#include "screen_host.h"
#include "space_controller.h"
#include "test_home.h"

#include <QFile>
#include <QSemaphore>
#include <QSignalSpy>

#include <atomic>

using namespace orvane;
using namespace orvane::testing;

namespace {

// The engine's real measurements of the test's home, with the file manager and the volume
// replaced by recorders, and the top-level list held back while `gate` is closed.
struct Backend {
    QStringList reveals;
    std::atomic<bool> gated{false};
    QSemaphore gate;
    DiskInfo disk{500'000'000'000, 125'000'000'000};

    SpaceBackend make()
    {
        SpaceBackend b = SpaceBackend::system();
        b.diskInfo = [this] { return disk; };
        const auto top = b.topLevelEntries;
        b.topLevelEntries = [this, top] {
            if (gated)
                gate.acquire();
            return top();
        };
        b.reveal = [this](const FilePath& item) { reveals << displayPath(item); };
        return b;
    }
};

} // namespace

// The space explorer on a fixture home: the progress view while measuring, the volume card and
// the heaviest folders with their bars, drill-down, Back, reveal and hover, in both languages.
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
    bool loaded() const { return !m_controller->loading() && shown(item(QStringLiteral("spaceContent"))); }

private slots:
    void initTestCase()
    {
        m_home = QDir::homePath();
        QVERIFY2(testing::inOwnTestHome(), "tests run in their own home");
        for (const char* folder : {"Documents", "Downloads", "Music", "Movies", "Desktop", "Pictures", "Library", "Applications"})
            QDir(m_home + u'/' + QLatin1String(folder)).removeRecursively();
        writeFile(m_home + QStringLiteral("/Documents/Projects/site/index.html"), 1'500'000);
        writeFile(m_home + QStringLiteral("/Documents/Projects/notes.md"), 500'000);
        writeFile(m_home + QStringLiteral("/Documents/report.pdf"), 1'000'000);
        writeFile(m_home + QStringLiteral("/Documents/Empty/.DS_Store"), 0);
        writeFile(m_home + QStringLiteral("/Downloads/installer.dmg"), 1'000'000);
        writeFile(m_home + QStringLiteral("/Music/song.mp3"), 500'000);

        LocalizationManager::shared().setLanguage(AppLanguage::es);
        setupApplication();
        m_backend.gated = true;
        m_controller = new SpaceController(m_backend.make(), this);
        m_host = std::make_unique<ScreenHost>();
        QVERIFY2(m_host->show("import Orvane.Space", "SpaceView { anchors.fill: parent; controller: root.controller }",
                              {{QStringLiteral("controller"), QVariant::fromValue<QObject*>(m_controller)}},
                              "id: root\nproperty var controller", QSize(1000, 720)),
                 qPrintable(m_host->error()));
    }

    void progressViewWhileMeasuring()
    {
        // The screen measures as soon as it shows; until the list is ready only the progress view is there.
        QVERIFY(m_controller->loading());
        QTRY_VERIFY(shown(item(QStringLiteral("scanningView"))));
        QVERIFY(!shown(item(QStringLiteral("spaceContent"))));
        QVERIFY(!item(QStringLiteral("spaceRow_0")) || !shown(item(QStringLiteral("spaceRow_0"))));
        m_host->snap(QStringLiteral("space-loading-es"), 300);
        m_backend.gated = false;
        m_backend.gate.release();
        QTRY_VERIFY(loaded());
        QVERIFY(!item(QStringLiteral("scanningView")));
    }

    void topLevelInBothLanguages()
    {
        QCOMPARE(text("spaceTitle"), QStringLiteral("¿A dónde se fue tu espacio?"));
        QCOMPARE(text("usageText"), QStringLiteral("%1 usados de %2  ·  %3 libres")
                                        .arg(formatBytes(375'000'000'000), formatBytes(500'000'000'000), formatBytes(125'000'000'000)));
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
        m_host->snap(QStringLiteral("space-top-es"));

        LocalizationManager::shared().setLanguage(AppLanguage::en);
        QCOMPARE(text("spaceTitle"), QStringLiteral("Where did your space go?"));
        QVERIFY(text("usageText").contains(QStringLiteral(" used of ")));
        QCOMPARE(text("spaceRow_0_size"), formatBytes(3'000'000, AppLanguage::en));
        m_host->snap(QStringLiteral("space-top-en"));
    }

    void hoverFollowsThePointer()
    {
        QQuickItem* first = item("spaceRow_0");
        QQuickItem* second = item("spaceRow_1");
        const QString firstId = first->property("entryId").toString();
        pointAt(first, QPointF(first->width() / 2, first->height() / 2));
        QTRY_COMPARE(m_controller->hoveredID(), firstId);
        QTRY_COMPARE(first->scale(), 1.01);
        QCOMPARE(second->scale(), 1.0);
        m_host->snap(QStringLiteral("space-hover-en"));
        pointAt(second, QPointF(second->width() / 2, second->height() / 2));
        QTRY_COMPARE(m_controller->hoveredID(), second->property("entryId").toString());
        QTRY_COMPARE(first->scale(), 1.0);

        // Leave and enter may come in either order: only the row holding the hover clears it.
        m_controller->unhover(firstId);
        QCOMPARE(m_controller->hoveredID(), second->property("entryId").toString());
        QTest::mouseMove(m_host->window(), QPoint(5, 5));
        QTRY_COMPARE(m_controller->hoveredID(), QString());
    }

    void drillDownRevealAndBack()
    {
        QQuickItem* documents = item("spaceRow_0");
        // Hovered when clicked: the next level's rows are new and stay unhovered, even the one
        // that comes up under the pointer, until the pointer moves.
        pointAt(documents, QPointF(40, 20));
        QTRY_VERIFY(!m_controller->hoveredID().isEmpty());
        QTest::mouseClick(m_host->window(), Qt::LeftButton, {}, documents->mapToScene(QPointF(40, 20)).toPoint());
        QTRY_VERIFY(loaded());
        QTest::qWait(100);
        QCOMPARE(m_controller->hoveredID(), QString());
        QQuickItem* underPointer = item("spaceRow_0");
        QCOMPARE(underPointer->scale(), 1.0);
        pointAt(underPointer, QPointF(44, 20));
        QTRY_COMPARE(m_controller->hoveredID(), underPointer->property("entryId").toString());
        QCOMPARE(m_controller->depth(), 1);
        QVERIFY(shown(item("folderHeader")));
        QVERIFY(!shown(item("diskCard")));
        QVERIFY(!shown(item("spaceTitle")));
        QCOMPARE(text("folderName"), QStringLiteral("Documents"));
        // Hidden and empty items are not listed.
        QCOMPARE(rowNames(), QStringList({"Projects", "report.pdf"}));
        QCOMPARE(barShare(0), 1.0);
        QVERIFY(qAbs(barShare(1) - 0.5) < 0.01);
        QTest::mouseMove(m_host->window(), QPoint(5, 5));
        m_host->snap(QStringLiteral("space-drilled-en"));

        // A file shows in the file manager and nothing on screen changes; so does the folder.
        clickItem("spaceRow_1");
        QCOMPARE(m_backend.reveals, QStringList{m_home + QStringLiteral("/Documents/report.pdf")});
        clickItem("spaceRevealFolder");
        QCOMPARE(m_backend.reveals.last(), m_home + QStringLiteral("/Documents"));

        // One level deeper, then Back twice: the top level measures the volume again.
        clickItem("spaceRow_0");
        QTRY_VERIFY(loaded());
        QCOMPARE(text("folderName"), QStringLiteral("Projects"));
        QCOMPARE(rowNames(), QStringList({"site", "notes.md"}));
        LocalizationManager::shared().setLanguage(AppLanguage::es);
        QCOMPARE(text("spaceBackText"), QStringLiteral("Atrás"));
        m_host->snap(QStringLiteral("space-drilled-es"));
        clickItem("spaceBack");
        QTRY_VERIFY(loaded());
        QCOMPARE(text("folderName"), QStringLiteral("Documents"));
        clickItem("spaceBack");
        QTRY_VERIFY(loaded());
        QVERIFY(m_controller->atTopLevel());
        QVERIFY(shown(item("diskCard")));
        QVERIFY(!shown(item("folderHeader")));
        QCOMPARE(rowNames(), QStringList({"Documents", "Downloads", "Music"}));
    }

    void folderWithNothingToList()
    {
        // Into Documents, then its empty folder is not even listed; a folder gone meanwhile lists nothing.
        // Each click waits for the rows of the level it aims at, not only for the load to end.
        QTRY_COMPARE(rowNames().value(0), QStringLiteral("Documents"));
        clickItem("spaceRow_0");
        QTRY_VERIFY(loaded());
        QTRY_COMPARE(rowNames().value(0), QStringLiteral("Projects"));
        QVERIFY(!rowNames().contains(QStringLiteral("Empty")));
        QVERIFY(QDir(m_home + QStringLiteral("/Documents/Projects")).removeRecursively());
        clickItem("spaceRow_0"); // still on screen as it was measured
        QTRY_VERIFY(loaded());
        QCOMPARE(text("folderName"), QStringLiteral("Projects"));
        QVERIFY(shown(item("folderHeader")));
        QCOMPARE(rowNames(), QStringList());
        clickItem("spaceBack");
        QTRY_VERIFY(loaded());
        clickItem("spaceBack");
        QTRY_VERIFY(loaded());
    }

    void volumeThatCannotBeMeasured()
    {
        m_backend.disk = DiskInfo{0, 0};
        m_controller->reload();
        QTRY_VERIFY(loaded());
        QCOMPARE(m_controller->usedFraction(), 0.0);
        QCOMPARE(item("volumeBar")->width(), 0.0);
        QVERIFY(!item("volumeBar")->isVisible());
        QCOMPARE(text("usageText"), QStringLiteral("%1 usados de %1  ·  %1 libres").arg(formatBytes(0)));
    }
};

QTEST_MAIN(TestSpaceUi)
#include "tst_space_ui.moc"
