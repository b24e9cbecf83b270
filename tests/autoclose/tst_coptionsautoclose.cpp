#include "CAutoCloseDlg.h"
#include "CConfirmDlg.h"
#include "COptionsAutoClose.h"
#include "CSettings.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

// The list page: rows made from the settings, the entry dialog behind New and Edit,
// the delete question and where the selection goes, and OK writing the rows back with
// the count each entry has.
class TestOptionsAutoClose : public QObject
{
    Q_OBJECT

    CSettings m_settings;
    std::unique_ptr<COptionsAutoClose> m_page;

    QStringList Rows() const
    {
        QStringList rows;
        QTreeWidget *list = m_page->List();
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = list->topLevelItem(i);
            rows << item->text(0) + u'|' + item->text(1) + u'|' + item->text(2);
        }
        return rows;
    }

    void ClickRow(int nRow)
    {
        QTreeWidget *list = m_page->List();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->topLevelItem(nRow)).center());
    }

    bool ButtonsEnabled() const
    {
        return m_page->EditButton()->isEnabled() && m_page->DeleteButton()->isEnabled();
    }

private slots:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(u"^(?!This plugin does not support )"_qs));
        m_settings.AutoCloseList
            = {u"http://a.example/"_qs, QString(), u"!http://b.example/*"_qs, u"c"_qs};
        m_settings.AutoCloseCount = {5, 9, 2};
        m_page = std::make_unique<COptionsAutoClose>(m_settings);
        m_page->Initialize();
        m_page->resize(500, 300);
        m_page->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    }

    void cleanup()
    {
        m_page.reset();
        QVERIFY(!CConfirmDlg::HasPendingAnswers());
        QVERIFY(!CAutoCloseDlg::HasPendingScripts());
        CConfirmDlg::ClearNextAnswers();
        CAutoCloseDlg::ClearNextScripts();
    }

    void rowsShowTheEntries()
    {
        QCOMPARE(m_page->List()->headerItem()->text(0), u"Link"_qs);
        QCOMPARE(m_page->List()->headerItem()->text(1), u"Status"_qs);
        QCOMPARE(m_page->List()->headerItem()->text(2), u"Closed"_qs);
        // The empty entry is no row, and the counts stay with their entries.
        QCOMPARE(Rows(),
                 QStringList({u"http://a.example/|Enabled|5"_qs,
                              u"http://b.example/*|Disabled|2"_qs, u"c|Enabled|0"_qs}));
        QCOMPARE(m_page->GetSelectedIndex(), -1);
        QVERIFY(!m_page->EditButton()->isEnabled() && !m_page->DeleteButton()->isEnabled());
        QVERIFY(m_page->NewButton()->isEnabled());
    }

    void duplicates_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("except");
        QTest::addColumn<bool>("duplicate");
        QTest::newRow("other case") << u"HTTP://A.Example/"_qs << -1 << true;
        QTest::newRow("star counts") << u"http://a.example/*"_qs << -1 << false;
        QTest::newRow("disabled row, star") << u"http://B.example/*"_qs << -1 << true;
        QTest::newRow("one mark dropped") << u"!c"_qs << -1 << true;
        QTest::newRow("two marks") << u"!!c"_qs << -1 << false;
        QTest::newRow("its own row") << u"c"_qs << 2 << false;
        QTest::newRow("another row left out") << u"c"_qs << 0 << true;
        QTest::newRow("empty") << u"!"_qs << -1 << false;
    }
    void duplicates()
    {
        QFETCH(QString, address);
        QFETCH(int, except);
        QTEST(m_page->IsDuplicate(address, except), "duplicate");
    }

    void newRowRefusedAsDuplicateThenAdded()
    {
        CAutoCloseDlg::SetNextScript([](CAutoCloseDlg &dlg) {
            QVERIFY(!dlg.DoNotDisplayBox()->isVisible());
            QTest::keyClicks(dlg.AddressEdit(), u"C"_qs);
            CConfirmDlg::SetNextAnswer(IDOK);
            QTest::mouseClick(dlg.OkButton(), Qt::LeftButton);
            QVERIFY(dlg.isVisible());
            QTest::mouseClick(dlg.CancelButton(), Qt::LeftButton);
        });
        QTest::mouseClick(m_page->NewButton(), Qt::LeftButton);
        QCOMPARE(Rows().size(), 3);

        CAutoCloseDlg::SetNextScript([](CAutoCloseDlg &dlg) {
            QTest::keyClicks(dlg.AddressEdit(), u"d"_qs);
            QTest::mouseClick(dlg.EnableBox(), Qt::LeftButton);
            QTest::mouseClick(dlg.OkButton(), Qt::LeftButton);
        });
        QTest::mouseClick(m_page->NewButton(), Qt::LeftButton);
        QCOMPARE(Rows().last(), u"d|Disabled|0"_qs);
        QCOMPARE(m_page->GetSelectedIndex(), 3);
        QVERIFY(ButtonsEnabled());
    }

    void disabledRowEditedKeepsItsMark()
    {
        ClickRow(1);
        QVERIFY(ButtonsEnabled());
        CAutoCloseDlg::SetNextScript([](CAutoCloseDlg &dlg) {
            QCOMPARE(dlg.AddressEdit()->text(), u"http://b.example/*"_qs);
            QVERIFY(!dlg.EnableBox()->isChecked());
            QTest::keyClick(dlg.AddressEdit(), Qt::Key_End);
            QTest::keyClick(dlg.AddressEdit(), Qt::Key_Backspace);
            QTest::mouseClick(dlg.OkButton(), Qt::LeftButton);
        });
        // A double-click edits as the button does.
        QTreeWidget *list = m_page->List();
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                           list->visualItemRect(list->topLevelItem(1)).center());
        QCOMPARE(Rows().at(1), u"http://b.example/|Disabled|2"_qs);
        QCOMPARE(m_page->GetEntryString(1), u"!http://b.example/"_qs);
        QCOMPARE(m_page->GetSelectedIndex(), 1);
    }

    void deleteMovesTheSelectionWhateverTheAnswer_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("selected");
        QTest::newRow("No, middle row") << 1 << int(IDNO) << 3 << 0;
        QTest::newRow("No, first row: to the last") << 0 << int(IDNO) << 3 << 2;
        QTest::newRow("Yes, last row") << 2 << int(IDYES) << 2 << 1;
        QTest::newRow("Yes, first row") << 0 << int(IDYES) << 2 << 1;
    }
    void deleteMovesTheSelectionWhateverTheAnswer()
    {
        QFETCH(int, row);
        QFETCH(int, answer);
        ClickRow(row);
        QString address;
        bool bEnabled = true;
        QVERIFY(m_page->GetListItem(row, address, bEnabled));
        CConfirmDlg::SetNextAnswer(answer);
        QTest::keyClick(m_page->List(), Qt::Key_Delete);
        QCOMPARE(CConfirmDlg::LastText(),
                 u"Are you going to delete address \"%1\"?"_qs.arg(address));
        QTEST(int(Rows().size()), "rows");
        QTEST(m_page->GetSelectedIndex(), "selected");
        QVERIFY(ButtonsEnabled());
    }

    void deletingTheOnlyRowLeavesNothingToEdit()
    {
        m_settings.AutoCloseList = {u"only"_qs};
        m_page = std::make_unique<COptionsAutoClose>(m_settings);
        m_page->Initialize();
        m_page->show();
        m_page->List()->setCurrentItem(m_page->List()->topLevelItem(0));
        QVERIFY(ButtonsEnabled());
        CConfirmDlg::SetNextAnswer(IDYES);
        QTest::mouseClick(m_page->DeleteButton(), Qt::LeftButton);
        QVERIFY(Rows().isEmpty());
        QCOMPARE(m_page->GetSelectedIndex(), -1);
        QVERIFY(!m_page->EditButton()->isEnabled() && !m_page->DeleteButton()->isEnabled());
        // Nothing selected: the key asks nothing.
        QTest::keyClick(m_page->List(), Qt::Key_Delete);
    }

    void okWritesTheRowsWithTheirCounts()
    {
        CConfirmDlg::SetNextAnswer(IDYES);
        ClickRow(0);
        QTest::mouseClick(m_page->DeleteButton(), Qt::LeftButton);
        CAutoCloseDlg::SetNextScript([](CAutoCloseDlg &dlg) {
            QTest::keyClicks(dlg.AddressEdit(), u"new"_qs);
            QTest::mouseClick(dlg.OkButton(), Qt::LeftButton);
        });
        QTest::mouseClick(m_page->NewButton(), Qt::LeftButton);
        // A window closed while the sheet is open counts too.
        m_settings.CountAutoClose(2);
        QCOMPARE(m_settings.AutoCloseList.size(), 4); // nothing written before OK

        m_page->OnOK();
        QCOMPARE(m_settings.AutoCloseList,
                 QStringList({u"!http://b.example/*"_qs, u"c"_qs, u"new"_qs}));
        QCOMPARE(m_settings.AutoCloseCount, (QList<int> {3, 0, 0}));
    }
};

QTEST_MAIN(TestOptionsAutoClose)
#include "tst_coptionsautoclose.moc"
