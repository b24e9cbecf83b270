#include "CAutoCloseDlg.h"
#include "CConfirmDlg.h"
#include "COptionsConfirms.h"
#include "COptionsSheet.h"
#include "CQuillbrowApp.h"
#include "CQuillbrowView.h"
#include "CTestServer.h"
#include "CUserSession.h"
#include "EngineTestUtil.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>

// The options sheet and Add to AutoClose in the program as a user starts it: what the
// user changes there changes what the program does next, and what the AutoClose list
// closes is counted and kept.
class TestE2EOptions : public QObject
{
    Q_OBJECT

    CTestServer m_server;
    std::unique_ptr<CUserSession> m_user;

    QString Url(const QString &path) const { return m_server.Url(path).toString(); }

    bool StartAt(const QString &path, const QVariantMap &stored = {})
    {
        CUserSession::WriteStoredSettings(stored);
        m_user = std::make_unique<CUserSession>();
        return m_user->Start({Url(path)}) && m_user->WaitForPage(Url(path));
    }

    // A second window, showing path; it becomes the active one.
    bool OpenSecondWindow(const QString &path)
    {
        m_user->PressKey(Qt::Key_N, Qt::ControlModifier);
        if (!m_user->WaitFor([this] { return m_user->Windows().size() == 2; }))
            return false;
        m_user->TypeAddress(Url(path));
        return m_user->WaitForPage(Url(path));
    }

    CSettings &Settings() const { return m_user->App()->m_settings; }

