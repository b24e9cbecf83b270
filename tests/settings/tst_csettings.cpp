#include "CConfirmDlg.h"
#include "CSettings.h"

#include <QtTest>

#include <cstring>

static const QString ConfigDir = qEnvironmentVariable("XDG_CONFIG_HOME") + u"/Tarvo"_qs;
static const QString StorePath = ConfigDir + u"/Quillbrow.conf"_qs;

// Every integer field of the record.
static int CSettings::*const kInts[]
    = {&CSettings::ActivateMode,          &CSettings::DisplaySplash,
       &CSettings::CheckDefaultBrowser,   &CSettings::MultipleInstance,
       &CSettings::ConfirmExitApp,        &CSettings::ConfirmSynchronize,
       &CSettings::ConfirmCloseAll,       &CSettings::ConfirmCloseAllEx,
       &CSettings::ConfirmUserClose,      &CSettings::ConfirmClearAddress,
       &CSettings::ConfirmAddToAutoClose, &CSettings::ActivateNewWindow,
       &CSettings::OpenInNewWindow,       &CSettings::StartMode,
       &CSettings::MaximizeChild,         &CSettings::ConfirmReopenWindows};

// The settings record against its store: what a user gets back after a restart,
// also when the store was edited by hand or left unreadable.
class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(QDir(ConfigDir).removeRecursively());
        QFile::remove(ConfigDir); // unwritableStoreReported puts a file in the folder's place
        QTest::failOnWarning(QRegularExpression(u".*"_qs));
    }

    void startPageByMode_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("address");
        QTest::newRow("0 blank") << 0 << u"about:blank"_qs;
        QTest::newRow("1 last visited") << 1 << u"http://last/"_qs;
        QTest::newRow("2 engine's page") << 2 << u"http://engine/"_qs;
        QTest::newRow("3 custom") << 3 << u"http://custom/"_qs;
        QTest::newRow("4 unknown") << 4 << u"about:blank"_qs;
        QTest::newRow("-1 unknown") << -1 << u"about:blank"_qs;
    }
    void startPageByMode()
    {
        QFETCH(int, mode);
        CSettings s;
        s.LastVisited = u"http://last/"_qs;
        s.CustomHomepage = u"http://custom/"_qs;
        s.StartMode = mode;
        QTEST(s.GetStartPage(u"http://engine/"_qs), "address");
    }

    void roundTripOfEveryField()
    {
        CSettings out;
        int n = 10; // distinct values catch two fields stored under one name
        for (const auto field : kInts)
            out.*field = n++;
        out.LastVisited = u"https://läst.example/a b?x=1, 2;y=\"q\"#f"_qs;
        out.CustomHomepage = u"file:///home/u/start page.html"_qs;
        // An empty entry is left out without a gap, which would end the list on load.
        out.AutoCloseList = QStringList {u"!http://ads.example/*"_qs, QString(),
                                         u"http://ä.example/?x=1"_qs, u"c:\\pages\\a.html"_qs};
        // Each count keeps its entry's number; the list's last entry has none yet.
        out.AutoCloseCount = {7, 99, 2147483647};
        out.Save();

        CSettings in;
        in.Load();
        for (const auto field : kInts)
            QCOMPARE(in.*field, out.*field); // the value tells the field

        QCOMPARE(in.LastVisited, out.LastVisited);
        QCOMPARE(in.CustomHomepage, out.CustomHomepage);
        out.AutoCloseList.removeAll(QString());
        QCOMPARE(in.AutoCloseList, out.AutoCloseList);
        QCOMPARE(in.AutoCloseCount, (QList<int> {7, 2147483647, 0}));

        // An emptied list takes its key with it.
        out.AutoCloseList.clear();
        out.Save();
        const QSettings store(StorePath, QSettings::IniFormat);
        QCOMPARE(store.allKeys().filter(u"/AutoClose"_qs), QStringList());
        QVERIFY(store.contains(u"Settings/StartMode"_qs));
    }

    // Stores another tool, a person or a crash left behind: each loads what it can.
    void handWrittenStore_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // null: no store at all
        QTest::addColumn<int>("startMode");
        QTest::addColumn<int>("activateMode");
        QTest::addColumn<QStringList>("autoClose");
        QTest::addColumn<QList<int>>("counts");
        QTest::newRow("no store") << QByteArray() << 2 << 0 << QStringList() << QList<int>();
        QTest::newRow("values this version does not know")
            << QByteArray("[Settings]\nStartMode=7\nActivateMode=5\n") << 7 << 5 << QStringList()
            << QList<int>();
        QTest::newRow("AutoClose gap, trailing NUL")
            << QByteArray(
                   "[Settings]\nAutoClose\\url1=a\\0\nAutoClose\\url2=b\nAutoClose\\url4=d\n")
            << 2 << 0 << QStringList {u"a"_qs, u"b"_qs} << QList<int> {0, 0};
        // A count that cannot be read is 0 and never costs an entry; one without its
        // entry is dropped.
        QTest::newRow("counts missing, garbled, negative, orphaned")
            << QByteArray("[Settings]\nAutoClose\\url1=a\nAutoClose\\url2=b\nAutoClose\\url3=c\n"
                          "AutoClose\\url4=d\nAutoCloseCount\\url1=x1\nAutoCloseCount\\url2=-4\n"
                          "AutoCloseCount\\url4=12\nAutoCloseCount\\url5=8\n")
            << 2 << 0 << QStringList {u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs}
            << QList<int> {0, 0, 0, 12};
        // Beyond 32 bits or a list (as an unquoted value with commas reads) is no number.
        QTest::newRow("wrong types")
            << QByteArray("[Settings]\nStartMode=2147483648\nActivateMode=1, 2\n") << 2 << 0
            << QStringList() << QList<int>();
        QByteArray junk("\x7f"
                        "ELF\x02\x01\x00\xff\xfe[Sett\x00ings]\nStartMode=\x01\"\n[",
                        30);
        for (int i = 0; i < 4096; ++i)
            junk.append(char((i * 151 + 7) & 0xff));
        QTest::newRow("garbage bytes") << junk << 2 << 0 << QStringList() << QList<int>();
    }
    void handWrittenStore()
    {
        QFETCH(QByteArray, bytes);
        if (!bytes.isNull()) {
            QVERIFY(QDir().mkpath(ConfigDir));
            QFile file(StorePath);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }
        CSettings s;
        s.AutoCloseList = QStringList {u"stale"_qs};
        s.AutoCloseCount = {3};
        s.Load();
        QTEST(s.StartMode, "startMode");
        QTEST(s.ActivateMode, "activateMode");
        QTEST(s.AutoCloseList, "autoClose");
        QTEST(s.AutoCloseCount, "counts");

        // The next save leaves a clean store that loads back what was saved.
        s.AddAutoClose(u"http://ads.example/*"_qs);
        s.Save();
        QSettings store(StorePath, QSettings::IniFormat);
        QCOMPARE(store.status(), QSettings::NoError);
        for (const QString &key : store.allKeys())
            QVERIFY2(key.startsWith(u"Settings/"_qs), qPrintable(key));
        CSettings reloaded;
        reloaded.Load();
        for (const auto field : kInts)
            QCOMPARE(reloaded.*field, s.*field);
        QCOMPARE(reloaded.AutoCloseList, s.AutoCloseList);
        QCOMPARE(reloaded.AutoCloseCount, s.AutoCloseCount);
    }

    void countsFollowTheirEntries()
    {
        CSettings s;
        s.AutoCloseList = QStringList {u"http://A.example/"_qs, u"b"_qs, u"c"_qs};
        s.AutoCloseCount = {3, 1};
        // A count the list reaches but the counts do not starts at 0.
        s.CountAutoClose(2);
        s.CountAutoClose(3); // no such entry
        s.CountAutoClose(-1);
        QCOMPARE(s.AutoCloseCount, (QList<int> {3, 1, 1}));

        // Adding a listed address again keeps its tally; a new one starts at 0.
        s.AddAutoClose(u"!http://a.example/"_qs);
        s.AddAutoClose(u"d*"_qs);
        QCOMPARE(s.AutoCloseList,
                 QStringList({u"b"_qs, u"c"_qs, u"!http://a.example/"_qs, u"d*"_qs}));
        QCOMPARE(s.AutoCloseCount, (QList<int> {1, 1, 3, 0}));

        // The closing entry is the first enabled match, and that is the one counted.
        s.AutoCloseList = QStringList {u"!d*"_qs, u"d"_qs, u"D*"_qs};
        QCOMPARE(s.FindAutoClose(u"d"_qs), 1);
        QCOMPARE(s.FindAutoClose(u"dx"_qs), 2);
        QCOMPARE(s.FindAutoClose(u"x"_qs), -1);
    }

    void unwritableStoreReported()
    {
        // A file in the place of the store's folder stops even root from writing.
        QVERIFY(QDir().mkpath(QFileInfo(ConfigDir).path()));
        QFile blocker(ConfigDir);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        CSettings s;
        s.AutoCloseList = QStringList {u"a"_qs};
        CConfirmDlg::SetNextAnswer(IDOK);
        s.Save();
        QVERIFY(!CConfirmDlg::HasPendingAnswers());
        QVERIFY(CConfirmDlg::LastText().contains(QString::fromLocal8Bit(std::strerror(ENOTDIR))));
        QCOMPARE(s.AutoCloseList, QStringList {u"a"_qs});
    }
};

QTEST_MAIN(TestSettings)
#include "tst_csettings.moc"
