#include "CConfirmDlg.h"
#include "CErrorReport.h"
#include "CStringIds.h"
#include "CStringTable.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QWindow>

#include <cerrno>

namespace {

QIcon SolidIcon(const QColor &color)
{
    QPixmap pixmap(64, 64);
    pixmap.fill(color);
    return QIcon(pixmap);
}

QImage LabelImage(const QLabel *pLabel)
{
    return pLabel->pixmap().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage IconImage(const QIcon &icon, const QSize &size)
{
    return icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

class tst_CConfirmDlg : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void buttonLayout_data();
    void buttonLayout();
    void keys_data();
    void keys();
    void closeBoxCancels();
    void showNextTime_data();
    void showNextTime();
    void tickingTheBoxThenNo();
    void iconAndSound_data();
    void iconAndSound();
    void texts();
    void waitCursor();
    void errorReports();
};

void tst_CConfirmDlg::initTestCase()
{
    QApplication::setWindowIcon(SolidIcon(Qt::red));
}

void tst_CConfirmDlg::init()
{
    CConfirmDlg::ClearNextAnswers();
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
}

void tst_CConfirmDlg::buttonLayout_data()
{
    QTest::addColumn<unsigned>("style");
    QTest::addColumn<int>("buttonSet");
    // Shown buttons from right to left: C(ancel), N(o), Y(es), O(k).
    QTest::addColumn<QString>("rightToLeft");

    QTest::newRow("ok") << unsigned(Mb::Ok) << 8 << QStringLiteral("O");
    QTest::newRow("ok cancel") << unsigned(Mb::OkCancel) << 12 << QStringLiteral("CO");
    QTest::newRow("yes no cancel") << unsigned(Mb::YesNoCancel) << 7 << QStringLiteral("CNY");
    QTest::newRow("yes no") << unsigned(Mb::YesNo) << 3 << QStringLiteral("NY");
    QTest::newRow("question bits ignored")
        << unsigned(Mb::YesNo | Mb::IconQuestion) << 3 << QStringLiteral("NY");
    QTest::newRow("abort retry ignore: no buttons") << 2u << 0 << QString();
}

void tst_CConfirmDlg::buttonLayout()
{
    QFETCH(unsigned, style);
    QFETCH(int, buttonSet);
    QFETCH(QString, rightToLeft);

    CConfirmDlg dlg(nullptr, QStringLiteral("text"), style, true);
    QCOMPARE(dlg.ButtonSet(), buttonSet);
    QCOMPARE(CConfirmDlg::ButtonSetForStyle(style), buttonSet);
    QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
    const QRect cancelSlot = dlg.CancelButton()->geometry();
    QVERIFY(dlg.rect().contains(cancelSlot));

    CConfirmDlg::SetNextAnswer(IDCANCEL);
    QCOMPARE(dlg.exec(), int(IDCANCEL));

    const QHash<QChar, QPushButton *> buttons = {{u'C', dlg.CancelButton()},
                                                 {u'N', dlg.NoButton()},
                                                 {u'Y', dlg.YesButton()},
                                                 {u'O', dlg.OkButton()}};
    QRect slot = cancelSlot;
    for (QChar name : rightToLeft) {
        const QPushButton *pButton = buttons.value(name);
        QVERIFY2(pButton->isVisibleTo(&dlg), qPrintable(pButton->text()));
        QCOMPARE(pButton->geometry(), slot);
        slot.translate(-(slot.width() + 10), 0);
    }
    for (auto it = buttons.cbegin(); it != buttons.cend(); ++it) {
        if (!rightToLeft.contains(it.key()))
            QVERIFY2(!it.value()->isVisibleTo(&dlg), qPrintable(it.value()->text()));
    }
}

void tst_CConfirmDlg::keys_data()
{
    QTest::addColumn<unsigned>("style");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected"); // 0: the dialog stays open

    QTest::newRow("escape on yes/no answers no")
        << unsigned(Mb::YesNo) << int(Qt::Key_Escape) << int(IDNO);
    QTest::newRow("escape on yes/no/cancel answers no")
        << unsigned(Mb::YesNoCancel) << int(Qt::Key_Escape) << int(IDNO);
    QTest::newRow("escape on ok/cancel cancels")
        << unsigned(Mb::OkCancel) << int(Qt::Key_Escape) << int(IDCANCEL);
    QTest::newRow("escape on ok does nothing")
        << unsigned(Mb::Ok | Mb::IconExclamation) << int(Qt::Key_Escape) << 0;
    QTest::newRow("escape without buttons does nothing") << 2u << int(Qt::Key_Escape) << 0;
    QTest::newRow("enter on yes/no answers yes")
        << unsigned(Mb::YesNo) << int(Qt::Key_Return) << int(IDYES);
    QTest::newRow("enter on ok/cancel answers ok")
        << unsigned(Mb::OkCancel) << int(Qt::Key_Return) << int(IDOK);
}

void tst_CConfirmDlg::keys()
{
    QFETCH(unsigned, style);
    QFETCH(int, key);
    QFETCH(int, expected);

    CConfirmDlg dlg(nullptr, QStringLiteral("text"), style, false);
    QSignalSpy finished(&dlg, &QDialog::finished);
    dlg.open();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));

