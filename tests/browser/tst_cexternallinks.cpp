#include "CExternalLinks.h"

#include <QtTest>

// Which addresses leave the engine for another program. A web scheme taken for an
// external one would send pages to the desktop; an external one taken for the web
// would hand it to the engine, which passes it on unasked.
class TestCExternalLinks : public QObject
{
    Q_OBJECT
private slots:
    void whichSchemesLeaveTheEngine_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("external");
        QTest::newRow("mailto") << u"mailto:someone@example.org"_qs << true;
        QTest::newRow("upper case") << u"MAILTO:someone@example.org"_qs << true;
        QTest::newRow("news") << u"news:comp.lang.c++"_qs << true;
        QTest::newRow("irc") << u"irc://irc.example.org/channel"_qs << true;
        QTest::newRow("magnet") << u"magnet:?xt=urn:btih:0123"_qs << true;
        QTest::newRow("tel") << u"tel:+100"_qs << true;
        QTest::newRow("http") << u"http://example.org/"_qs << false;
        QTest::newRow("https upper case") << u"HTTPS://example.org/"_qs << false;
        QTest::newRow("file") << u"file:///tmp/a.html"_qs << false;
        QTest::newRow("data") << u"data:text/html,hi"_qs << false;
        QTest::newRow("about") << u"about:blank"_qs << false;
        QTest::newRow("javascript") << u"javascript:void(0)"_qs << false;
        QTest::newRow("blob") << u"blob:http://example.org/1234"_qs << false;
        QTest::newRow("view-source") << u"view-source:http://example.org/"_qs << false;
        QTest::newRow("engine's own") << u"chrome://gpu"_qs << false;
        QTest::newRow("no scheme") << u"example.org/page"_qs << false;
        QTest::newRow("empty") << QString() << false;
    }
    void whichSchemesLeaveTheEngine()
    {
        QFETCH(QString, address);
        QFETCH(bool, external);
        QCOMPARE(CExternalLinks::IsExternal(QUrl(address)), external);
    }
};

QTEST_GUILESS_MAIN(TestCExternalLinks)
#include "tst_cexternallinks.moc"
