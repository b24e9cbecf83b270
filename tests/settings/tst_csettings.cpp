#include "CConfirmDlg.h"
#include "CSettings.h"

#include <QtTest>

#include <cstring>

static QString ConfigDir()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + u"/Tarvo"_qs;
}

static QString StorePath()
{
    return ConfigDir() + u"/Quillbrow.conf"_qs;
}

// Every integer field of the record.
static int CSettings::*const kInts[]
    = {&CSettings::ActivateMode,          &CSettings::DisplaySplash,
       &CSettings::CheckDefaultBrowser,   &CSettings::MultipleInstance,
       &CSettings::ConfirmExitApp,        &CSettings::ConfirmSynchronize,
       &CSettings::ConfirmCloseAll,       &CSettings::ConfirmCloseAllEx,
       &CSettings::ConfirmUserClose,      &CSettings::ConfirmClearAddress,
       &CSettings::ConfirmAddToAutoClose, &CSettings::ActivateNewWindow,
       &CSettings::OpenInNewWindow,       &CSettings::StartMode,
       &CSettings::MaximizeChild};

// The settings record against its store: what a user gets back after a restart,
// also when the store was edited by hand or left unreadable.
class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(QDir(ConfigDir()).removeRecursively());
        QFile::remove(ConfigDir()); // unwritableStoreReported puts a file in the folder's place
        QTest::failOnWarning(QRegularExpression(u".*"_qs));
    }

    void startPageByStartMode()
    {
        CSettings s;
        s.LastVisited = u"http://last.example/"_qs;
        s.CustomHomepage = u"http://custom.example/"_qs;
        const QStringList expected {u"about:blank"_qs, s.LastVisited, u"http://engine.example/"_qs,
                                    s.CustomHomepage, u"about:blank"_qs};
        for (int mode = 0; mode < expected.size(); ++mode) {
            s.StartMode = mode;
            QCOMPARE(s.GetStartPage(u"http://engine.example/"_qs), expected[mode]);
        }
    }

    void roundTripOfEveryField()
    {
        CSettings out;
        int n = 10; // distinct values catch two fields stored under one name
        for (const auto field : kInts)
            out.*field = n++;
        out.LastVisited = u"https://läst.example/a b?x=1, 2;y=\"q\"#f"_qs;
        out.CustomHomepage = u"file:///home/u/start page.html"_qs;
        out.AutoCloseList = QStringList {u"!http://ads.example/*"_qs, u"http://ä.example/?x=1"_qs,
                                         u"*"_qs, u"c:\\pages\\a.html"_qs};
        out.Save();

        CSettings in;
        in.Load();
        for (const auto field : kInts)
            QCOMPARE(in.*field, out.*field); // the value tells the field

        QCOMPARE(in.LastVisited, out.LastVisited);
        QCOMPARE(in.CustomHomepage, out.CustomHomepage);
        QCOMPARE(in.AutoCloseList, out.AutoCloseList);
    }

    // Stores another tool, a person or a crash left behind. Each loads what it can and
    // the next save leaves a store that loads back what was saved.
    void handWrittenStore_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("startMode");
        QTest::addColumn<int>("activateMode");
        QTest::addColumn<QString>("customHomepage");
        QTest::addColumn<QStringList>("autoClose");
        const QString blank = u"about:blank"_qs;
        QTest::newRow("any order, own AutoClose section")
            << QByteArray("[Settings]\nActivateMode=1\nCustomHomepage=http://c.example/\n"
                          "StartMode=3\n\n[Settings\\AutoClose]\nurl2=b\nurl1=a*\n")
            << 3 << 1 << u"http://c.example/"_qs << QStringList {u"a*"_qs, u"b"_qs};
        QTest::newRow("values this version does not know")
            << QByteArray("[Settings]\nStartMode=7\nActivateMode=5\n") << 7 << 5 << blank
            << QStringList();
        QTest::newRow("AutoClose gap, trailing NUL")
            << QByteArray(
                   "[Settings]\nAutoClose\\url1=a\\0\nAutoClose\\url2=b\nAutoClose\\url4=d\n")
            << 2 << 0 << blank << QStringList {u"a"_qs, u"b"_qs};
        // Beyond 32 bits or a list (as an unquoted value with commas reads) is no number;
        // as an address a list is the text that was typed.
        QTest::newRow("wrong types")
            << QByteArray("[Settings]\nStartMode=2147483648\nActivateMode=1, 2\n"
                          "CustomHomepage=a, b\n")
            << 2 << 0 << u"a, b"_qs << QStringList();
        QByteArray junk("\x7f"
                        "ELF\x02\x01\x00\xff\xfe[Sett\x00ings]\nStartMode=\x01\"\n[",
                        30);
        for (int i = 0; i < 4096; ++i)
            junk.append(char((i * 151 + 7) & 0xff));
        QTest::newRow("garbage bytes") << junk << 2 << 0 << blank << QStringList();
    }
    void handWrittenStore()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(QDir().mkpath(ConfigDir()));
        QFile file(StorePath());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();

        CSettings s;
        s.MaximizeChild = 1; // stored nowhere: the field keeps its value
        s.AutoCloseList = QStringList {u"stale"_qs};
        s.Load();
        QCOMPARE(s.MaximizeChild, 1);
        QTEST(s.StartMode, "startMode");
        QTEST(s.ActivateMode, "activateMode");
        QTEST(s.CustomHomepage, "customHomepage");
        QTEST(s.AutoCloseList, "autoClose");

        s.AddAutoClose(u"http://ads.example/*"_qs);
        s.Save();
        QSettings store(StorePath(), QSettings::IniFormat);
        QCOMPARE(store.status(), QSettings::NoError);
        for (const QString &key : store.allKeys())
            QVERIFY2(key.startsWith(u"Settings/"_qs), qPrintable(key));
        CSettings reloaded;
        reloaded.Load();
        for (const auto field : kInts)
            QCOMPARE(reloaded.*field, s.*field);
        QCOMPARE(reloaded.AutoCloseList, s.AutoCloseList);
    }

    void autoCloseSavedWithoutGaps()
    {
        CSettings s;
        s.AutoCloseList = QStringList {u"a"_qs, QString(), u"c*"_qs};
        s.Save();
        QSettings store(StorePath(), QSettings::IniFormat);
        store.beginGroup(u"Settings/AutoClose"_qs);
        QCOMPARE(store.childKeys(), (QStringList {u"url1"_qs, u"url2"_qs}));
        QCOMPARE(store.value(u"url2"_qs).toString(), u"c*"_qs);

        s.AutoCloseList.clear();
        s.Save();
        store.sync();
        QVERIFY(store.childKeys().isEmpty());
        store.endGroup();
        QVERIFY(store.contains(u"Settings/StartMode"_qs));
    }

    void unwritableStoreReported()
    {
        // A file in the place of the store's folder stops even root from writing.
        QVERIFY(QDir().mkpath(QFileInfo(ConfigDir()).path()));
        QFile blocker(ConfigDir());
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
