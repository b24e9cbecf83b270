#include "CRegistry.h"

#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

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

    void readBack_data()
    {
        QTest::addColumn<QByteArray>("file"); // null: the text as this layer writes it
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("text");
        const QString untouched = u"untouched"_qs;
        QTest::newRow("abc") << QByteArray() << qint64(3) << u"abc"_qs;
        QTest::newRow("UTF-8 bytes") << QByteArray() << qint64(5) << u"\u00e4\u20ac"_qs;
        QTest::newRow("terminator") << QByteArray("[Settings]\nV=abc\\0") << qint64(4) << u"abc"_qs;
        QTest::newRow("no text form")
            << QByteArray("[Settings]\nV=@Point(1 2)") << qint64(0) << untouched;
        QTest::newRow("missing value") << QByteArray("[Settings]\nW=1") << qint64(0) << untouched;
        QTest::newRow("missing key") << QByteArray("[Other]\nV=1") << qint64(0) << untouched;
    }
    void readBack()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, text);
        if (file.isNull())
            QVERIFY(RegWriteString(ERegRoot::Program, m_settings, u"V"_qs, text));
        else
            WriteStoreFile(file + '\n');
        QString out = u"untouched"_qs; // a failed read must leave it alone
        QTEST(RegReadString(ERegRoot::Program, m_settings, u"V"_qs, out), "size");
        QCOMPARE(out, text);
    }

    void profileStringWithoutTerminator()
    {
        // Another tool may store the value with its terminating NUL; it is not text.
        WriteStoreFile("[Settings]\nV=abc\\0\n");
        QCOMPARE(GetProfileString(m_settings, u"V"_qs, u"default"_qs), u"abc"_qs);
        QCOMPARE(GetProfileString(m_settings, u"W"_qs, u"default"_qs), u"default"_qs);
    }

    void unchangedProfileValuesLeaveTheFileAlone()
    {
        // As another tool left it: a comment and spaces that a rewrite would drop, and
        // numbers as text, as they read back from any file.
        const auto write = [&](const QList<QPair<QString, QVariant>> &entries) {
            QList<CRegValue> values;
            for (const auto &[name, value] : entries)
                values.append({m_settings, name, value});
            return RegWriteValues(ERegRoot::Program, values, {});
        };
        WriteStoreFile("; kept\n[Settings]\nInt = 3\nText=t\nEmpty=\n");
        const QString path = RegStorePath(ERegRoot::Program);
        const QByteArray untouched = ReadBytes(path);
        const QList<QPair<QString, QVariant>> same
            = {{u"Int"_qs, 3}, {u"Text"_qs, u"t"_qs}, {u"Empty"_qs, QString()}};
        QVERIFY(write(same));
        QCOMPARE(ReadBytes(path), untouched);

        // One value differs, or one is missing: the store is written.
        QVERIFY(write({{u"Int"_qs, 3}, {u"Text"_qs, u"T"_qs}}));
        QVERIFY(!ReadBytes(path).startsWith("; kept"));
        QCOMPARE(GetProfileString(m_settings, u"Text"_qs), u"T"_qs);
        QVERIFY(write({{u"Int"_qs, 3}, {u"New"_qs, 0}}));
        QCOMPARE(GetProfileInt(m_settings, u"New"_qs, 7), 0);
    }

    void unchangedRecordAndListLeaveTheFileAlone()
    {
        const QString list = u"Settings\\AutoClose"_qs;
        const auto write = [&](const QVariantList &entries) {
            return RegWriteValues(ERegRoot::Program, {{m_settings, u"Int"_qs, 3}},
                                  {{list, u"url"_qs, entries}});
        };
        QVERIFY(write({u"a"_qs, u"b"_qs}));
        const QString path = RegStorePath(ERegRoot::Program);
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        file.write("; kept\n");
        file.close();
        const QByteArray untouched = ReadBytes(path);
        QVERIFY(write({u"a"_qs, u"b"_qs}));
        QCOMPARE(ReadBytes(path), untouched);

        // A shorter list leaves an entry behind unless the store is written.
        QVERIFY(write({u"a"_qs}));
        QVERIFY(!ReadBytes(path).contains("; kept"));
        QString value;
        QCOMPARE(RegReadString(ERegRoot::Program, list, u"url2"_qs, value), 0);
        QVERIFY(RegReadString(ERegRoot::Program, list, u"url1"_qs, value) > 0);
        QCOMPARE(value, u"a"_qs);
    }

    void deleteKey()
    {
        const QString autoClose = u"Settings\\AutoClose"_qs;
        QVERIFY(RegWriteString(ERegRoot::Program, autoClose, u"url1"_qs, u"x"_qs));
        QVERIFY(RegWriteString(ERegRoot::Program, autoClose + u"\\Deep"_qs, QString(), u"x"_qs));
        // A value of the parent named like the key is not part of the key.
        QVERIFY(RegWriteString(ERegRoot::Program, m_settings, u"AutoClose"_qs, u"x"_qs));

        QVERIFY(RegDeleteKey(ERegRoot::Program, autoClose));
        QVERIFY(!RegDeleteKey(ERegRoot::Program, autoClose));
        const QSettings file(RegStorePath(ERegRoot::Program), QSettings::IniFormat);
        QCOMPARE(file.allKeys(), QStringList {u"Settings/AutoClose"_qs});
    }

    void garbageStoreIsSetAside()
    {
        QByteArray garbage(4096, '\0');
        for (qsizetype i = 0; i < garbage.size(); ++i)
            garbage[i] = char((i * 151 + 7) & 0xff);
        QVERIFY(!RegSetAsideBroken(ERegRoot::Program));
        WriteStoreFile(garbage);
        // Twice: QSettings reports a parse error only the first time it reads the file.
        for (int i = 0; i < 2; ++i) {
            QVERIFY(RegStoreIsBroken(ERegRoot::Program));
            QCOMPARE(GetProfileInt(m_settings, u"StartMode"_qs, 2), 2);
        }
        QVERIFY(WriteProfileInt(m_settings, u"StartMode"_qs, 3));
        const QString path = RegStorePath(ERegRoot::Program);
        QCOMPARE(ReadBytes(path), QByteArray("[Settings]\nStartMode=3\n"));
        QCOMPARE(ReadBytes(path + u".broken"_qs), garbage);
        QVERIFY(!RegStoreIsBroken(ERegRoot::Program));
    }

    void everyWriteReplacesTheFileWhole_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::newRow("readable store") << QByteArray("[Settings]\nA=old\nB=old\n");
        QTest::newRow("broken store") << QByteArray("[Settings]\n\"A=\x01\x02\n[\n");
    }
    void everyWriteReplacesTheFileWhole()
    {
        // A program killed while writing must leave the old file or the new one. So a
        // write never opens the store in place: it makes a new file and renames it over
        // the old, which a reader holding the old file never sees change.
        QFETCH(QByteArray, before);
        WriteStoreFile(before);
        const QString path = RegStorePath(ERegRoot::Program);
        const int oldFile = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        QVERIFY(oldFile >= 0);
        const bool bWritten = RegWriteValues(
            ERegRoot::Program, {{m_settings, u"A"_qs, u"new"_qs}, {m_settings, u"B"_qs, 2}},
            {{u"Settings\\List"_qs, u"url"_qs, {u"x"_qs}}});
        QByteArray seen(before.size() + 64, '\0');
        const ssize_t n = ::pread(oldFile, seen.data(), seen.size(), 0);
        ::close(oldFile);
        QVERIFY(bWritten);
        QCOMPARE(seen.left(n), before);
        QCOMPARE(ReadBytes(path), QByteArray("[Settings]\nA=new\nB=2\nList\\url1=x\n"));
        // Nothing of the write is left beside the store.
        QStringList expected {QFileInfo(path).fileName()};
        if (before.contains('\x01'))
            expected += QFileInfo(path).fileName() + u".broken"_qs;
        QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden), expected);
    }

    void batchWithABadNameWritesNothing()
    {
        QVERIFY(RegWriteString(ERegRoot::Program, m_settings, u"A"_qs, u"old"_qs));
        QVERIFY(!RegWriteValues(ERegRoot::Program,
                                {{m_settings, u"A"_qs, u"new"_qs}, {m_settings, u"B/C"_qs, 1}}));
        QCOMPARE(ReadBytes(RegStorePath(ERegRoot::Program)), QByteArray("[Settings]\nA=old\n"));
    }
};

QTEST_GUILESS_MAIN(TestCRegistry)
#include "tst_cregistry.moc"
