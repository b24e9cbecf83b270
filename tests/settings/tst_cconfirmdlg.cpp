#include "CConfirmDlg.h"

#include <QtTest>
#include <QtWidgets>

namespace {

QImage Image(const QPixmap &pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

class tst_CConfirmDlg : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QPixmap red(64, 64);
        red.fill(Qt::red);
        QApplication::setWindowIcon(red);
    }
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
        QTest::addColumn<int>("key"); // 0: the title bar's close box
        QTest::addColumn<int>("expected"); // 0: the dialog stays open

        const int esc = Qt::Key_Escape;
        QTest::newRow("escape on yes/no answers no")
            << unsigned(Mb::YesNo) << false << esc << int(IDNO);
        QTest::newRow("escape on yes/no/cancel answers no")
            << unsigned(Mb::YesNoCancel) << true << esc << int(IDNO);
        QTest::newRow("escape on ok/cancel cancels")
            << unsigned(Mb::OkCancel) << false << esc << int(IDCANCEL);
        QTest::newRow("escape on ok does nothing")
            << unsigned(Mb::Ok | Mb::IconExclamation) << false << esc << 0;
        QTest::newRow("close box cancels") << unsigned(Mb::YesNo) << true << 0 << int(IDCANCEL);
        const int enter = Qt::Key_Return;
        QTest::newRow("enter on yes/no answers yes")
            << unsigned(Mb::YesNo) << false << enter << int(IDYES);
        QTest::newRow("enter on yes/no, second default, answers no")
            << unsigned(Mb::YesNo | Mb::DefButton2) << false << enter << int(IDNO);
        QTest::newRow("enter on ok/cancel, second default, cancels")
            << unsigned(Mb::OkCancel | Mb::DefButton2) << false << enter << int(IDCANCEL);
        QTest::newRow("enter on ok, second default, answers ok")
            << unsigned(Mb::Ok | Mb::DefButton2) << false << enter << int(IDOK);
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
        if (key)
            QTest::keyClick(dlg.focusWidget() ? dlg.focusWidget() : &dlg, Qt::Key(key));
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

    void noIconTypeShowsTheAppIconSilently()
    {
        CConfirmDlg dlg(nullptr, u"text"_qs, Mb::YesNo, false);
        QCOMPARE(dlg.Beep(), -1);
        const QImage image = Image(dlg.IconLabel()->pixmap());
        QVERIFY(!image.isNull());
        QCOMPARE(image, Image(QApplication::windowIcon().pixmap(image.size())));
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
};

QTEST_MAIN(tst_CConfirmDlg)
#include "tst_cconfirmdlg.moc"
