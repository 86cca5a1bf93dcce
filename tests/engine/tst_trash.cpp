#include "paths.h"
#include "trash.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvane;

namespace {

bool writeBytes(const QByteArray& path, const QByteArray& content)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    ::close(fd);
    return ok;
}

bool exists(const QByteArray& path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

} // namespace

class TestTrash : public QObject
{
    Q_OBJECT

private:
    QByteArray m_trash;

private slots:
    void initTestCase()
    {
        QVERIFY(homeDir().contains("test-homes"));
        m_trash = qgetenv("XDG_DATA_HOME") + "/Trash";
        QVERIFY(m_trash.startsWith(homeDir()));
        // Start without a Trash: it is created on first use.
        QDir(QString::fromLocal8Bit(m_trash)).removeRecursively();
        QDir(QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"))).removeRecursively();
    }

    void fileLandsInTrashWithInfo()
    {
        QTemporaryDir dir(QString::fromLocal8Bit(homeDir()) + "/t-XXXXXX");
        const QByteArray path = QFile::encodeName(dir.path()) + "/report 100%.txt";
        QVERIFY(writeBytes(path, "content"));
        QString error;
        QVERIFY2(moveToTrash(path, &error), qPrintable(error));
        QVERIFY(!exists(path));
        QVERIFY(exists(m_trash + "/files/report 100%.txt"));
        QFile info(QString::fromLocal8Bit(m_trash + "/info/report 100%.txt.trashinfo"));
        QVERIFY(info.open(QIODevice::ReadOnly));
        QVERIFY(info.readAll().contains("Path=" + QUrl::toPercentEncoding(QString::fromUtf8(path), "/")));
    }

    void linkIsTrashedItself()
    {
        QTemporaryDir dir(QString::fromLocal8Bit(homeDir()) + "/t-XXXXXX");
        const QByteArray base = QFile::encodeName(dir.path());
        QVERIFY(QDir().mkpath(QString::fromLocal8Bit(base + "/target")));
        QVERIFY(writeBytes(base + "/target/inside", "i"));
        QCOMPARE(::symlink((base + "/target").constData(), (base + "/a-link").constData()), 0);
        QVERIFY(moveToTrash(base + "/a-link"));
        QVERIFY(!exists(base + "/a-link"));
        QVERIFY(exists(base + "/target/inside"));
        struct stat st;
        QCOMPARE(::lstat((m_trash + "/files/a-link").constData(), &st), 0);
        QVERIFY(S_ISLNK(st.st_mode));
    }

    void failuresAreReported()
    {
        QString error;
        QVERIFY(!moveToTrash(homeDir() + "/does-not-exist", &error));
        QVERIFY(!error.isEmpty());

        // No room for the info file's name: refused at once, the file stays.
        QTemporaryDir dir(QString::fromLocal8Bit(homeDir()) + "/t-XXXXXX");
        const QByteArray longName = QFile::encodeName(dir.path()) + '/' + QByteArray(255, 'L');
        QVERIFY(writeBytes(longName, "l"));
        error.clear();
        QVERIFY(!moveToTrash(longName, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(exists(longName));
    }
};

QTEST_GUILESS_MAIN(TestTrash)
#include "tst_trash.moc"
