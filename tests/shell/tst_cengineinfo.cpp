#include "CEngineInfo.h"
#include "CEngineStore.h"
#include "CRegistry.h"

#include <QtTest>

class TestCEngineInfo : public QObject
{
    Q_OBJECT

    QTemporaryDir m_config;

private slots:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    }
    void init()
    {
        QTest::failOnWarning(QRegularExpression(u".*"_qs));
        RegDeleteKey(ERegRoot::Engine, EngineStore::kMainKey);
    }
    void cleanup() { CEngineInfo::ClearVersionOverride(); }

    void parseVersion_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("build");
        QTest::newRow("four fields") << u"5.50.4134.0600"_qs << 5 << 50 << 4134;
        QTest::newRow("three: build unread") << u"4.72.3110"_qs << 4 << 72 << 0;
        QTest::newRow("two fields") << u"10.0"_qs << 10 << 0 << 0;
        QTest::newRow("no dot") << u"6"_qs << 0 << 0 << 0;
        QTest::newRow("dot first") << u".5.1"_qs << 0 << 0 << 0;
        QTest::newRow("trailing letters") << u"12abc.7x.9y.1"_qs << 12 << 7 << 9;
        QTest::newRow("blank and signs") << u" 7.+1.-2.0"_qs << 7 << 1 << -2;
        QTest::newRow("saturates") << u"99999999999.1"_qs << 2147483647 << 0 << 0;
    }
    void parseVersion()
    {
        QFETCH(QString, version);
        CEngineInfo info;
        // Numbers of an earlier parse must not survive a shorter version.
        info.m_nMajor = info.m_nMinor = info.m_nBuild = 99;
        info.ParseVersion(version);
        QTEST(info.m_nMajor, "major");
        QTEST(info.m_nMinor, "minor");
        QTEST(info.m_nBuild, "build");
    }

    void loadEngineInfo()
    {
        QVERIFY(EngineStore::WriteStartPage(u"http://start/"_qs));
        CEngineInfo info;
        info.LoadEngineInfo();
        QCOMPARE(info.m_strStartPage, u"http://start/"_qs);
        // Start-up refuses engines below major version 4; the one we link must pass.
        QVERIFY(info.m_nMajor >= 4);

        // An unreadable version after a readable one leaves no old numbers behind.
        CEngineInfo::SetVersionOverride(QString());
        QString version = u"untouched"_qs;
        QCOMPARE(CEngineInfo::ReadEngineVersion(version), 0);
        QCOMPARE(version, u"untouched"_qs);
        info.LoadEngineInfo();
        QCOMPARE(info.m_nMajor, 0);
    }

    void readStartPage()
    {
        CEngineInfo info;
        info.m_strStartPage = u"old"_qs;
        info.ReadStartPage();
        QCOMPARE(info.m_strStartPage, u"old"_qs); // the store has none
        // Another tool may store the address with a terminator and junk after it.
        QVERIFY(EngineStore::WriteStartPage(u"http://a/"_qs + QChar(0) + u"junk"_qs));
        info.ReadStartPage();
        QCOMPARE(info.m_strStartPage, u"http://a/"_qs);
        QCOMPARE(EngineStore::ReadStartPage(), u"http://a/"_qs);
    }

    void emptySearchPageMeansTheDefault()
    {
        QCOMPARE(EngineStore::ReadSearchPage(), EngineStore::kDefaultSearchPage);
        QVERIFY(EngineStore::WriteSearchPage(QString()));
        QCOMPARE(EngineStore::ReadSearchPage(), EngineStore::kDefaultSearchPage);
    }
};

QTEST_GUILESS_MAIN(TestCEngineInfo)
#include "tst_cengineinfo.moc"
