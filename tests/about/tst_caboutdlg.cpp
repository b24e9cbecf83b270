#include "CAboutDlg.h"
#include "CEngineInfo.h"
#include "CHyperLink.h"
#include "CStringIds.h"
#include "CStringTable.h"

#include <QLabel>
#include <QtTest>
#include <QtWebEngineCore/qtwebenginecoreglobal.h>

// What the About dialog shows: the name and version in bold, the two links, and the
// engine's versions.
class TestCAboutDlg : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { CEngineInfo::ClearVersionOverride(); }

    void titleAndVersion()
    {
        CAboutDlg dlg;
        QCOMPARE(dlg.windowTitle(), u"About Quillbrow"_qs);
        QCOMPARE(dlg.TitleLabel()->text(), u"Quillbrow "_qs + LoadString(IDS_VERSION));
        QCOMPARE(dlg.TitleLabel()->text(), u"Quillbrow 1.01c"_qs);
        QVERIFY(dlg.TitleLabel()->font().weight() >= QFont::ExtraBold);
        // Only the title is bold.
        QCOMPARE(dlg.EngineLabel()->font().weight(), dlg.font().weight());
    }

    void engineLabel_data()
    {
        QTest::addColumn<QString>("qtVersion");
        QTest::addColumn<QString>("chromium");
        QTest::addColumn<QString>("label");
        QTest::newRow("both known") << u"6.4.2"_qs << u"6.0.2600.0000"_qs
                                    << u"Qt WebEngine 6.4.2, Chromium 6.0.2600.0000"_qs;
        QTest::newRow("no Chromium version: the template stays")
            << u"6.5.1"_qs << QString() << u"Qt WebEngine 6.5.1"_qs;
    }
    void engineLabel()
    {
        QFETCH(QString, qtVersion);
        QFETCH(QString, chromium);
        CEngineInfo::SetWebEngineVersionOverride(qtVersion);
        CEngineInfo::SetVersionOverride(chromium);
        CAboutDlg dlg;
        QTEST(dlg.EngineLabel()->text(), "label");
    }

    void theRealEngine()
    {
        CAboutDlg dlg;
        QString chromium;
        QVERIFY(CEngineInfo::ReadEngineVersion(chromium) > 0);
        QCOMPARE(
            dlg.EngineLabel()->text(),
            u"Qt WebEngine %1, Chromium %2"_qs.arg(QLatin1String(qWebEngineVersion()), chromium));
    }

    void links()
    {
        CAboutDlg dlg;
        const QString email = LoadString(IDS_EMAIL_ADDRESS);
        QCOMPARE(dlg.MailLink()->text(), email);
        QCOMPARE(dlg.MailLink()->Target(), u"mailto:"_qs + email);
        QCOMPARE(dlg.MailLink()->toolTip(), u"E-mail to author"_qs);
        QCOMPARE(dlg.WebLink()->text(), LoadString(IDS_WEB_SITE_ADDRESS));
        QCOMPARE(dlg.WebLink()->Target(), LoadString(IDS_WEB_SITE_ADDRESS));
        QCOMPARE(dlg.WebLink()->toolTip(), u"Visit web site"_qs);

        // Laid out and shown, each link is still only as wide as its text.
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        for (CHyperLink *link : {dlg.MailLink(), dlg.WebLink()})
            QCOMPARE(link->width(), link->fontMetrics().horizontalAdvance(link->text()));
        QVERIFY(dlg.testAttribute(Qt::WA_AlwaysShowToolTips));
    }
};

QTEST_MAIN(TestCAboutDlg)
#include "tst_caboutdlg.moc"
