#include "CRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class TestCRegistry : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void writeThenRead_data();
    void writeThenRead();
    void readWhatOthersStored_data();
    void readWhatOthersStored();
    void deleteKey();
    void profileInt_data();
    void profileInt();
    void garbageStore_data();
    void garbageStore();
    void storeThatIsAFolder();

private:
    static QByteArray readBytes(const QString &path);
    static void writeStoreFile(const QByteArray &bytes);

    QTemporaryDir m_config;
    const QString m_settings = QStringLiteral("Settings");
};

void TestCRegistry::initTestCase()
{
    // Before the first QSettings use: QSettings fixes its folder once per process.
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
}

void TestCRegistry::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    QDir(m_config.filePath(QStringLiteral("Tarvo"))).removeRecursively();
}

QByteArray TestCRegistry::readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The program's store as another tool or a damaged disk leaves it.
void TestCRegistry::writeStoreFile(const QByteArray &bytes)
{
    const QString path = RegStorePath(ERegRoot::Program);
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
    // QSettings keeps its parsed copy while size and time stay the same; two files
    // written within one millisecond could share both, so each gets its own time.
    static int tick = 0;
    QVERIFY(file.setFileTime(QDateTime(QDate(2020, 1, 1), QTime(0, 0)).addSecs(++tick),
                             QFileDevice::FileModificationTime));
}

void TestCRegistry::writeThenRead_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("size");

    QTest::newRow("abc") << QStringLiteral("V") << QStringLiteral("abc") << qint64(3);
    QTest::newRow("default value") << QString() << QStringLiteral("d") << qint64(1);
    QTest::newRow("comma, not a list")
        << QStringLiteral("V") << QStringLiteral("a, b") << qint64(4);
    QTest::newRow("UTF-8 bytes") << QStringLiteral("V") << QStringLiteral("\u00e4\u20ac")
                                 << qint64(5);
}

void TestCRegistry::writeThenRead()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(qint64, size);
    const QString key = QStringLiteral("Settings\\AutoClose");
    QVERIFY(RegWriteString(ERegRoot::Program, key, name, text));
    QVERIFY(RegWriteString(ERegRoot::Program, key, QStringLiteral("Other"), QStringLiteral("o")));
    QString out = QStringLiteral("old");
    QCOMPARE(RegReadString(ERegRoot::Program, key, name, out), size);
    QCOMPARE(out, text);
    const QSettings file(RegStorePath(ERegRoot::Program), QSettings::IniFormat);
    QVERIFY(file.contains(QStringLiteral("Settings/AutoClose/Other")));
}

void TestCRegistry::readWhatOthersStored_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("text");

    const QString untouched = QStringLiteral("untouched");
    QTest::newRow("terminator") << QByteArray("[Settings]\nV=abc\\0") << qint64(4)
                                << QStringLiteral("abc");
    QTest::newRow("unquoted commas")
        << QByteArray("[Settings]\nV=a, b,c") << qint64(7) << QStringLiteral("a, b, c");
    QTest::newRow("byte array") << QByteArray("[Settings]\nV=@ByteArray(xyz)") << qint64(3)
                                << QStringLiteral("xyz");
    QTest::newRow("no text form") << QByteArray("[Settings]\nV=@Point(1 2)") << qint64(0)
                                  << untouched;
    QTest::newRow("missing value") << QByteArray("[Settings]\nW=1") << qint64(0) << untouched;
    QTest::newRow("missing key") << QByteArray("[Other]\nV=1") << qint64(0) << untouched;
}

void TestCRegistry::readWhatOthersStored()
{
    QFETCH(QByteArray, file);
    QFETCH(qint64, size);
    QFETCH(QString, text);
    writeStoreFile(file + '\n');
    QString out = QStringLiteral("untouched");
    QCOMPARE(RegReadString(ERegRoot::Program, m_settings, QStringLiteral("V"), out), size);
    QCOMPARE(out, text);
}

