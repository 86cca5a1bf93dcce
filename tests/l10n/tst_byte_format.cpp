#include "byte_format.h"

#include <QTest>
#include <limits>

using namespace orvane;

class TestByteFormat : public QObject
{
    Q_OBJECT

private slots:
    // Decimal units, rounded half up, the next unit once a value rounds to 1000, trailing zeros
    // dropped, a comma in Spanish, and signs down to the most negative value.
    void examples()
    {
        const struct {
            qint64 bytes;
            const char* en;
            const char* es;
        } rows[] = {
            {0, "Zero KB", "Cero KB"},
            {1, "1 byte", "1 byte"},
            {2, "2 bytes", "2 bytes"},
            {999, "999 bytes", "999 bytes"},
            {1000, "1 KB", "1 KB"},
            {1499, "1 KB", "1 KB"},
            {1500, "2 KB", "2 KB"},
            {999499, "999 KB", "999 KB"},
            {999500, "1 MB", "1 MB"},
            {1500000, "1.5 MB", "1,5 MB"},
            {104857600, "104.9 MB", "104,9 MB"},
            {1234567890, "1.23 GB", "1,23 GB"},
            {1200000000, "1.2 GB", "1,2 GB"},
            {1005000000, "1.01 GB", "1,01 GB"},
            {999995000000, "1 TB", "1 TB"},
            {1500000000000000, "1.5 PB", "1,5 PB"},
            {2000000000000000000, "2000 PB", "2000 PB"},
            {-1500000, "-1.5 MB", "-1,5 MB"},
            {-1, "-1 byte", "-1 byte"},
            {std::numeric_limits<qint64>::min(), "-9223.37 PB", "-9223,37 PB"},
        };
        for (const auto& row : rows) {
            QCOMPARE(formatBytes(row.bytes, AppLanguage::en), QString::fromUtf8(row.en));
            QCOMPARE(formatBytes(row.bytes, AppLanguage::es), QString::fromUtf8(row.es));
        }
    }
};

QTEST_GUILESS_MAIN(TestByteFormat)
#include "tst_byte_format.moc"
