#include "CConfirmDlg.h"
#include "CSettings.h"

#include <QDir>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>

#include <cstring>

// The settings record against its store: what a user gets back after a restart,
// also when the store was edited by hand or left unreadable.
class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void defaultsWithoutStore();
    void startPage_data();
    void startPage();
    void outOfRangeValuesKept();
    void roundTripOfEveryField();
    void handWrittenStore_data();
    void handWrittenStore();
    void autoCloseSavedWithoutGaps();
    void unwritableStoreReported();
};

static QString ConfigDir()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + u"/Tarvo"_qs;
}

static QString StorePath()
{
    return ConfigDir() + u"/Quillbrow.conf"_qs;
}

// Every integer field with its name in the store and its default.
static const struct
{
    const char *name;
    int CSettings::*field;
    int nDefault;
} kInts[] = {{"ActivateMode", &CSettings::ActivateMode, 0},
             {"DisplaySplash", &CSettings::DisplaySplash, 1},
             {"CheckDefaultBrowser", &CSettings::CheckDefaultBrowser, 1},
             {"MultipleInstance", &CSettings::MultipleInstance, 0},
             {"ConfirmExitApp", &CSettings::ConfirmExitApp, 1},
             {"ConfirmSynchronize", &CSettings::ConfirmSynchronize, 1},
             {"ConfirmCloseAll", &CSettings::ConfirmCloseAll, 1},
             {"ConfirmCloseAllEx", &CSettings::ConfirmCloseAllEx, 1},
             {"ConfirmUserClose", &CSettings::ConfirmUserClose, 1},
             {"ConfirmClearAddress", &CSettings::ConfirmClearAddress, 1},
             {"ConfirmAddToAutoClose", &CSettings::ConfirmAddToAutoClose, 1},
             {"ActivateNewWindow", &CSettings::ActivateNewWindow, 1},
             {"OpenInNewWindow", &CSettings::OpenInNewWindow, 1},
             {"StartMode", &CSettings::StartMode, 2},
             {"MaximizeChild", &CSettings::MaximizeChild, 0}};

void TestSettings::init()
{
    QVERIFY(QDir(ConfigDir()).removeRecursively());
    QFile::remove(ConfigDir()); // unwritableStoreReported puts a file in the folder's place
    QTest::failOnWarning(QRegularExpression(u".*"_qs));
}

void TestSettings::defaultsWithoutStore()
{
    CSettings s;
    s.Load();
    for (const auto &i : kInts)
        QVERIFY2(s.*i.field == i.nDefault, i.name);
    QCOMPARE(s.BlankPage, u"about:blank"_qs);
    QCOMPARE(s.LastVisited, u"about:blank"_qs);
    QCOMPARE(s.CustomHomepage, u"about:blank"_qs);
    QVERIFY(s.AutoCloseList.isEmpty());
    QCOMPARE(s.GetStartPage(u"http://home.example/"_qs), u"http://home.example/"_qs);
}

void TestSettings::startPage_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("expected");
    QTest::newRow("0") << 0 << u"about:blank"_qs;
    QTest::newRow("1") << 1 << u"http://last.example/"_qs;
    QTest::newRow("2") << 2 << u"http://engine.example/"_qs;
    QTest::newRow("3") << 3 << u"http://custom.example/"_qs;
    QTest::newRow("-1") << -1 << u"about:blank"_qs;
}

void TestSettings::startPage()
{
    QFETCH(int, mode);
    CSettings s;
    s.LastVisited = u"http://last.example/"_qs;
    s.CustomHomepage = u"http://custom.example/"_qs;
    s.StartMode = mode;
    QTEST(s.GetStartPage(u"http://engine.example/"_qs), "expected");
}

void TestSettings::outOfRangeValuesKept()
{
    QSettings(StorePath(), QSettings::IniFormat).setValue(u"Settings/StartMode"_qs, 7);
    QSettings(StorePath(), QSettings::IniFormat).setValue(u"Settings/ActivateMode"_qs, 5);
    CSettings s;
    s.Load();
    QCOMPARE(s.GetStartPage(u"http://engine.example/"_qs), u"about:blank"_qs);
    QVERIFY(QFile::remove(StorePath()));
    s.Save();
    QSettings store(StorePath(), QSettings::IniFormat);
    QCOMPARE(store.value(u"Settings/StartMode"_qs).toInt(), 7);
    QCOMPARE(store.value(u"Settings/ActivateMode"_qs).toInt(), 5);
}

