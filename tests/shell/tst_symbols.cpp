#include "painted_items.h"
#include "palette.h"
#include "symbols.h"

#include <QFile>
#include <QGuiApplication>
#include <QRawFont>
#include <QTest>

using namespace orvane;

class TestSymbols : public QObject
{
    Q_OBJECT

private slots:
    void everySymbolHasAGlyphInTheBundledFont()
    {
        QVERIFY(loadSymbolFont());
        QFile file(QStringLiteral(":/Orvane/Shell/fonts/MaterialIcons-Regular.ttf"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QRawFont font(file.readAll(), 24);
        QVERIFY(font.isValid());
        QStringList missing;
        for (auto it = symbolTable().cbegin(); it != symbolTable().cend(); ++it)
            if (!font.supportsCharacter(QChar(it.value())))
                missing << it.key();
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u", ")));
    }

    void namesTheScreensUse()
    {
        // Sections, sources, controls and progress screens all have a glyph of their own.
        const QStringList names = {"sparkles", "trash", "square.grid.2x2", "internaldrive", "shield", "doc.on.doc",
                                   "gearshape", "info.circle", "hammer", "shippingbox", "arrow.down.circle", "doc.text",
                                   "macwindow", "doc.fill", "clock.arrow.circlepath", "safari", "globe", "flame",
                                   "checkmark.seal.fill", "house.fill", "heart.fill", "bolt.fill", "checkmark.square.fill",
                                   "square", "minus.square.fill", "chevron.right", "sparkle", "paintbrush.pointed.fill",
                                   "checkmark.circle.fill"};
        for (const QString& name : names)
            QVERIFY2(symbolTable().contains(name), qPrintable(name));
        QCOMPARE(symbolGlyph(QStringLiteral("no.such.symbol")), QString(QChar(0xe8fd)));
    }

    void unknownSectionsFallBackToTheBrandColour()
    {
        // Section ids are matched exactly; anything else takes the brand colour, not black.
        QVERIFY(accentColor(QStringLiteral("smart")) != brandColor());
        QCOMPARE(accentColor(QStringLiteral("Smart")), brandColor());
        QCOMPARE(accentColor(QString()), brandColor());
        QCOMPARE(accentColor(QStringLiteral("settings")), accentColor(QStringLiteral("about")));
    }

    void blurKeepsTheShapeCentredAndSoft()
    {
        QImage alpha(41, 41, QImage::Format_Alpha8);
        alpha.fill(0);
        alpha.scanLine(20)[20] = 255;
        for (int y = 15; y <= 25; ++y)
            for (int x = 15; x <= 25; ++x)
                alpha.scanLine(y)[x] = 255;
        blurAlpha(alpha, 8);
        const int centre = alpha.scanLine(20)[20];
        QVERIFY(centre > 100 && centre < 255);
        QVERIFY(alpha.scanLine(20)[10] > 0);                 // spread out
        QCOMPARE(alpha.scanLine(20)[12], alpha.scanLine(20)[28]); // symmetric
        QCOMPARE(alpha.scanLine(0)[0], uchar(0));
    }
};

QTEST_MAIN(TestSymbols)
#include "tst_symbols.moc"
