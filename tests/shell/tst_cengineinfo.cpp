#include "CEngineInfo.h"
#include "CEngineStore.h"
#include "CProgramData.h"
#include "CRegistry.h"

#include <QVersionNumber>
#include <QtTest>
#include <QtWebEngineCore/qtwebenginecoreglobal.h>
#include <QtWebEngineCore/qtwebenginecoreversion.h>

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

    void supportedWebEngine_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("supported");
        const QVersionNumber built
            = QVersionNumber::fromString(QLatin1String(QTWEBENGINECORE_VERSION_STR));
        const int major = built.majorVersion();
        const int minor = built.minorVersion();
        QTest::newRow("the one built against")
            << QString::fromLatin1(QTWEBENGINECORE_VERSION_STR) << true;
        QTest::newRow("its first release") << u"%1.%2.0"_qs.arg(major).arg(minor) << true;
        QTest::newRow("major.minor only") << u"%1.%2"_qs.arg(major).arg(minor) << true;
        QTest::newRow("next minor") << u"%1.%2.0"_qs.arg(major).arg(minor + 1) << true;
        QTest::newRow("next major") << u"%1.0.0"_qs.arg(major + 1) << true;
        QTest::newRow("a pre-release of the next")
            << u"%1.%2.0-beta1"_qs.arg(major).arg(minor + 1) << true;
        QTest::newRow("minor before") << u"%1.%2.9"_qs.arg(major).arg(minor - 1) << false;
        QTest::newRow("major before") << u"%1.99.0"_qs.arg(major - 1) << false;
        QTest::newRow("Chromium's number is not it") << u"5.50.4134.0600"_qs << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("not a version") << u"six"_qs << false;
        QTest::newRow("garbage after the number")
            << u"%1.%2x"_qs.arg(major).arg(minor + 1) << false;
    }
    void supportedWebEngine()
    {
        QFETCH(QString, version);
        QTEST(CEngineInfo::IsSupportedWebEngine(version), "supported");
    }

    void requiredVersionIsTheOneBuiltAgainst()
    {
        const QVersionNumber built
            = QVersionNumber::fromString(QLatin1String(QTWEBENGINECORE_VERSION_STR));
        QCOMPARE(CEngineInfo::RequiredWebEngineVersion(),
                 u"%1.%2"_qs.arg(built.majorVersion()).arg(built.minorVersion()));
        // The library this test runs on passes, as it must for the program to start.
        QVERIFY(CEngineInfo::IsSupportedWebEngine(CEngineInfo::ReadWebEngineVersion()));
        CEngineInfo::SetWebEngineVersionOverride(u"1.0"_qs);
        QCOMPARE(CEngineInfo::ReadWebEngineVersion(), u"1.0"_qs);
        CEngineInfo::ClearVersionOverride();
        QCOMPARE(CEngineInfo::ReadWebEngineVersion(), QString::fromLatin1(qWebEngineVersion()));
    }

    // A fresh profile starts on the guide's welcome page, until a start page is stored.
    void startPageOfAFreshProfile()
    {
        const QString welcome = CEngineInfo::DefaultStartPage();
        QCOMPARE(QUrl(welcome).toLocalFile(), ProgramDataPath(u"quillbrow-guide/welcome.html"_qs));
        CEngineInfo info;
        info.LoadEngineInfo();
        QCOMPARE(info.m_strStartPage, welcome);
        QVERIFY(EngineStore::WriteStartPage(u"http://mine/"_qs));
        info.LoadEngineInfo();
        QCOMPARE(info.m_strStartPage, u"http://mine/"_qs);
        CEngineInfo again;
        again.LoadEngineInfo();
        QCOMPARE(again.m_strStartPage, u"http://mine/"_qs);
    }

    void loadEngineInfo()
    {
        QVERIFY(EngineStore::WriteStartPage(u"http://start/"_qs));
        CEngineInfo info;
        info.LoadEngineInfo();
        QCOMPARE(info.m_strStartPage, u"http://start/"_qs);
        QVERIFY(info.m_nMajor > 0);

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
