#include "CConfirmDlg.h"
#include "CErrorReport.h"

#include <QtTest>
#include <QtWidgets>

#include <cerrno>

namespace {

QIcon SolidIcon(const QColor &color)
{
    QPixmap pixmap(64, 64);
    pixmap.fill(color);
    return QIcon(pixmap);
}

QImage Image(const QPixmap &pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

class tst_CConfirmDlg : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setWindowIcon(SolidIcon(Qt::red)); }
    void init()
    {
        CConfirmDlg::ClearNextAnswers();
        QTest::failOnWarning(QRegularExpression(u"."_qs));
    }

    void buttonLayout_data()
    {
        QTest::addColumn<unsigned>("style");
        // Shown buttons from right to left: C(ancel), N(o), Y(es), O(k).
        QTest::addColumn<QString>("rightToLeft");
        QTest::newRow("ok") << unsigned(Mb::Ok) << u"O"_qs;
        QTest::newRow("ok cancel") << unsigned(Mb::OkCancel) << u"CO"_qs;
        QTest::newRow("yes no cancel") << unsigned(Mb::YesNoCancel) << u"CNY"_qs;
        QTest::newRow("yes no") << unsigned(Mb::YesNo) << u"NY"_qs;
        QTest::newRow("question bits ignored")
            << unsigned(Mb::YesNo | Mb::IconQuestion) << u"NY"_qs;
        QTest::newRow("abort retry ignore: no buttons") << 2u << QString();
    }
    void buttonLayout()
    {
        QFETCH(unsigned, style);
        QFETCH(QString, rightToLeft);

        CConfirmDlg dlg(nullptr, u"text"_qs, style, true);
        QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
        QRect slot = dlg.CancelButton()->geometry();
        QVERIFY(dlg.rect().contains(slot));
        CConfirmDlg::SetNextAnswer(IDCANCEL);
        QCOMPARE(dlg.exec(), int(IDCANCEL));

        const QHash<QChar, QPushButton *> buttons = {{u'C', dlg.CancelButton()},
                                                     {u'N', dlg.NoButton()},
                                                     {u'Y', dlg.YesButton()},
                                                     {u'O', dlg.OkButton()}};
        for (QChar name : rightToLeft) {
            QCOMPARE(buttons.value(name)->geometry(), slot);
            slot.translate(-(slot.width() + 10), 0);
        }
        for (auto it = buttons.cbegin(); it != buttons.cend(); ++it)
            QVERIFY2(it.value()->isVisibleTo(&dlg) == rightToLeft.contains(it.key()),
                     qPrintable(it.value()->text()));
    }

