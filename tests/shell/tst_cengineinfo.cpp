#include "CEngineInfo.h"
#include "CEngineStore.h"
#include "CRegistry.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <QtWebEngineCore/qtwebenginecoreglobal.h>

class TestCEngineInfo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup() { CEngineInfo::ClearVersionOverride(); }

    void parseVersion_data();
    void parseVersion();
    void loadEngineInfo();
    void readStartPage_data();
    void readStartPage();
    void searchPage();

private:
    QTemporaryDir m_config;
};

void TestCEngineInfo::initTestCase()
{
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
}

void TestCEngineInfo::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    RegDeleteKey(ERegRoot::Engine, EngineStore::kMainKey);
}

void TestCEngineInfo::parseVersion_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("build");

    QTest::newRow("four fields") << QStringLiteral("5.50.4134.0600") << 5 << 50 << 4134;
    QTest::newRow("three: build unread") << QStringLiteral("4.72.3110") << 4 << 72 << 0;
    QTest::newRow("no dot") << QStringLiteral("6") << 0 << 0 << 0;
    QTest::newRow("leading zeros") << QStringLiteral("5.00.2919.6307") << 5 << 0 << 2919;
    QTest::newRow("short fourth") << QStringLiteral("4.71.1712.6") << 4 << 71 << 1712;
    QTest::newRow("two fields") << QStringLiteral("10.0") << 10 << 0 << 0;
    QTest::newRow("dot first") << QStringLiteral(".5.1") << 0 << 0 << 0;
    QTest::newRow("trailing letters") << QStringLiteral("12abc.7x.9y.1") << 12 << 7 << 9;
    QTest::newRow("blank and signs") << QStringLiteral(" 7.+1.-2.0") << 7 << 1 << -2;
    QTest::newRow("saturates") << QStringLiteral("99999999999.1") << 2147483647 << 0 << 0;
}

void TestCEngineInfo::parseVersion()
{
    QFETCH(QString, version);
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, build);
    CEngineInfo info;
    // Numbers of an earlier parse must not survive a shorter version.
    info.m_nMajor = info.m_nMinor = info.m_nBuild = 99;
    info.ParseVersion(version);
    QCOMPARE(info.m_nMajor, major);
    QCOMPARE(info.m_nMinor, minor);
    QCOMPARE(info.m_nBuild, build);
}

void TestCEngineInfo::loadEngineInfo()
{
    QVERIFY(EngineStore::WriteStartPage(QStringLiteral("http://start/")));
    CEngineInfo info;
    info.LoadEngineInfo();
    QCOMPARE(info.m_strStartPage, QStringLiteral("http://start/"));
    // Start-up refuses engines below major version 4; the one we link must pass.
    QVERIFY(info.m_nMajor >= 4);
    QString version;
    QCOMPARE(CEngineInfo::ReadEngineVersion(version), qstrlen(qWebEngineChromiumVersion()));

    CEngineInfo::SetVersionOverride(QStringLiteral("3.0.1.2"));
    info.LoadEngineInfo();
    QCOMPARE(info.m_nMajor, 3);
    QCOMPARE(info.m_nBuild, 1);

    CEngineInfo::SetVersionOverride(QString());
    version = QStringLiteral("untouched");
    QCOMPARE(CEngineInfo::ReadEngineVersion(version), 0);
    QCOMPARE(version, QStringLiteral("untouched"));
    info.LoadEngineInfo();
    QCOMPARE(info.m_nMajor, 0);
    QCOMPARE(info.m_nBuild, 0);
}

void TestCEngineInfo::readStartPage_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected");

    const QString a = QStringLiteral("http://a/");
    QTest::newRow("missing keeps the old page") << QString() << QStringLiteral("old");
    QTest::newRow("terminator") << a + QChar(0) << a;
    QTest::newRow("cut at the first NUL") << a + QChar(0) + QStringLiteral("junk") << a;
}

void TestCEngineInfo::readStartPage()
{
    QFETCH(QString, stored);
    QFETCH(QString, expected);
    if (!stored.isNull())
        QVERIFY(EngineStore::WriteStartPage(stored));
    CEngineInfo info;
    info.m_strStartPage = QStringLiteral("old");
    info.ReadStartPage();
    QCOMPARE(info.m_strStartPage, expected);
    QCOMPARE(EngineStore::ReadStartPage(), stored.isNull() ? QString() : expected);
}

void TestCEngineInfo::searchPage()
{
    QCOMPARE(EngineStore::ReadSearchPage(), EngineStore::kDefaultSearchPage);
    QVERIFY(EngineStore::WriteSearchPage(QStringLiteral("http://search/")));
    QCOMPARE(EngineStore::ReadSearchPage(), QStringLiteral("http://search/"));
    QVERIFY(EngineStore::WriteSearchPage(QString()));
    QCOMPARE(EngineStore::ReadSearchPage(), EngineStore::kDefaultSearchPage);
}

QTEST_GUILESS_MAIN(TestCEngineInfo)
#include "tst_cengineinfo.moc"