    static void Type(int nKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(nKey), modifiers);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.Start());
        m_server.RoutePage(u"/one"_qs, u"Page one"_qs);
        m_server.RoutePage(u"/two"_qs, u"Page two"_qs);
        m_server.RoutePage(u"/pop"_qs, u"Pop"_qs);
        // What pop-ups do: the page opens them as it loads.
        m_server.RoutePage(u"/opener"_qs, u"Opener"_qs, u"<script>window.open('/pop')</script>"_qs);
    }

    void init() { QVERIFY(QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).removeRecursively()); }

    void cleanup()
    {
        m_user.reset();
        QVERIFY(CUserSession::NoAnswersLeft());
        QVERIFY(!CAutoCloseDlg::HasPendingScripts());
        QVERIFY(!COptionsSheet::HasPendingScripts());
        CAutoCloseDlg::ClearNextScripts();
        COptionsSheet::ClearNextScripts();
    }

    void exitQuestionSwitchedOffByKeyboardInTheSheet()
    {
        QVERIFY(StartAt(u"/one"_qs));
        bool bShown = false;
        COptionsSheet::SetNextScript([&](COptionsSheet &sheet) {
            QVERIFY(QTest::qWaitForWindowActive(&sheet));
            bShown = true;
            QCOMPARE(sheet.windowTitle(), u"Quillbrow Options"_qs);
            for (int i = 0; i < 3; ++i)
                Type(Qt::Key_Tab, Qt::ControlModifier);
            QCOMPARE(sheet.TabWidget()->tabText(sheet.TabWidget()->currentIndex()), u"Confirms"_qs);
            QCheckBox *exitBox = static_cast<COptionsConfirms *>(sheet.GetActivePage())->Boxes()[0];
            QVERIFY(exitBox->isChecked());
            Type(Qt::Key_Q, Qt::AltModifier);
            // A mnemonic clicks the way a mouse does: pressed, then released a moment later.
            QTRY_VERIFY(!exitBox->isChecked());
            Type(Qt::Key_Return);
        });
        QVERIFY(m_user->ChooseMenu({u"Tools"_qs, u"Quillbrow Options..."_qs}));
        QTRY_VERIFY(bShown);
        // Saved with OK, the whole record at once.
        QCOMPARE(Settings().ConfirmExitApp, 0);
        QCOMPARE(CUserSession::StoredSetting(u"Settings/ConfirmExitApp"_qs).toInt(), 0);
        QCOMPARE(CUserSession::StoredSetting(u"Settings/ConfirmCloseAll"_qs).toInt(), 1);

        // Would the question still come, this answer would keep the program running.
        CConfirmDlg::SetNextAnswer(IDNO);
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"Exit"_qs}));
        QVERIFY(m_user->WaitForExit());
        QVERIFY(CConfirmDlg::HasPendingAnswers());
        CConfirmDlg::ClearNextAnswers();
    }

    void addWithoutQuestionTellsClosesAndFilters()
    {
        QVERIFY(StartAt(u"/one"_qs, {{u"Settings/ConfirmAddToAutoClose"_qs, 0}}));
        QVERIFY(OpenSecondWindow(u"/two"_qs));

        CConfirmDlg::SetNextAnswer(IDOK);
        m_user->PressKey(Qt::Key_F8);
        QTRY_COMPARE(m_user->Windows().size(), 1);
        QCOMPARE(CConfirmDlg::LastText(),
                 u"\""_qs + Url(u"/two"_qs)
                     + u"\" has been added into AutoClose list successfully."_qs);
        QCOMPARE(m_user->ActiveWindow()->GetLocationURL(), Url(u"/one"_qs));
        QCOMPARE(Settings().AutoCloseList, QStringList {Url(u"/two"_qs)});

        // The address is now a pop-up the program closes unseen, and says so.
        m_server.RoutePage(u"/opener-two"_qs, u"Opener"_qs,
                           u"<script>window.open('/two')</script>"_qs);
        m_user->TypeAddress(Url(u"/opener-two"_qs));
        QVERIFY(m_user->WaitFor([&] { return Settings().GetAutoCloseCount(0) == 1; }));
        QCOMPARE(m_user->StatusText(), u"Closed a pop-up window: "_qs + Url(u"/two"_qs));
        QVERIFY(m_user->WaitForPage(Url(u"/opener-two"_qs)));
        QTRY_COMPARE(m_user->Frame()->Views().size(), 1);
        QCOMPARE(m_user->Windows().size(), 1);
    }

    void cancelledFromTheCaptionKeepsTheWindowButNotTheQuestion()
    {
        QVERIFY(StartAt(u"/one"_qs));
        QVERIFY(OpenSecondWindow(u"/two"_qs));
        CQuillbrowView *second = m_user->ActiveWindow();

        bool bShown = false;
        CAutoCloseDlg::SetNextScript([&](CAutoCloseDlg &dlg) {
            bShown = true;
            QCOMPARE(dlg.AddressEdit()->text(), Url(u"/two"_qs));
            QCOMPARE(dlg.AddressEdit()->selectedText(), Url(u"/two"_qs));
            QVERIFY(dlg.DoNotDisplayBox()->isVisible());
            QTest::mouseClick(dlg.DoNotDisplayBox(), Qt::LeftButton);
            QTest::mouseClick(dlg.CancelButton(), Qt::LeftButton);
        });
        QVERIFY(m_user->ChoosePopupItem(m_user->RightClickCaption(), u"Add to AutoClose..."_qs));
        QTRY_VERIFY(bShown);
        QCOMPARE(m_user->Windows().size(), 2);
        QCOMPARE(m_user->ActiveWindow(), second);
        QVERIFY(Settings().AutoCloseList.isEmpty());
        // The box counts whatever the answer: the next time nobody asks.
        QCOMPARE(Settings().ConfirmAddToAutoClose, 0);

        CConfirmDlg::SetNextAnswer(IDOK);
        QVERIFY(m_user->ChooseMenu({u"View"_qs, u"Add to AutoClose..."_qs}));
        QTRY_COMPARE(m_user->Windows().size(), 1);
        QCOMPARE(Settings().AutoCloseList, QStringList {Url(u"/two"_qs)});
    }

    void tabPopupAddsTheRightClickedWindow()
    {
        QVERIFY(StartAt(u"/one"_qs));
        QVERIFY(OpenSecondWindow(u"/two"_qs));
        CQuillbrowView *second = m_user->ActiveWindow();

        CAutoCloseDlg::SetNextScript([&](CAutoCloseDlg &dlg) {
            QCOMPARE(dlg.AddressEdit()->text(), Url(u"/one"_qs));
            QTest::mouseClick(dlg.StartsWithBox(), Qt::LeftButton);
            QTest::mouseClick(dlg.OkButton(), Qt::LeftButton);
        });
        QVERIFY(m_user->ChoosePopupItem(m_user->RightClickTab(0), u"Add to AutoClose..."_qs));
        QTRY_COMPARE(Settings().AutoCloseList, QStringList {Url(u"/one"_qs) + u"*"_qs});
        QTRY_COMPARE(m_user->Windows(), QList<CQuillbrowView *> {second});
        QCOMPARE(m_user->ActiveWindow(), second);
    }

    void countSurvivesRestartAndFollowsItsEntry()
    {
        QVERIFY(StartAt(u"/opener"_qs,
                        {{u"Settings/ConfirmExitApp"_qs, 0},
                         {u"Settings/AutoClose/url1"_qs, Url(u"/other"_qs)},
                         {u"Settings/AutoClose/url2"_qs, Url(u"/pop"_qs)},
                         {u"Settings/AutoCloseCount/url2"_qs, 2}}));
        QVERIFY(m_user->WaitFor([&] { return Settings().GetAutoCloseCount(1) == 3; }));
        QCOMPARE(m_user->StatusText(), u"Closed a pop-up window: "_qs + Url(u"/pop"_qs));
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"Exit"_qs}));
        QVERIFY(m_user->WaitForExit());

        QVERIFY(StartAt(u"/one"_qs));
        QCOMPARE(Settings().AutoCloseCount, (QList<int> {0, 3}));
        QStringList shown;
        COptionsSheet::SetNextScript([&](COptionsSheet &sheet) {
            QVERIFY(QTest::qWaitForWindowActive(&sheet));
            QTabBar *tabs = sheet.TabWidget()->tabBar();
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
            auto *list = sheet.findChild<QTreeWidget *>(u"AutoCloseList"_qs);
            QVERIFY(list && list->isVisible());
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                shown << list->topLevelItem(i)->text(0) + u' ' + list->topLevelItem(i)->text(2);
            // The row above goes; its neighbour keeps its count.
            const QRect first = list->visualItemRect(list->topLevelItem(0));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first.center());
            CConfirmDlg::SetNextAnswer(IDYES);
            QTest::keyClick(list, Qt::Key_Delete);
            QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
        });
        QVERIFY(m_user->ChooseMenu({u"Tools"_qs, u"Quillbrow Options..."_qs}));
        QTRY_COMPARE(shown,
                     QStringList({Url(u"/other"_qs) + u" 0"_qs, Url(u"/pop"_qs) + u" 3"_qs}));
        QTRY_VERIFY(!COptionsSheet::HasPendingScripts() && !CConfirmDlg::HasPendingAnswers());
        QCOMPARE(CUserSession::StoredSetting(u"Settings/AutoClose/url1"_qs).toString(),
                 Url(u"/pop"_qs));
        QCOMPARE(CUserSession::StoredSetting(u"Settings/AutoCloseCount/url1"_qs).toInt(), 3);
        QVERIFY(!CUserSession::StoredSetting(u"Settings/AutoClose/url2"_qs).isValid());
        QVERIFY(!CUserSession::StoredSetting(u"Settings/AutoCloseCount/url2"_qs).isValid());
    }
};

QUILLBROW_E2E_TEST_MAIN(TestE2EOptions)
#include "tst_e2e_options.moc"