void TestSettings::roundTripOfEveryField()
{
    CSettings out;
    int n = 10; // distinct values catch two fields stored under one name
    for (const auto &i : kInts)
        out.*i.field = n++;
    out.BlankPage = u"http://never-stored.example/"_qs;
    out.LastVisited = u"https://läst.example/a b?x=1, 2;y=\"q\"#f"_qs;
    out.CustomHomepage = u"file:///home/u/start page.html"_qs;
    out.AutoCloseList = QStringList {u"!http://ads.example/*"_qs, u"http://ä.example/?x=1"_qs,
                                     u"*"_qs, u"c:\\pages\\a.html"_qs};
    out.Save();

    CSettings in;
    in.Load();
    for (const auto &i : kInts)
        QVERIFY2(in.*i.field == out.*i.field, i.name);
    QCOMPARE(in.BlankPage, u"about:blank"_qs);
    QCOMPARE(in.LastVisited, out.LastVisited);
    QCOMPARE(in.CustomHomepage, out.CustomHomepage);
    QCOMPARE(in.AutoCloseList, out.AutoCloseList);
    QVERIFY(!QSettings(StorePath(), QSettings::IniFormat).contains(u"Settings/BlankPage"_qs));
}

// Stores another tool, a person or a crash left behind. Each loads what it can and
// the next save leaves a store that loads back what was saved.
void TestSettings::handWrittenStore_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("startMode");
    QTest::addColumn<int>("confirmExitApp");
    QTest::addColumn<QString>("customHomepage");
    QTest::addColumn<QStringList>("autoClose");
    const QString blank = u"about:blank"_qs;
    QTest::newRow("any order, own AutoClose section")
        << QByteArray("[Settings]\nConfirmExitApp=0\nCustomHomepage=http://c.example/\n"
                      "StartMode=3\n\n[Settings\\AutoClose]\nurl2=b\nurl1=a*\n")
        << 3 << 0 << u"http://c.example/"_qs << QStringList {u"a*"_qs, u"b"_qs};
    QTest::newRow("AutoClose gap, trailing NUL")
        << QByteArray("[Settings]\nAutoClose\\url1=a\\0\nAutoClose\\url2=b\nAutoClose\\url4=d\n")
        << 2 << 1 << blank << QStringList {u"a"_qs, u"b"_qs};
    // A list, as an unquoted value with commas reads, is no number; as an address
    // it is the text that was typed.
    const QByteArray wrongTypes("[Settings]\nStartMode=abc\nConfirmExitApp=1, 2\n"
                                "CustomHomepage=a, b\n");
    QTest::newRow("wrong types") << wrongTypes << 2 << 1 << u"a, b"_qs << QStringList();
    QByteArray junk("\x7f"
                    "ELF\x02\x01\x00\xff\xfe[Sett\x00ings]\nStartMode=\x01\"\n[",
                    30);
    for (int i = 0; i < 4096; ++i)
        junk.append(char((i * 151 + 7) & 0xff));
    QTest::newRow("garbage bytes") << junk << 2 << 1 << blank << QStringList();
}

void TestSettings::handWrittenStore()
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
    QTEST(s.ConfirmExitApp, "confirmExitApp");
    QTEST(s.CustomHomepage, "customHomepage");
    QTEST(s.AutoCloseList, "autoClose");

    s.ActivateMode = 1;
    s.AddAutoClose(u"http://ads.example/*"_qs);
    s.Save();
    QSettings store(StorePath(), QSettings::IniFormat);
    const QStringList keys = store.allKeys();
    QCOMPARE(store.status(), QSettings::NoError);
    for (const QString &key : keys)
        QVERIFY2(key.startsWith(u"Settings/"_qs), qPrintable(key));
    CSettings reloaded;
    reloaded.Load();
    QCOMPARE(reloaded.ActivateMode, 1);
    QCOMPARE(reloaded.StartMode, s.StartMode);
    QCOMPARE(reloaded.AutoCloseList, s.AutoCloseList);
}

void TestSettings::autoCloseSavedWithoutGaps()
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

void TestSettings::unwritableStoreReported()
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
    QCOMPARE(CConfirmDlg::LastCaption(), u"Error"_qs);
    QVERIFY(CConfirmDlg::LastText().contains(QString::fromLocal8Bit(std::strerror(ENOTDIR))));
    QCOMPARE(s.AutoCloseList, QStringList {u"a"_qs});
}

QTEST_MAIN(TestSettings)
#include "tst_csettings.moc"
