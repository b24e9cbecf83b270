#include "CConfirmDlg.h"
#include "CQuillbrowView.h"
#include "CTestServer.h"
#include "CUserSession.h"
#include "CWebPage.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

// What a site may not do without the user: be shown over a certificate that cannot be
// trusted, or use the camera, the microphone, the location, notifications.
class TestE2ESecurity : public QObject
{
    Q_OBJECT

    CTestServer m_server;
    CTestServer m_tls;
    std::unique_ptr<CUserSession> m_user;

    QString Url(const QString &path) const { return m_server.Url(path).toString(); }
    QString Site() const { return Url(QString()); }

    static QWidget *Notice(CQuillbrowView *view)
    {
        auto *notice = view->findChild<QWidget *>(u"CertificateNotice"_qs);
        return notice && notice->isVisible() ? notice : nullptr;
    }

    static QString NoticeText(CQuillbrowView *view)
    {
        QStringList texts;
        if (QWidget *notice = Notice(view)) {
            for (const QLabel *label : notice->findChildren<QLabel *>())
                texts << label->text();
        }
        return texts.join(u'\n');
    }

    QString Title() const { return m_user->ActiveWindow()->GetLocationName(); }

    // Clicks the page's button and waits for the title the page then sets.
    bool Ask(const QString &button, const QString &title)
    {
        return m_user->ClickInPage(button)
            && m_user->WaitFor([&] { return Title() == title; }, 15000);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.Start());
        QVERIFY2(m_tls.StartTls(), "openssl is needed to make the test's certificate");
        m_server.RoutePage(u"/start"_qs, u"Start"_qs);
        m_tls.RoutePage(u"/secret"_qs, u"Secret"_qs);
        m_server.RoutePage(
            u"/asks"_qs, u"Asks"_qs,
            u"<button id=notify onclick='Notification.requestPermission().then("
            "p => document.title = p)'>Notify</button>"
            // Allowed, a position or its absence (no fix on a test machine, or none in
            // time) both say so; only a refusal says "where 1".
            "<button id=where onclick='navigator.geolocation.getCurrentPosition("
            "p => document.title = \"allowed\", e => document.title = e.code == 1 ? "
            "\"where 1\" : \"allowed\", {timeout: 2000})'>"
            "Where</button>"
            "<button id=reset onclick='document.title = \"Asks\"'>Reset</button>"_qs);
    }

    void init()
    {
        CUserSession::WriteStoredSettings({});
        CWebPage::ForgetPermissions();
        m_user = CUserSession::StartAt(Url(u"/start"_qs));
        QVERIFY(m_user);
    }

    void cleanup()
    {
        m_user.reset();
        QVERIFY(CUserSession::NoAnswersLeft());
    }

    void badCertificateIsRefusedAndTheUserGoesBack()
    {
        const QString secret = m_tls.Url(u"/secret"_qs).toString();
        m_user->TypeAddress(secret);
        CQuillbrowView *view = m_user->ActiveWindow();
        QVERIFY(m_user->WaitFor([&] { return Notice(view) != nullptr; }));
        const QString text = NoticeText(view);
        QVERIFY2(text.contains(u"refused"_qs), qPrintable(text));
        QVERIFY2(text.contains(u"self-signed"_qs), qPrintable(text));
        QVERIFY2(text.contains(secret), qPrintable(text));
        // Nothing of the page was asked for, let alone shown.
        QCOMPARE(m_tls.RequestCount(u"/secret"_qs), 0);
        QVERIFY(!view->Engine()->Widget()->isVisible());
        QVERIFY(Title() != u"Secret"_qs);

        auto *back = Notice(view)->findChild<QPushButton *>();
        QVERIFY(back);
        QVERIFY(m_user->WaitFor([&] { return back->isEnabled(); }));
        QVERIFY(m_user->Click(back));
        QVERIFY(m_user->WaitForPage(Url(u"/start"_qs)));
        QVERIFY(Notice(view) == nullptr);
        QVERIFY(view->Engine()->Widget()->isVisible());

        // Every time: a refusal is not remembered as an exception.
        m_user->TypeAddress(secret);
        QVERIFY(m_user->WaitFor([&] { return Notice(view) != nullptr; }));
        QCOMPARE(m_tls.RequestCount(u"/secret"_qs), 0);
    }

    void badCertificateInAFreshWindowHasNoWayBack()
    {
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"New"_qs, u"Blank"_qs}));
        QVERIFY(m_user->WaitFor([&] { return m_user->Windows().size() == 2; }));
        m_user->TypeAddress(m_tls.Url(u"/secret"_qs).toString());
        CQuillbrowView *view = m_user->ActiveWindow();
        QVERIFY(m_user->WaitFor([&] { return Notice(view) != nullptr; }));
        QVERIFY(!Notice(view)->findChild<QPushButton *>()->isEnabled());
        // A good page afterwards shows as ever.
        QVERIFY(m_user->Visit(Url(u"/start"_qs)));
        QVERIFY(Notice(view) == nullptr);
    }

    void noIsTheDefaultAndIsRemembered()
    {
        QVERIFY(m_user->Visit(Url(u"/asks"_qs)));
        CConfirmDlg::SetNextAnswer(IDNO);
        QVERIFY(Ask(u"#notify"_qs, u"denied"_qs));
        QCOMPARE(CConfirmDlg::LastText(),
                 u"%1 wants to show you notifications. Allow?"_qs.arg(Site()));
        QCOMPARE(CConfirmDlg::LastCaption(), Url(u"/asks"_qs));

        // Asked again, in another window of the same site: the answer stands.
        CConfirmDlg::SetNextAnswer(IDYES);
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"New"_qs, u"Blank"_qs}));
        QVERIFY(m_user->Visit(Url(u"/asks"_qs)));
        QVERIFY(Ask(u"#notify"_qs, u"denied"_qs));
        QVERIFY(CConfirmDlg::HasPendingAnswers());
        CConfirmDlg::ClearNextAnswers();
    }

    void eachFeatureIsAskedForOnItsOwn()
    {
        QVERIFY(m_user->Visit(Url(u"/asks"_qs)));
        CConfirmDlg::SetNextAnswer(IDYES);
        QVERIFY(Ask(u"#where"_qs, u"allowed"_qs));
        QCOMPARE(CConfirmDlg::LastText(), u"%1 wants to know your location. Allow?"_qs.arg(Site()));
        QVERIFY(Ask(u"#reset"_qs, u"Asks"_qs));
        QVERIFY(Ask(u"#where"_qs, u"allowed"_qs));

        CConfirmDlg::SetNextAnswer(IDNO);
        QVERIFY(Ask(u"#notify"_qs, u"denied"_qs));
        QCOMPARE(CConfirmDlg::LastText(),
                 u"%1 wants to show you notifications. Allow?"_qs.arg(Site()));
    }

    void backgroundWindowIsRefusedWithoutAQuestion()
    {
        QVERIFY(m_user->Visit(Url(u"/asks"_qs)));
        CQuillbrowView *asker = m_user->ActiveWindow();
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"New"_qs, u"Blank"_qs}));
        QVERIFY(m_user->WaitFor([&] { return m_user->ActiveWindow() != asker; }));
        CUserSession::RunInPage(asker,
                                u"navigator.geolocation.getCurrentPosition("
                                "p => document.title = 'here', e => document.title = 'where ' + "
                                "e.code); 0"_qs);
        QVERIFY(m_user->WaitFor([&] { return asker->GetLocationName() == u"where 1"_qs; }));

        // Not remembered: once the user is there, the site may ask.
        m_user->ClickTab(0);
        QVERIFY(m_user->WaitFor([&] { return m_user->ActiveWindow() == asker; }));
        CConfirmDlg::SetNextAnswer(IDYES);
        QVERIFY(Ask(u"#where"_qs, u"allowed"_qs));
        QVERIFY(!CConfirmDlg::HasPendingAnswers());
    }
};

QUILLBROW_E2E_TEST_MAIN(TestE2ESecurity)
#include "tst_e2e_security.moc"
