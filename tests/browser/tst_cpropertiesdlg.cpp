#include "CPropertiesDlg.h"
#include "CTestServer.h"

#include <QDateTime>
#include <QLocale>
#include <QSignalSpy>
#include <QtTest>

// What the Properties dialog makes of the dates and answers servers give.
class TestCPropertiesDlg : public QObject
{
    Q_OBJECT

    CTestServer m_server;

    static QString Shown(const QString &address, const QString &field)
    {
        CPropertiesDlg dlg(u"Title"_qs, address);
        QSignalSpy completed(&dlg, &CPropertiesDlg::completed);
        if (!dlg.IsComplete() && !completed.wait(CPropertiesDlg::kTimeoutMs + 5000))
            return u"(no answer)"_qs;
        return dlg.Field(field);
    }
    static QString DateText(int y, int mo, int d, int h, int mi, int s)
    {
        const QDateTime when(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
        return QLocale().toString(when.toLocalTime(), QLocale::LongFormat);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.Start());
        CTestServer::Response page;
        page.contentType = "text/plain";
        page.body = "hello";
        page.headers = {{"Last-Modified", "Sun, 06 Nov 1994 08:49:37 GMT"},
                        {"Expires", "Sunday, 06-Nov-94 08:49:37 GMT"},
                        {"Date", "Sun Nov  6 08:49:37 1994"}};
        m_server.Route(u"/page"_qs, page);
        page.headers = {{"Last-Modified", "yesterday"}};
        m_server.Route(u"/odd"_qs, page);
    }

    void whatTheServerSaid_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("shown");
        const QString date = DateText(1994, 11, 6, 8, 49, 37);
        QTest::newRow("date of today's form") << u"/page"_qs << u"Modified"_qs << date;
        QTest::newRow("date of the old form") << u"/page"_qs << u"Expires"_qs << date;
        QTest::newRow("date of C's form") << u"/page"_qs << u"Server date"_qs << date;
        QTest::newRow("date of no form") << u"/odd"_qs << u"Modified"_qs << u"yesterday"_qs;
        QTest::newRow("date not given") << u"/odd"_qs << u"Expires"_qs << u"Not available"_qs;
        QTest::newRow("missing page") << u"/missing"_qs << u"Type"_qs << u"Not available"_qs;
    }

    void whatTheServerSaid()
    {
        QFETCH(QString, path);
        QFETCH(QString, field);
        QFETCH(QString, shown);
        QCOMPARE(Shown(m_server.Url(path).toString(), field), shown);
    }
};

QTEST_MAIN(TestCPropertiesDlg)
#include "tst_cpropertiesdlg.moc"
