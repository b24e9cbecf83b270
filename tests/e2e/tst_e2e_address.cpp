#include "CConfirmDlg.h"
#include "CQuillbrowView.h"
#include "CTestServer.h"
#include "CUserSession.h"
#include "EngineTestUtil.h"

#include <QComboBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QtTest>

// The address bar, the captions and the status bar as a user sees them.
class TestE2EAddress : public QObject
{
    Q_OBJECT

    CTestServer m_server;
    std::unique_ptr<CUserSession> m_user;

    QString Url(const QString &path) const { return m_server.Url(path).toString(); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.Start());
        m_server.RoutePage(u"/one"_qs, u"Page one"_qs,
                           u"<p style='margin:40px'><a id=link href='/two'>to page two</a></p>"
                           "<p style='height:400px'>space</p>"_qs);
        m_server.RoutePage(u"/two"_qs, u"Page two"_qs);
        CTestServer::Response untitled;
        untitled.body = "<html><body>" + QByteArray(8192, 'x');
        untitled.bHold = true;
        m_server.Route(u"/untitled"_qs, untitled);
    }

    void init()
    {
        m_user = CUserSession::StartAt(Url(u"/one"_qs));
        QVERIFY(m_user);
    }

    void cleanup()
    {
        m_server.Release();
        m_user.reset();
        QVERIFY(CUserSession::NoAnswersLeft());
    }

    void altDFromThePageSelectsTheAddress()
    {
        QWidget *page = m_user->FocusWidget();
        QVERIFY(page);
        QVERIFY(!qobject_cast<QLineEdit *>(page));
        m_user->PressKey(Qt::Key_D, Qt::AltModifier);
        auto *combo = qobject_cast<QComboBox *>(m_user->FocusWidget());
        QVERIFY(combo);
        QLineEdit *edit = combo->lineEdit();
        QCOMPARE(edit->text(), Url(u"/one"_qs));
        QCOMPARE(edit->selectedText(), edit->text());
    }

    void typedAddressLoadsAndComesFirst()
    {
        m_user->TypeAddress(u"  "_qs + Url(u"/two"_qs) + u" "_qs);
        QVERIFY(m_user->WaitForPage(Url(u"/two"_qs)));
        QCOMPARE(m_user->Caption(), u"Quillbrow - Page two"_qs);
        QCOMPARE(m_user->Tabs(), QStringList {u"Page two"_qs});
        QCOMPARE(m_user->TypedAddressList().value(0), Url(u"/two"_qs));

        // Typed again, it stays listed once.
        QVERIFY(m_user->Visit(Url(u"/one"_qs)));
        QVERIFY(m_user->Visit(Url(u"/two"_qs)));
        QCOMPARE(m_user->TypedAddressList(), QStringList({Url(u"/two"_qs), Url(u"/one"_qs)}));
    }

    void leavingALinkShowsReady()
    {
        CQuillbrowView *view = m_user->ActiveWindow();
        const QJsonObject rect
            = QJsonDocument::fromJson(
                  CUserSession::RunInPage(view,
                                          u"JSON.stringify(document.getElementById('link')"
                                          ".getBoundingClientRect())"_qs)
                      .toString()
                      .toUtf8())
                  .object();
        const QPoint onLink(rect[u"x"_qs].toInt() + 5, rect[u"y"_qs].toInt() + 5);
        m_user->HoverPage(view, onLink);
        QVERIFY(m_user->WaitFor([&] { return m_user->StatusText() == Url(u"/two"_qs); }));
        m_user->HoverPage(view, onLink + QPoint(0, 200));
        QVERIFY(m_user->WaitFor([&] { return m_user->StatusText() == u"Ready"_qs; }));
    }

    void loadingCaptionKeepsThePagesOwnAddress()
    {
        // An untitled page is titled by its address, which may hold "%2F" and the like.
        const QString address = Url(u"/untitled"_qs) + u"?u=a%2Fb"_qs;
        m_user->TypeAddress(address);
        const QRegularExpression loading(u"/untitled\\?u=a%2Fb \\[ \\d+ % \\]$"_qs);
        QVERIFY(m_user->WaitFor(
            [&] { return loading.match(m_user->ActiveChild()->windowTitle()).hasMatch(); }));
        QVERIFY(loading.match(m_user->Caption()).hasMatch());
    }
};

QUILLBROW_E2E_TEST_MAIN(TestE2EAddress)
#include "tst_e2e_address.moc"