    QWidget *pTarget = dlg.focusWidget() ? dlg.focusWidget() : &dlg;
    QTest::keyClick(pTarget, Qt::Key(key));
    if (expected) {
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toInt(), expected);
        QVERIFY(!dlg.isVisible());
        return;
    }
    QCoreApplication::processEvents();
    QVERIFY(dlg.isVisible());
    QCOMPARE(finished.count(), 0);
    dlg.close();
    QTRY_COMPARE(finished.count(), 1);
}

void tst_CConfirmDlg::closeBoxCancels()
{
    CConfirmDlg dlg(nullptr, QStringLiteral("text"), Mb::YesNo | Mb::IconQuestion, true);
    QSignalSpy finished(&dlg, &QDialog::finished);
    dlg.open();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));

    // The window system's close request, as the title bar's close box sends it.
    QVERIFY(dlg.windowHandle()->close());
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), int(IDCANCEL));
    QCOMPARE(dlg.result(), int(IDCANCEL));
    QVERIFY(!dlg.isVisible());
}

void tst_CConfirmDlg::showNextTime_data()
{
    QTest::addColumn<bool>("showCheckBox");
    QTest::addColumn<bool>("tick");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("expected");

    QTest::newRow("clear, yes") << true << false << int(IDYES) << 1;
    QTest::newRow("ticked, no") << true << true << int(IDNO) << 0;
    QTest::newRow("ticked, cancel") << true << true << int(IDCANCEL) << 0;
    QTest::newRow("box hidden, tick ignored") << false << true << int(IDYES) << 1;
}

void tst_CConfirmDlg::showNextTime()
{
    QFETCH(bool, showCheckBox);
    QFETCH(bool, tick);
    QFETCH(int, answer);
    QFETCH(int, expected);

    CConfirmDlg dlg(nullptr, LoadString(IDS_CONFIRM_EXIT_APP), Mb::YesNo | Mb::IconQuestion,
                    showCheckBox);
    CConfirmDlg::SetNextAnswer(answer, tick);
    QVERIFY(CConfirmDlg::HasPendingAnswers());
    QCOMPARE(dlg.exec(), answer);
    QVERIFY(!CConfirmDlg::HasPendingAnswers());
    QCOMPARE(dlg.CheckBox()->isVisibleTo(&dlg), showCheckBox);
    QCOMPARE(dlg.ShowNextTime, expected);
}

void tst_CConfirmDlg::tickingTheBoxThenNo()
{
    CConfirmDlg dlg(nullptr, LoadString(IDS_CONFIRM_CLOSE_ALL), Mb::YesNo | Mb::IconQuestion, true);
    QSignalSpy finished(&dlg, &QDialog::finished);
    dlg.open();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QCOMPARE(dlg.ShowNextTime, 1);

    QTest::mouseClick(dlg.CheckBox(), Qt::LeftButton, {}, QPoint(5, dlg.CheckBox()->height() / 2));
    QVERIFY(dlg.CheckBox()->isChecked());
    QTest::mouseClick(dlg.NoButton(), Qt::LeftButton);
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(dlg.result(), int(IDNO));
    QCOMPARE(dlg.ShowNextTime, 0);
}

void tst_CConfirmDlg::iconAndSound_data()
{
    QTest::addColumn<unsigned>("style");
    QTest::addColumn<bool>("callerIcon");
    QTest::addColumn<int>("beep");
    QTest::addColumn<int>("standardPixmap"); // -1: the application's icon, -2: the caller's

    QTest::newRow("none: application icon, silent") << unsigned(Mb::Ok) << false << -1 << -1;
    QTest::newRow("hand") << unsigned(Mb::IconHand) << false << 0x10
                          << int(QStyle::SP_MessageBoxCritical);
    QTest::newRow("question") << unsigned(Mb::YesNo | Mb::IconQuestion) << false << 0x20
                              << int(QStyle::SP_MessageBoxQuestion);
    QTest::newRow("exclamation") << unsigned(Mb::IconExclamation) << false << 0x30
                                 << int(QStyle::SP_MessageBoxWarning);
    QTest::newRow("asterisk") << unsigned(Mb::IconAsterisk) << false << 0x40
                              << int(QStyle::SP_MessageBoxInformation);
    QTest::newRow("unknown icon type: application icon, silent")
        << unsigned(0x50) << false << -1 << -1;
    QTest::newRow("caller's icon wins and is silent")
        << unsigned(Mb::IconExclamation) << true << -1 << -2;
}

