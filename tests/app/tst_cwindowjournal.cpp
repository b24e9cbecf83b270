#include "CWindowJournal.h"

#include <QtTest>

// The journal of open windows: written at most once a second, always whole, and read
// back without trusting what is on disk.
class tst_CWindowJournal : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

    static QStringList Addresses(const QString &path)
    {
        return CWindowJournal::Read(path).addresses;
    }

    void WriteRaw(const QByteArray &content)
    {
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(u"sub/open-windows.json"_qs);
        QFile::remove(m_path);
    }

    void writesAtMostOnceASecondAndTheLastStateLands()
    {
        const QStringList a {u"http://a.test/"_qs};
        const QStringList b {u"http://a.test/"_qs, u"http://b.test/"_qs};
        const QStringList c {u"http://c.test/"_qs};
        CWindowJournal journal(m_path);
        QCOMPARE(journal.NextWriteDue(), qint64(-1));
        QVERIFY(journal.Record(a, 5000));
        QCOMPARE(Addresses(m_path), a);

        // One millisecond short of the limit: kept, and due at the limit.
        QVERIFY(!journal.Record(b, 5999));
        QCOMPARE(Addresses(m_path), a);
        QCOMPARE(journal.NextWriteDue(), qint64(6000));
        QVERIFY(!journal.WritePending(5999));
        QCOMPARE(Addresses(m_path), a);
        QVERIFY(journal.WritePending(6000));
        QCOMPARE(Addresses(m_path), b);
        QCOMPARE(journal.NextWriteDue(), qint64(-1));

        // Exactly at the limit a record is written at once.
        QVERIFY(journal.Record(c, 7000));
        QCOMPARE(Addresses(m_path), c);
        // Nothing new, nothing written, however late.
        QVERIFY(!journal.Record(c, 9000));
        // A change taken back before it was due leaves nothing pending.
        QVERIFY(journal.Record(a, 10000));
        QVERIFY(!journal.Record(b, 10100));
        QVERIFY(!journal.Record(a, 10200));
        QCOMPARE(journal.NextWriteDue(), qint64(-1));
    }

    void eachWriteReplacesTheWholeFile()
    {
        CWindowJournal journal(m_path);
        QStringList many;
        for (int i = 0; i < 50; ++i)
            many << u"http://site%1.test/a/long/path/to/a/page?with=query"_qs.arg(i);
        QVERIFY(journal.Record(many, 0));
        const QStringList one {u"http://one.test/"_qs};
        QVERIFY(journal.Record(one, 1000));
        // A shorter list leaves no tail of the longer one behind, and no temporary file.
        QCOMPARE(Addresses(m_path), one);
        QCOMPARE(QDir(QFileInfo(m_path).absolutePath()).entryList(QDir::Files | QDir::Hidden),
                 QStringList {u"open-windows.json"_qs});
        // A list of no windows is a journal with nothing to reopen.
        QVERIFY(journal.Record({}, 2000));
        QVERIFY(QFile::exists(m_path));
        QVERIFY(Addresses(m_path).isEmpty());
    }

    void reopeningMarkStaysUntilItEnds()
    {
        const QStringList a {u"http://a.test/"_qs};
        const QStringList b {u"http://b.test/"_qs};
        CWindowJournal journal(m_path);
        QVERIFY(journal.BeginReopening(a, 0));
        QVERIFY(CWindowJournal::Read(m_path).bReopening);
        QCOMPARE(CWindowJournal::Read(m_path).nPid, QCoreApplication::applicationPid());
        QVERIFY(journal.Record(b, 1000));
        QVERIFY(CWindowJournal::Read(m_path).bReopening);
        journal.EndReopening(1500);
        const CWindowJournal::SContents after = CWindowJournal::Read(m_path);
        QVERIFY(!after.bReopening);
        QCOMPARE(after.addresses, b);
    }

    void normalExitRemovesTheFileForGood()
    {
        CWindowJournal journal(m_path);
        QVERIFY(journal.Record({u"http://a.test/"_qs}, 0));
        QVERIFY(!journal.Record({u"http://b.test/"_qs}, 10));
        journal.Clear();
        QVERIFY(!QFile::exists(m_path));
        // Windows closing on the way out write nothing more, pending or not.
        QVERIFY(!journal.WritePending(5000));
        QVERIFY(!journal.Record({u"http://c.test/"_qs}, 6000));
        QVERIFY(!QFile::exists(m_path));
    }

    void badFileHoldsNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not json") << QByteArray("http://a.test/\nhttp://b.test/\n");
        QTest::newRow("cut short") << QByteArray("{\"format\":1,\"windows\":[\"http://a.te");
        QTest::newRow("an array") << QByteArray("[\"http://a.test/\"]");
        QTest::newRow("no format") << QByteArray("{\"windows\":[\"http://a.test/\"]}");
        QTest::newRow("later format")
            << QByteArray("{\"format\":2,\"windows\":[\"http://a.test/\"]}");
        QTest::newRow("windows not a list")
            << QByteArray("{\"format\":1,\"windows\":\"http://a/\"}");
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe{\x01", 5);
        QTest::newRow("huge") << QByteArray(5 * 1024 * 1024, ' ');
    }
    void badFileHoldsNothing()
    {
        QFETCH(QByteArray, content);
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        WriteRaw(content);
        const CWindowJournal::SContents read = CWindowJournal::Read(m_path);
        QVERIFY(read.addresses.isEmpty());
        QVERIFY(!read.bReopening);
    }

    void oddEntriesAreSkippedNotFatal()
    {
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        WriteRaw("{\"format\":1,\"reopening\":\"yes\",\"windows\":[1,null,\"  "
                 "\",\"http://a.test/\",{}]}");
        const CWindowJournal::SContents read = CWindowJournal::Read(m_path);
        QCOMPARE(read.addresses, QStringList {u"http://a.test/"_qs});
        QVERIFY(!read.bReopening);
        QVERIFY(CWindowJournal::Read(m_dir.filePath(u"missing.json"_qs)).addresses.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_CWindowJournal)
#include "tst_cwindowjournal.moc"
