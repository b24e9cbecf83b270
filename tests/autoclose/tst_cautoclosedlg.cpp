#include "CAutoCloseDlg.h"
#include "CConfirmDlg.h"
#include "COptionsAutoClose.h"
#include "CSettings.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

// The entry dialog as a user works it: the address and the two boxes never disagree,
// OK needs an address, and with a list page behind it a duplicate keeps it open.
class TestAutoCloseDlg : public QObject
{
    Q_OBJECT

    static void Click(QAbstractButton *pButton) { QTest::mouseClick(pButton, Qt::LeftButton); }

    // Shown and active, as the user sees it.
    static bool Show(CAutoCloseDlg &dlg)
    {
        dlg.show();
        return QTest::qWaitForWindowActive(&dlg);
    }

    static void Retype(CAutoCloseDlg &dlg, const QString &text)
    {
        dlg.AddressEdit()->selectAll();
        QTest::keyClick(dlg.AddressEdit(), Qt::Key_Delete);
        QTest::keyClicks(dlg.AddressEdit(), text);
    }

private slots:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(u"^(?!This plugin does not support )"_qs));
    }

    void cleanup()
    {
        QVERIFY(!CConfirmDlg::HasPendingAnswers());
        CConfirmDlg::ClearNextAnswers();
    }

    void newEntryNeedsAnAddress()
    {
        CAutoCloseDlg dlg(nullptr, QString(), false);
        QVERIFY(Show(dlg));
        QVERIFY(!dlg.DoNotDisplayBox()->isVisible());
        QVERIFY(!dlg.OkButton()->isEnabled());
        QVERIFY(!dlg.StartsWithBox()->isEnabled() && !dlg.StartsWithBox()->isChecked());
        QVERIFY(!dlg.EnableBox()->isEnabled() && dlg.EnableBox()->isChecked());
        // Enter cannot confirm an empty address either.
        QTest::keyClick(dlg.AddressEdit(), Qt::Key_Return);
        QVERIFY(dlg.isVisible());

        QTest::keyClicks(dlg.AddressEdit(), u"a"_qs);
        QVERIFY(dlg.OkButton()->isEnabled());
        QVERIFY(dlg.StartsWithBox()->isEnabled() && dlg.EnableBox()->isEnabled());
        QTest::keyClick(dlg.AddressEdit(), Qt::Key_Backspace);
        QVERIFY(!dlg.OkButton()->isEnabled() && !dlg.EnableBox()->isEnabled());
    }

    void startsWithBoxFollowsTheStar()
    {
        CAutoCloseDlg dlg(nullptr, QString(), false);
        QVERIFY(Show(dlg));
        QTest::keyClicks(dlg.AddressEdit(), u"http://ads.example/*"_qs);
        QVERIFY(dlg.StartsWithBox()->isChecked());
        QTest::keyClick(dlg.AddressEdit(), Qt::Key_Backspace);
        QVERIFY(!dlg.StartsWithBox()->isChecked());

        // Ticking adds one star; clearing takes every trailing star away.
        Click(dlg.StartsWithBox());
        QCOMPARE(dlg.AddressEdit()->text(), u"http://ads.example/*"_qs);
        QTest::keyClicks(dlg.AddressEdit(), u"**"_qs);
        Click(dlg.StartsWithBox());
        QCOMPARE(dlg.AddressEdit()->text(), u"http://ads.example/"_qs);
        QVERIFY(!dlg.StartsWithBox()->isChecked());
        Retype(dlg, u"***"_qs);
        Click(dlg.StartsWithBox());
        QCOMPARE(dlg.AddressEdit()->text(), QString());
        QVERIFY(!dlg.OkButton()->isEnabled());
    }

    void entryStringRoundTrip_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("startsWith");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("plain") << u"http://a.example/"_qs << u"http://a.example/"_qs << false
                               << true;
        QTest::newRow("disabled starts-with")
            << u"!http://a.example/*"_qs << u"http://a.example/*"_qs << true << false;
        // Only the first "!" is the mark; a second one belongs to the address.
        QTest::newRow("two marks") << u"!!a"_qs << u"!a"_qs << false << false;
    }
    void entryStringRoundTrip()
    {
        QFETCH(QString, entry);
        CAutoCloseDlg dlg(nullptr, entry, false);
        QVERIFY(Show(dlg));
        QTEST(dlg.AddressEdit()->text(), "shown");
        QTEST(dlg.StartsWithBox()->isChecked(), "startsWith");
        QTEST(dlg.EnableBox()->isChecked(), "enabled");
        // Opened on its address, all of it selected, so typing replaces it.
        QCOMPARE(QApplication::focusWidget(), dlg.AddressEdit());
        QTRY_COMPARE(dlg.AddressEdit()->selectedText(), dlg.AddressEdit()->text());
        Click(dlg.OkButton());
        QCOMPARE(dlg.result(), int(IDOK));
        QCOMPARE(dlg.Entry(), entry);
    }

    void doNotDisplayBoxIsAnsweredWhateverTheButton_data()
    {
        QTest::addColumn<bool>("tick");
        QTest::addColumn<bool>("ok");
        QTest::newRow("ticked, Cancel") << true << false;
        QTest::newRow("clear, OK") << false << true;
    }
    void doNotDisplayBoxIsAnsweredWhateverTheButton()
    {
        QFETCH(bool, tick);
        QFETCH(bool, ok);
        CAutoCloseDlg dlg(nullptr, u"http://a.example/"_qs, true);
        QVERIFY(Show(dlg));
        QVERIFY(dlg.DoNotDisplayBox()->isVisible() && !dlg.DoNotDisplayBox()->isChecked());
        if (tick)
            Click(dlg.DoNotDisplayBox());
        // Unticking "enable" gives the "!" back.
        Click(dlg.EnableBox());
        Click(ok ? dlg.OkButton() : dlg.CancelButton());
        QCOMPARE(dlg.result(), ok ? int(IDOK) : int(IDCANCEL));
        QCOMPARE(dlg.ShowNextTime, tick ? 0 : 1);
        QCOMPARE(dlg.Entry(), u"!http://a.example/"_qs);
    }

    void duplicateKeepsTheDialogOpen()
    {
        CSettings settings;
        settings.AutoCloseList = {u"http://a.example/"_qs, u"!http://b.example/*"_qs};
        COptionsAutoClose page(settings);
        page.OnInitDialog();

        // Edited in place: its own row is no duplicate.
        CAutoCloseDlg edit(nullptr, u"!http://b.example/*"_qs, false, &page, 1);
        QVERIFY(Show(edit));
        Click(edit.OkButton());
        QCOMPARE(edit.result(), int(IDOK));

        CAutoCloseDlg dlg(nullptr, QString(), false, &page, -1);
        QVERIFY(Show(dlg));
        QTest::keyClicks(dlg.AddressEdit(), u"HTTP://B.example/*"_qs);
        CConfirmDlg::SetNextAnswer(IDOK);
        Click(dlg.OkButton());
        QCOMPARE(CConfirmDlg::LastText(),
                 u"\"HTTP://B.example/*\" is already in the address list. Please enter an "
                 "address different."_qs);
        QVERIFY(dlg.isVisible());
        QCOMPARE(QApplication::focusWidget(), dlg.AddressEdit());

        Click(dlg.StartsWithBox());
        Click(dlg.OkButton());
        QCOMPARE(dlg.result(), int(IDOK));
        QCOMPARE(dlg.Entry(), u"HTTP://B.example/"_qs);
    }

    void scriptActsOnTheNextRunOnly()
    {
        // A script that leaves the dialog open gets it cancelled, not a hung test.
        CAutoCloseDlg::SetNextScript(
            [](CAutoCloseDlg &dlg) { QTest::keyClicks(dlg.AddressEdit(), u"x"_qs); });
        CAutoCloseDlg dlg(nullptr, QString(), true);
        QCOMPARE(dlg.exec(), int(IDCANCEL));
        QCOMPARE(dlg.Entry(), u"x"_qs);
        QVERIFY(!CAutoCloseDlg::HasPendingScripts());
    }
};

QTEST_MAIN(TestAutoCloseDlg)
#include "tst_cautoclosedlg.moc"
