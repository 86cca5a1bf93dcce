#include "byte_format.h"

#include <QTest>
#include <limits>

using namespace orvane;

class TestByteFormat : public QObject
{
    Q_OBJECT

private slots:
    void examples_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("en");
        QTest::addColumn<QString>("es");
        QTest::newRow("zero") << qint64(0) << "Zero KB" << "Cero KB";
        QTest::newRow("one") << qint64(1) << "1 byte" << "1 byte";
        QTest::newRow("two") << qint64(2) << "2 bytes" << "2 bytes";
        QTest::newRow("999") << qint64(999) << "999 bytes" << "999 bytes";
        QTest::newRow("1000") << qint64(1000) << "1 KB" << "1 KB";
        QTest::newRow("1499") << qint64(1499) << "1 KB" << "1 KB";
        QTest::newRow("1500") << qint64(1500) << "2 KB" << "2 KB";
        QTest::newRow("999499") << qint64(999499) << "999 KB" << "999 KB";
        QTest::newRow("999500") << qint64(999500) << "1 MB" << "1 MB";
        QTest::newRow("1.5 MB") << qint64(1500000) << "1.5 MB" << "1,5 MB";
        QTest::newRow("100 MiB") << qint64(104857600) << "104.9 MB" << "104,9 MB";
        QTest::newRow("1 MiB") << qint64(1048576) << "1 MB" << "1 MB";
        QTest::newRow("1 GB") << qint64(1000000000) << "1 GB" << "1 GB";
        QTest::newRow("1.23 GB") << qint64(1234567890) << "1.23 GB" << "1,23 GB";
        QTest::newRow("1.2 GB drops zero") << qint64(1200000000) << "1.2 GB" << "1,2 GB";
        QTest::newRow("1.005 GB half up") << qint64(1005000000) << "1.01 GB" << "1,01 GB";
        QTest::newRow("999.995 GB to TB") << qint64(999995000000) << "1 TB" << "1 TB";
        QTest::newRow("2 TB") << qint64(2000000000000) << "2 TB" << "2 TB";
        QTest::newRow("PB") << qint64(1500000000000000) << "1.5 PB" << "1,5 PB";
        QTest::newRow("beyond PB stays PB") << qint64(2000000000000000000) << "2000 PB" << "2000 PB";
        QTest::newRow("negative") << qint64(-1500000) << "-1.5 MB" << "-1,5 MB";
        QTest::newRow("negative one") << qint64(-1) << "-1 byte" << "-1 byte";
        QTest::newRow("most negative") << std::numeric_limits<qint64>::min() << "-9223.37 PB" << "-9223,37 PB";
    }

    void examples()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, en);
        QFETCH(QString, es);
        QCOMPARE(formatBytes(bytes, AppLanguage::en), en);
        QCOMPARE(formatBytes(bytes, AppLanguage::es), es);
    }
};

QTEST_GUILESS_MAIN(TestByteFormat)
#include "tst_byte_format.moc"