void TestCRegistry::deleteKey()
{
    const QString autoClose = QStringLiteral("Settings\\AutoClose");
    const QString x = QStringLiteral("x");
    QVERIFY(RegWriteString(ERegRoot::Program, autoClose, QStringLiteral("url1"), x));
    QVERIFY(RegWriteString(ERegRoot::Program, autoClose + QStringLiteral("\\Deep"), QString(), x));
    // A value of the parent named like the key is not part of the key.
    QVERIFY(RegWriteString(ERegRoot::Program, m_settings, QStringLiteral("AutoClose"), x));

    QVERIFY(!RegDeleteKey(ERegRoot::Program, QStringLiteral("\\")));
    QVERIFY(RegDeleteKey(ERegRoot::Program, autoClose));
    QVERIFY(!RegDeleteKey(ERegRoot::Program, autoClose));

    const QSettings file(RegStorePath(ERegRoot::Program), QSettings::IniFormat);
    QCOMPARE(file.allKeys(), QStringList {QStringLiteral("Settings/AutoClose")});
}

void TestCRegistry::profileInt_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("expected");

    QTest::newRow("number") << QByteArray("42") << 42;
    QTest::newRow("smallest") << QByteArray("-2147483648") << int(-2147483647 - 1);
    QTest::newRow("text") << QByteArray("abc") << -1;
    QTest::newRow("fraction") << QByteArray("2.5") << -1;
    QTest::newRow("beyond 32 bits") << QByteArray("2147483648") << -1;
    QTest::newRow("list") << QByteArray("1, 2") << -1;
    QTest::newRow("empty") << QByteArray("") << -1;
}

void TestCRegistry::profileInt()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, expected);
    writeStoreFile("[Settings]\nStartMode=" + stored + '\n');
    QCOMPARE(GetProfileInt(m_settings, QStringLiteral("StartMode"), -1), expected);
    QVERIFY(WriteProfileInt(m_settings, QStringLiteral("StartMode"), -12));
    QCOMPARE(GetProfileInt(m_settings, QStringLiteral("StartMode"), -1), -12);
}

void TestCRegistry::garbageStore_data()
{
    QTest::addColumn<QByteArray>("garbage");

    QByteArray random(4096, '\0');
    QRandomGenerator generator(42);
    for (char &c : random)
        c = char(generator.bounded(256));
    QTest::newRow("random bytes") << random;
    QTest::newRow("zero bytes") << QByteArray(512, '\0');
    QTest::newRow("unclosed section") << QByteArray("[Settings\nStartMode=7\n");
}

void TestCRegistry::garbageStore()
{
    QFETCH(QByteArray, garbage);
    const QString path = RegStorePath(ERegRoot::Program);
    QVERIFY(!RegSetAsideBroken(ERegRoot::Program));
    writeStoreFile(garbage);

    // Twice: QSettings reports a parse error only the first time it reads the file.
    for (int i = 0; i < 2; ++i) {
        QVERIFY(RegStoreIsBroken(ERegRoot::Program));
        QCOMPARE(GetProfileInt(m_settings, QStringLiteral("StartMode"), 2), 2);
        QString out = QStringLiteral("untouched");
        QCOMPARE(RegReadString(ERegRoot::Program, m_settings, QStringLiteral("StartMode"), out), 0);
        QCOMPARE(out, QStringLiteral("untouched"));
    }

    QVERIFY(WriteProfileInt(m_settings, QStringLiteral("StartMode"), 3));
    QCOMPARE(readBytes(path), QByteArray("[Settings]\nStartMode=3\n"));
    QCOMPARE(readBytes(path + QStringLiteral(".broken")), garbage);
    QVERIFY(!RegStoreIsBroken(ERegRoot::Program));
    QVERIFY(!RegSetAsideBroken(ERegRoot::Program));
    QCOMPARE(GetProfileInt(m_settings, QStringLiteral("StartMode"), 2), 3);
}

void TestCRegistry::storeThatIsAFolder()
{
    QVERIFY(RegIsWritable(ERegRoot::Program));
    QVERIFY(QDir().mkpath(RegStorePath(ERegRoot::Program)));
    QString out = QStringLiteral("untouched");
    QCOMPARE(RegReadString(ERegRoot::Program, m_settings, QStringLiteral("V"), out), 0);
    QCOMPARE(out, QStringLiteral("untouched"));
    QVERIFY(!RegWriteString(ERegRoot::Program, m_settings, QStringLiteral("V"), out));
    QVERIFY(!RegIsWritable(ERegRoot::Program));
    QVERIFY(!RegSetAsideBroken(ERegRoot::Program));
}

QTEST_GUILESS_MAIN(TestCRegistry)
#include "tst_cregistry.moc"