    // The dialog run for real; ShowNextTime follows the check box whatever ends it.
    void answers_data()
    {
        QTest::addColumn<unsigned>("style");
        QTest::addColumn<bool>("tick");
        QTest::addColumn<int>("key"); // 0: the title bar's close box, -1: a click on No
        QTest::addColumn<int>("expected"); // 0: the dialog stays open

        const int esc = Qt::Key_Escape, enter = Qt::Key_Return;
        QTest::newRow("escape on yes/no answers no")
            << unsigned(Mb::YesNo) << false << esc << int(IDNO);
        QTest::newRow("escape on yes/no/cancel answers no")
            << unsigned(Mb::YesNoCancel) << true << esc << int(IDNO);
        QTest::newRow("escape on ok/cancel cancels")
            << unsigned(Mb::OkCancel) << false << esc << int(IDCANCEL);
        QTest::newRow("escape on ok does nothing")
            << unsigned(Mb::Ok | Mb::IconExclamation) << false << esc << 0;
        QTest::newRow("enter on yes/no answers yes")
            << unsigned(Mb::YesNo) << false << enter << int(IDYES);
        QTest::newRow("enter on ok/cancel answers ok")
            << unsigned(Mb::OkCancel) << true << enter << int(IDOK);
        QTest::newRow("close box cancels") << unsigned(Mb::YesNo) << true << 0 << int(IDCANCEL);
        QTest::newRow("click on no") << unsigned(Mb::YesNo) << true << -1 << int(IDNO);
    }
    void answers()
    {
        QFETCH(unsigned, style);
        QFETCH(bool, tick);
        QFETCH(int, key);
        QFETCH(int, expected);

        CConfirmDlg dlg(nullptr, u"text"_qs, style, true);
        QSignalSpy finished(&dlg, &QDialog::finished);
        dlg.open();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        if (tick)
            QTest::mouseClick(dlg.CheckBox(), Qt::LeftButton, {},
                              QPoint(5, dlg.CheckBox()->height() / 2));
        if (key > 0)
            QTest::keyClick(dlg.focusWidget() ? dlg.focusWidget() : &dlg, Qt::Key(key));
        else if (key < 0)
            QTest::mouseClick(dlg.NoButton(), Qt::LeftButton);
        else
            QVERIFY(dlg.windowHandle()->close()); // as the window system sends it
        if (!expected) {
            QCoreApplication::processEvents();
            QVERIFY(dlg.isVisible());
            QCOMPARE(finished.count(), 0);
            return;
        }
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toInt(), expected);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.ShowNextTime, tick ? 0 : 1);
    }

    void iconAndSound_data()
    {
        QTest::addColumn<unsigned>("style");
        QTest::addColumn<QIcon>("given");
        QTest::addColumn<int>("beep");
        QTest::addColumn<QIcon>("shown");
        const QIcon mine = SolidIcon(Qt::blue);
        QTest::newRow("none: application icon, silent")
            << unsigned(Mb::Ok) << QIcon() << -1 << QApplication::windowIcon();
        QTest::newRow("caller's icon wins and is silent")
            << unsigned(Mb::IconExclamation) << mine << -1 << mine;
    }
    void iconAndSound()
    {
        QFETCH(unsigned, style);
        QFETCH(QIcon, given);
        QFETCH(QIcon, shown);
        CConfirmDlg dlg(nullptr, u"text"_qs, style, false, QString(), given);
        QTEST(dlg.Beep(), "beep");
        const QImage image = Image(dlg.IconLabel()->pixmap());
        QVERIFY(!image.isNull());
        QVERIFY(dlg.IconLabel()->rect().contains(QRect(QPoint(), image.size())));
        QCOMPARE(image, Image(shown.pixmap(image.size())));
    }

    void texts()
    {
        CConfirmDlg dlg(nullptr, u"<b>\"a&b\"</b>\nline"_qs, Mb::YesNo, true);
        QCOMPARE(dlg.windowTitle(), u"Quillbrow"_qs);
        QCOMPARE(dlg.CheckBox()->text(), u"&Don't show this dialog the next time"_qs);
        // An address in a message is shown as typed, never as markup.
        QCOMPARE(dlg.TextLabel()->textFormat(), Qt::PlainText);
    }

    void waitCursorEndsEitherWay()
    {
        // A top-level parent keeps WA_SetCursor after unsetCursor(), so read the shape.
        QWidget parent;
        {
            CConfirmDlg dlg(&parent, u"text"_qs, Mb::YesNo, false);
            QCOMPARE(parent.cursor().shape(), Qt::WaitCursor);
            CConfirmDlg::SetNextAnswer(IDNO);
            QCOMPARE(dlg.exec(), int(IDNO));
            QCOMPARE(parent.cursor().shape(), Qt::ArrowCursor);
        }
        {
            // A dialog that is never run still gives the parent its cursor back.
            CConfirmDlg dlg(&parent, u"text"_qs, Mb::Ok, false);
            QCOMPARE(parent.cursor().shape(), Qt::WaitCursor);
        }
        QCOMPARE(parent.cursor().shape(), Qt::ArrowCursor);
    }

    void errorReports()
    {
        CConfirmDlg::SetNextAnswer(IDOK);
        ShowSystemError(ENOENT);
        QCOMPARE(CConfirmDlg::LastCaption(), u"Error"_qs);
        QCOMPARE(CConfirmDlg::LastText(),
                 qt_error_string(ENOENT) + u"\n\nError Code: "_qs + QString::number(ENOENT));

        // A null text shows nothing, so the queued answer stays unused.
        CConfirmDlg::SetNextAnswer(IDOK);
        ShowErrorText(QString());
        QVERIFY(CConfirmDlg::HasPendingAnswers());
    }
};

QTEST_MAIN(tst_CConfirmDlg)
#include "tst_cconfirmdlg.moc"
