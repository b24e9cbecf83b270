#include "CConfirmDlg.h"
#include "CEngineStore.h"
#include "CInternetOptionsDlg.h"
#include "CRegistry.h"
#include "CStringIds.h"
#include "CStringTable.h"
#include "CTypedUrlList.h"
#include "CWebEngine.h"
#include "EngineTestUtil.h"

#include <QLineEdit>
#include <QNetworkCookie>
#include <QPushButton>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>
#include <QtTest>

// The engine's settings dialog against the real profile and engine store.
class TestCInternetOptionsDlg : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        RegDeleteKey(ERegRoot::Engine, EngineStore::kMainKey);
        RegDeleteKey(ERegRoot::Engine, EngineStore::kTypedUrlsKey);
        CConfirmDlg::ClearNextAnswers();
    }
    void cleanup()
    {
        const bool bLeft
            = CConfirmDlg::HasPendingAnswers() || CInternetOptionsDlg::HasPendingScripts();
        CConfirmDlg::ClearNextAnswers();
        CInternetOptionsDlg::ClearNextScripts();
        QVERIFY2(!bLeft, "an answer was not used");
    }

    void okSavesWhatChanged()
    {
        QVERIFY(EngineStore::WriteStartPage(u"http://home.example/"_qs));
        CInternetOptionsDlg::SetNextScript([](CInternetOptionsDlg &dlg) {
            QCOMPARE(dlg.HomePageEdit()->text(), u"http://home.example/"_qs);
            QCOMPARE(dlg.SearchPageEdit()->text(), EngineStore::kDefaultSearchPage);
            dlg.UseBlankButton()->click();
            dlg.OkButton()->click();
        });
        QCOMPARE(ShowInternetOptions(nullptr, u"http://current.example/"_qs),
                 int(QDialog::Accepted));
        QCOMPARE(EngineStore::ReadStartPage(), u"about:blank"_qs);
        // The search page was left alone, so the store still names none.
        QString stored;
        QCOMPARE(RegReadString(ERegRoot::Engine, EngineStore::kMainKey,
                               EngineStore::kSearchPageValue, stored),
                 0);

        CInternetOptionsDlg::SetNextScript([](CInternetOptionsDlg &dlg) {
            dlg.UseCurrentButton()->click();
            dlg.SearchPageEdit()->setText(u"  http://search.example/  "_qs);
            dlg.OkButton()->click();
        });
        ShowInternetOptions(nullptr, u"http://current.example/"_qs);
        QCOMPARE(EngineStore::ReadStartPage(), u"http://current.example/"_qs);
        QCOMPARE(EngineStore::ReadSearchPage(), u"http://search.example/"_qs);
    }

    void cancelSavesNothing()
    {
        CInternetOptionsDlg::SetNextScript([](CInternetOptionsDlg &dlg) {
            dlg.HomePageEdit()->setText(u"http://typed.example/"_qs);
        });
        QCOMPARE(ShowInternetOptions(nullptr), int(QDialog::Rejected));
        QCOMPARE(EngineStore::ReadStartPage(), QString());
    }

    void deleteCookiesAfterTheQuestion()
    {
        // The store works once a page of the profile has started the engine's network side.
        CWebEngine engine;
        engine.Navigate2(u"about:blank"_qs);
        QWebEngineCookieStore *cookies = CWebEngine::Profile()->cookieStore();
        QSignalSpy added(cookies, &QWebEngineCookieStore::cookieAdded);
        QSignalSpy removed(cookies, &QWebEngineCookieStore::cookieRemoved);
        QNetworkCookie cookie("session", "42");
        cookies->setCookie(cookie, QUrl(u"http://127.0.0.1/"_qs));
        QVERIFY(added.wait());

        QString status;
        CInternetOptionsDlg::SetNextScript([&](CInternetOptionsDlg &dlg) {
            CConfirmDlg::SetNextAnswer(IDNO);
            dlg.DeleteCookiesButton()->click();
            status = dlg.StatusText();
        });
        ShowInternetOptions(nullptr);
        QCOMPARE(CConfirmDlg::LastText(), LoadString(IDS_CONFIRM_DELETE_COOKIES));
        QVERIFY(status.isEmpty());

        CInternetOptionsDlg::SetNextScript([&](CInternetOptionsDlg &dlg) {
            CConfirmDlg::SetNextAnswer(IDYES);
            dlg.DeleteCookiesButton()->click();
            status = dlg.StatusText();
        });
        ShowInternetOptions(nullptr);
        QVERIFY(!status.isEmpty());
        QVERIFY(removed.wait());
        QCOMPARE(removed.first().first().value<QNetworkCookie>().name(), QByteArray("session"));
        QCOMPARE(removed.size(), added.size());
    }

    void clearHistoryTakesTheTypedAddresses()
    {
        QCOMPARE(SaveTypedUrls({u"http://a.example/"_qs, u"http://b.example/"_qs}), 0);
        CInternetOptionsDlg::SetNextScript([](CInternetOptionsDlg &dlg) {
            CConfirmDlg::SetNextAnswer(IDNO);
            dlg.ClearHistoryButton()->click();
        });
        ShowInternetOptions(nullptr);
        QStringList urls;
        QCOMPARE(LoadTypedUrls(urls), 2);

        CInternetOptionsDlg::SetNextScript([](CInternetOptionsDlg &dlg) {
            CConfirmDlg::SetNextAnswer(IDYES);
            dlg.ClearHistoryButton()->click();
        });
        ShowInternetOptions(nullptr);
        urls.clear();
        QCOMPARE(LoadTypedUrls(urls), 0);
    }
};

QUILLBROW_ENGINE_TEST_MAIN(TestCInternetOptionsDlg)
#include "tst_cinternetoptionsdlg.moc"
