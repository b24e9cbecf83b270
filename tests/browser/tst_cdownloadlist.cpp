#include "CDownloadList.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class tst_CDownloadList : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString Path(const QString &name) const { return m_dir.filePath(name); }

    static SDownload Entry(const QString &path, SDownload::EState state)
    {
        SDownload entry;
        entry.strPath = path;
        entry.strUrl = u"http://127.0.0.1/"_s + QFileInfo(path).fileName();
        entry.state = state;
        entry.nReceived = 10;
        entry.nTotal = 20;
        return entry;
    }

    void Touch(const QString &name) const
    {
        QFile file(Path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    void Write(const QString &name, const QByteArray &content) const
    {
        QFile file(Path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        const auto files = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
        for (const QString &file : files)
            QVERIFY(QFile::remove(Path(file)));
    }

    void uniquePath_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QStringList>("taken");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");

        QTest::newRow("free") << QStringList {} << QStringList {} << u"a.zip"_s << u"a.zip"_s;
        QTest::newRow("file there")
            << QStringList {u"a.zip"_s} << QStringList {} << u"a.zip"_s << u"a (1).zip"_s;
        QTest::newRow("first numbers used")
            << QStringList {u"a.zip"_s, u"a (1).zip"_s, u"a (2).zip"_s} << QStringList {}
            << u"a.zip"_s << u"a (3).zip"_s;
        QTest::newRow("taken by a running download")
            << QStringList {} << QStringList {u"a.zip"_s, u"a (1).zip"_s} << u"a.zip"_s
            << u"a (2).zip"_s;
        QTest::newRow("no extension")
            << QStringList {u"README"_s} << QStringList {} << u"README"_s << u"README (1)"_s;
        QTest::newRow("hidden name")
            << QStringList {u".profile"_s} << QStringList {} << u".profile"_s << u".profile (1)"_s;
        QTest::newRow("compound extension") << QStringList {u"src.tar.gz"_s} << QStringList {}
                                            << u"src.tar.gz"_s << u"src (1).tar.gz"_s;
        QTest::newRow("only the last of other dots")
            << QStringList {u"v1.2.txt"_s} << QStringList {} << u"v1.2.txt"_s << u"v1.2 (1).txt"_s;
        QTest::newRow("trailing dot")
            << QStringList {u"end."_s} << QStringList {} << u"end."_s << u"end. (1)"_s;
    }

    void uniquePath()
    {
        QFETCH(QStringList, existing);
        QFETCH(QStringList, taken);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        for (const QString &file : std::as_const(existing))
            Touch(file);
        QSet<QString> takenPaths;
        for (const QString &file : std::as_const(taken))
            takenPaths.insert(Path(file));
        QCOMPARE(CDownloadList::UniquePath(Path(name), takenPaths), Path(expected));
    }

    void savedAndLoadedAgain()
    {
        const QString file = Path(u"downloads.json"_s);
        {
            CDownloadList list(file);
            QVERIFY(list.Load());
            QVERIFY(list.Entries().isEmpty());
            SDownload failed = Entry(Path(u"f.bin"_s), SDownload::Failed);
            failed.strError = u"Network error"_s;
            failed.started = QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9));
            list.Add(failed);
            list.Add(Entry(Path(u"c.bin"_s), SDownload::Completed));
            list.Add(Entry(Path(u"x.bin"_s), SDownload::Cancelled));
            list.Add(Entry(Path(u"p.bin"_s), SDownload::Paused));
            list.Add(Entry(Path(u"r.bin"_s), SDownload::Running));
            QVERIFY(list.Save());
        }

        CDownloadList list(file);
        QVERIFY(list.Load());
        const auto &entries = list.Entries();
        QCOMPARE(entries.size(), 5);
        QStringList names;
        for (const SDownload &entry : entries)
            names << entry.FileName();
        QCOMPARE(names, (QStringList {u"r.bin"_s, u"p.bin"_s, u"x.bin"_s, u"c.bin"_s, u"f.bin"_s}));
        // What was still running when its program ended can only have failed.
        QCOMPARE(entries.at(0).state, SDownload::Failed);
        QCOMPARE(entries.at(0).strError, u"Interrupted"_s);
        QCOMPARE(entries.at(1).state, SDownload::Failed);
        QCOMPARE(entries.at(2).state, SDownload::Cancelled);
        QCOMPARE(entries.at(3).state, SDownload::Completed);
        const SDownload &failed = entries.at(4);
        QCOMPARE(failed.state, SDownload::Failed);
        QCOMPARE(failed.strError, u"Network error"_s);
        QCOMPARE(failed.strUrl, u"http://127.0.0.1/f.bin"_s);
        QCOMPARE(failed.nReceived, 10);
        QCOMPARE(failed.nTotal, 20);
        QCOMPARE(failed.started, QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)));
    }

    void keepsAtMostAHundred()
    {
        CDownloadList list(Path(u"downloads.json"_s));
        // The oldest entry is still running: it stays, the oldest finished one goes.
        list.Add(Entry(Path(u"running.bin"_s), SDownload::Running));
        for (int i = 0; i < CDownloadList::kMaxEntries - 1; ++i)
            list.Add(Entry(Path(u"%1.bin"_s.arg(i)), SDownload::Completed));
        QCOMPARE(list.Entries().size(), CDownloadList::kMaxEntries);
        QCOMPARE(list.Entries().last().FileName(), u"running.bin"_s);

        list.Add(Entry(Path(u"new.bin"_s), SDownload::Completed));
        QCOMPARE(list.Entries().size(), CDownloadList::kMaxEntries);
        QCOMPARE(list.Entries().first().FileName(), u"new.bin"_s);
        QCOMPARE(list.Entries().last().FileName(), u"running.bin"_s);
        QCOMPARE(list.Entries().at(list.Entries().size() - 2).FileName(), u"1.bin"_s);
    }

    void aLongerFileLoadsItsNewestHundred()
    {
        QJsonArray array;
        for (int i = 0; i < CDownloadList::kMaxEntries + 1; ++i)
            array.append(
                QJsonObject {{u"path"_s, Path(u"%1.bin"_s.arg(i))}, {u"state"_s, u"completed"_s}});
        Write(u"downloads.json"_s, QJsonDocument(QJsonObject {{u"downloads"_s, array}}).toJson());
        CDownloadList list(Path(u"downloads.json"_s));
        QVERIFY(list.Load());
        QCOMPARE(list.Entries().size(), CDownloadList::kMaxEntries);
        QCOMPARE(list.Entries().last().FileName(), u"99.bin"_s);
    }

    void garbledEntriesReadSafely()
    {
        const QByteArray content = R"({"downloads": [
            {"state": "completed"},
            "not an entry",
            {"path": "/"},
            {"path": "/tmp/odd.bin", "state": "exploded", "received": -5, "total": "many"},
            {"path": "/tmp/ok.bin", "state": "cancelled", "received": 1e300, "started": "never"}
        ]})";
        Write(u"downloads.json"_s, content);
        CDownloadList list(Path(u"downloads.json"_s));
        QVERIFY(list.Load());
        const auto &entries = list.Entries();
        QCOMPARE(entries.size(), 2);
        // An unknown state is no promise that the file is whole.
        QCOMPARE(entries.at(0).state, SDownload::Failed);
        QCOMPARE(entries.at(0).nReceived, 0);
        QCOMPARE(entries.at(0).nTotal, -1);
        QCOMPARE(entries.at(1).state, SDownload::Cancelled);
        QCOMPARE(entries.at(1).nReceived, 0);
        QVERIFY(!entries.at(1).started.isValid());
    }

    void brokenFileIsSetAsideNotOverwritten()
    {
        const QString file = Path(u"downloads.json"_s);
        for (const QByteArray &broken :
             {QByteArray("{not json"), QByteArray("[1, 2]"), QByteArray(R"({"downloads": 3})")}) {
            Write(u"downloads.json"_s, broken);
            QFile::remove(file + u".broken"_s);
            CDownloadList list(file);
            QVERIFY(!list.Load());
            QVERIFY(list.Entries().isEmpty());
            list.Add(Entry(Path(u"new.bin"_s), SDownload::Completed));
            QVERIFY(list.Save());

            QFile aside(file + u".broken"_s);
            QVERIFY(aside.open(QIODevice::ReadOnly));
            QCOMPARE(aside.readAll(), broken);
            CDownloadList again(file);
            QVERIFY(again.Load());
            QCOMPARE(again.Entries().size(), 1);
        }
    }

    void runningDownloadsStayWhenTheListIsReadAgain()
    {
        const QString file = Path(u"downloads.json"_s);
        CDownloadList list(file);
        list.Add(Entry(Path(u"old.bin"_s), SDownload::Completed));
        const quint64 nRunning = list.Add(Entry(Path(u"now.bin"_s), SDownload::Running));
        QVERIFY(list.Save());

        SDownload running = *list.Find(nRunning);
        running.nReceived = 15;
        QVERIFY(list.Load({running}));
        const auto &entries = list.Entries();
        // Listed once, as it is now, with the id it had.
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries.at(0).nId, nRunning);
        QCOMPARE(entries.at(0).state, SDownload::Running);
        QCOMPARE(entries.at(0).nReceived, 15);
        QCOMPARE(entries.at(1).FileName(), u"old.bin"_s);
        QVERIFY(entries.at(1).nId != nRunning);
    }
};

QTEST_GUILESS_MAIN(tst_CDownloadList)
#include "tst_cdownloadlist.moc"