void tst_CConfirmDlg::iconAndSound()
{
    QFETCH(unsigned, style);
    QFETCH(bool, callerIcon);
    QFETCH(int, beep);
    QFETCH(int, standardPixmap);

    const QIcon mine = SolidIcon(Qt::blue);
    CConfirmDlg dlg(nullptr, QStringLiteral("text"), style, false, QString(),
                    callerIcon ? mine : QIcon());
    QCOMPARE(dlg.Beep(), beep);
    QCOMPARE(CConfirmDlg::BeepForStyle(style, callerIcon), beep);

    QIcon expected = mine;
    if (standardPixmap == -1)
        expected = QApplication::windowIcon();
    else if (standardPixmap >= 0)
        expected = dlg.style()->standardIcon(QStyle::StandardPixmap(standardPixmap));
    const QImage shown = LabelImage(dlg.IconLabel());
    QVERIFY(!shown.isNull());
    QVERIFY(dlg.IconLabel()->rect().contains(QRect(QPoint(), shown.size())));
    QCOMPARE(shown, IconImage(expected, shown.size()));
}

void tst_CConfirmDlg::texts()
{
    {
        CConfirmDlg dlg(nullptr, QStringLiteral("<b>\"a&b\"</b>\nline"), Mb::YesNo, true);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Quillbrow"));
        QCOMPARE(dlg.CheckBox()->text(), QStringLiteral("&Don't show this dialog the next time"));
        // An address in a message is shown as typed, never as markup.
        QCOMPARE(dlg.TextLabel()->textFormat(), Qt::PlainText);
        QVERIFY(dlg.TextLabel()->wordWrap());
        QVERIFY(dlg.windowModality() == Qt::ApplicationModal);
        QVERIFY(!dlg.parentWidget());
        CConfirmDlg::SetNextAnswer(IDYES);
        dlg.exec();
        QCOMPARE(CConfirmDlg::LastText(), QStringLiteral("<b>\"a&b\"</b>\nline"));
        QCOMPARE(CConfirmDlg::LastCaption(), QStringLiteral("Quillbrow"));
    }
    {
        CConfirmDlg dlg(nullptr, LoadString(IDS_NOT_DEFAULT_BROWSER), Mb::YesNo | Mb::IconQuestion,
                        true, LoadString(IDS_SYNCHRONIZE_CAPTION), QIcon(),
                        LoadString(IDS_DONT_CHECK_ON_START));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Synchronize"));
        QCOMPARE(dlg.CheckBox()->text(), QStringLiteral("&Don't perform this check on start up"));
        QCOMPARE(dlg.TextLabel()->text(), LoadString(IDS_NOT_DEFAULT_BROWSER));
    }
}

void tst_CConfirmDlg::waitCursor()
{
    // A top-level parent keeps WA_SetCursor after unsetCursor(), so read the shape.
    QWidget parent;
    QCOMPARE(parent.cursor().shape(), Qt::ArrowCursor);
    {
        CConfirmDlg dlg(&parent, QStringLiteral("text"), Mb::YesNo, false);
        QCOMPARE(parent.cursor().shape(), Qt::WaitCursor);
        QCOMPARE(dlg.parentWidget(), &parent);
        QVERIFY(dlg.isWindow());

        CConfirmDlg::SetNextAnswer(IDNO);
        QCOMPARE(dlg.exec(), int(IDNO));
        QCOMPARE(parent.cursor().shape(), Qt::ArrowCursor);
    }
    {
        // A dialog that is never run still gives the parent its cursor back.
        CConfirmDlg dlg(&parent, QStringLiteral("text"), Mb::Ok, false);
        QCOMPARE(parent.cursor().shape(), Qt::WaitCursor);
    }
    QCOMPARE(parent.cursor().shape(), Qt::ArrowCursor);
}

void tst_CConfirmDlg::errorReports()
{
    CConfirmDlg::SetNextAnswer(IDOK);
    ShowErrorText(QStringLiteral("Disk full"));
    QCOMPARE(CConfirmDlg::LastText(), QStringLiteral("Disk full"));
    QCOMPARE(CConfirmDlg::LastCaption(), QStringLiteral("Error"));
    QVERIFY(!CConfirmDlg::HasPendingAnswers());

    CConfirmDlg::SetNextAnswer(IDOK);
    ShowErrorString(IDS_NO_MAIL_PROGRAM);
    QCOMPARE(CConfirmDlg::LastText(), LoadString(IDS_NO_MAIL_PROGRAM));

    CConfirmDlg::SetNextAnswer(IDOK);
    ShowErrorString(1);
    QCOMPARE(CConfirmDlg::LastText(), QStringLiteral("Unhandled error occurs."));

    CConfirmDlg::SetNextAnswer(IDOK);
    ShowSystemError(ENOENT);
    QCOMPARE(CConfirmDlg::LastText(),
             qt_error_string(ENOENT) + QStringLiteral("\n\nError Code: ")
                 + QString::number(ENOENT));

    // A null text shows nothing, so the queued answer stays unused.
    CConfirmDlg::SetNextAnswer(IDOK);
    ShowErrorText(QString());
    QVERIFY(CConfirmDlg::HasPendingAnswers());
}

QTEST_MAIN(tst_CConfirmDlg)
#include "tst_cconfirmdlg.moc"
