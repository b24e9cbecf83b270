#include "CRegistry.h"

#include <QtTest>

static QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The program's store as another tool or a damaged disk leaves it.
static void WriteStoreFile(const QByteArray &bytes)
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

// Reads into a string that a failed read must leave alone.
static qint64 Read(const QString &subkey, const QString &name, QString &out)
{
    out = u"untouched"_qs;
    return RegReadString(ERegRoot::Program, subkey, name, out);
}

class TestCRegistry : public QObject
{
    Q_OBJECT

    QTemporaryDir m_config;
    const QString m_settings = u"Settings"_qs;

private slots:
    void initTestCase()
    {
        // Before the first QSettings use: QSettings fixes its folder once per process.
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    }
    void init()
    {
        QTest::failOnWarning(QRegularExpression(u".*"_qs));
        QDir(m_config.filePath(u"Tarvo"_qs)).removeRecursively();
    }

    void writeThenRead_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("size");
        QTest::newRow("abc") << u"V"_qs << u"abc"_qs << qint64(3);
        QTest::newRow("default value") << QString() << u"d"_qs << qint64(1);
        QTest::newRow("comma, not a list") << u"V"_qs << u"a, b"_qs << qint64(4);
        QTest::newRow("UTF-8 bytes") << u"V"_qs << u"\u00e4\u20ac"_qs << qint64(5);
    }
    void writeThenRead()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        const QString key = u"Settings\\AutoClose"_qs;
        QVERIFY(RegWriteString(ERegRoot::Program, key, name, text));
        QVERIFY(RegWriteString(ERegRoot::Program, key, u"Other"_qs, u"o"_qs));
        QString out;
        QTEST(Read(key, name, out), "size");
        QCOMPARE(out, text);
        const QSettings file(RegStorePath(ERegRoot::Program), QSettings::IniFormat);
        QVERIFY(file.contains(u"Settings/AutoClose/Other"_qs));
    }

    void readWhatOthersStored_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("text");
        const QString untouched = u"untouched"_qs;
        QTest::newRow("terminator") << QByteArray("[Settings]\nV=abc\\0") << qint64(4) << u"abc"_qs;
        QTest::newRow("unquoted commas")
            << QByteArray("[Settings]\nV=a, b,c") << qint64(7) << u"a, b, c"_qs;
        QTest::newRow("byte array")
            << QByteArray("[Settings]\nV=@ByteArray(xyz)") << qint64(3) << u"xyz"_qs;
        QTest::newRow("no text form")
            << QByteArray("[Settings]\nV=@Point(1 2)") << qint64(0) << untouched;
        QTest::newRow("missing value") << QByteArray("[Settings]\nW=1") << qint64(0) << untouched;
        QTest::newRow("missing key") << QByteArray("[Other]\nV=1") << qint64(0) << untouched;
    }
    void readWhatOthersStored()
    {
        QFETCH(QByteArray, file);
        WriteStoreFile(file + '\n');
        QString out;
        QTEST(Read(m_settings, u"V"_qs, out), "size");
        QTEST(out, "text");
    }

    void deleteKey()
    {
        const QString autoClose = u"Settings\\AutoClose"_qs;
        QVERIFY(RegWriteString(ERegRoot::Program, autoClose, u"url1"_qs, u"x"_qs));
        QVERIFY(RegWriteString(ERegRoot::Program, autoClose + u"\\Deep"_qs, QString(), u"x"_qs));
        // A value of the parent named like the key is not part of the key.
        QVERIFY(RegWriteString(ERegRoot::Program, m_settings, u"AutoClose"_qs, u"x"_qs));

        QVERIFY(!RegDeleteKey(ERegRoot::Program, u"\\"_qs));
        QVERIFY(RegDeleteKey(ERegRoot::Program, autoClose));
        QVERIFY(!RegDeleteKey(ERegRoot::Program, autoClose));
        const QSettings file(RegStorePath(ERegRoot::Program), QSettings::IniFormat);
        QCOMPARE(file.allKeys(), QStringList {u"Settings/AutoClose"_qs});
    }

    void garbageStoreIsSetAside()
    {
        QByteArray garbage(4096, '\0');
        QRandomGenerator generator(42);
        for (char &c : garbage)
            c = char(generator.bounded(256));
        const QString path = RegStorePath(ERegRoot::Program);
        QVERIFY(!RegSetAsideBroken(ERegRoot::Program));
        WriteStoreFile(garbage);

        // Twice: QSettings reports a parse error only the first time it reads the file.
        for (int i = 0; i < 2; ++i) {
            QVERIFY(RegStoreIsBroken(ERegRoot::Program));
            QCOMPARE(GetProfileInt(m_settings, u"StartMode"_qs, 2), 2);
            QString out;
            QCOMPARE(Read(m_settings, u"StartMode"_qs, out), 0);
        }

        QVERIFY(WriteProfileInt(m_settings, u"StartMode"_qs, 3));
        QCOMPARE(ReadBytes(path), QByteArray("[Settings]\nStartMode=3\n"));
        QCOMPARE(ReadBytes(path + u".broken"_qs), garbage);
        QVERIFY(!RegStoreIsBroken(ERegRoot::Program));
        QCOMPARE(GetProfileInt(m_settings, u"StartMode"_qs, 2), 3);
    }
};

QTEST_GUILESS_MAIN(TestCRegistry)
#include "tst_cregistry.moc"
