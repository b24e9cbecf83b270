#include "CConfirmDlg.h"
#include "CDefaultBrowser.h"
#include "COptionsGeneral.h"
#include "COptionsSheet.h"
#include "COptionsWindows.h"
#include "CSettings.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>

// The General page in its sheet: the start mode and its two addresses, the one input
// refused (an empty custom start page), and "Set Default...".
class TestOptionsGeneral : public QObject
{
    Q_OBJECT

    CSettings m_settings;
    std::unique_ptr<COptionsSheet> m_sheet;
    COptionsGeneral *m_page = nullptr;

    void Open(const QString &engineHomepage = u"http://engine.example/"_qs)
    {
        m_sheet = std::make_unique<COptionsSheet>();
        m_page = new COptionsGeneral(m_settings, engineHomepage);
        m_sheet->AddPage(m_page);
        m_sheet->AddPage(new COptionsWindows(m_settings));
        m_sheet->show();
        QVERIFY(QTest::qWaitForWindowActive(m_sheet.get()));
    }

    // On the box or the button itself: a wide radio's free right part takes no click.
    void Click(QAbstractButton *pButton)
    {
        QTest::mouseClick(pButton, Qt::LeftButton, {},
                          QPoint(qMin(8, pButton->width() / 2), pButton->height() / 2));
    }

    void ClickTab(int nIndex)
    {
        QTabBar *tabs = m_sheet->TabWidget()->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(nIndex).center());
    }

private slots:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(u"^(?!This plugin does not support )"_qs));
        m_settings.SetDefaults();
        m_settings.CustomHomepage = u"http://custom.example/"_qs;
    }

    void cleanup()
    {
        m_sheet.reset();
        QVERIFY(!CConfirmDlg::HasPendingAnswers());
        CConfirmDlg::ClearNextAnswers();
    }

    void startMode_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("radio"); // 0 Blank, 1 Last Visited, 2 engine's, 3 Custom
        QTest::addColumn<int>("written");
        QTest::newRow("blank") << 0 << 0 << 0;
        QTest::newRow("last visited") << 1 << 1 << 1;
        QTest::newRow("engine's home page") << 2 << 2 << 2;
        QTest::newRow("custom") << 3 << 3 << 3;
        QTest::newRow("unknown 9 shows blank") << 9 << 0 << 0;
        QTest::newRow("negative shows blank") << -1 << 0 << 0;
    }
    void startMode()
    {
        QFETCH(int, mode);
        QFETCH(int, radio);
        m_settings.StartMode = mode;
        Open();
        const QList<QRadioButton *> radios = {m_page->BlankRadio(), m_page->LastVisitedRadio(),
                                              m_page->EngineHomepageRadio(), m_page->CustomRadio()};
        for (int i = 0; i < radios.size(); ++i)
            QCOMPARE(radios[i]->isChecked(), i == radio);
        // Only the chosen start's address can be reached; the engine's is read-only.
        QCOMPARE(m_page->EngineHomepageEdit()->isEnabled(), radio == 2);
        QCOMPARE(m_page->CustomEdit()->isEnabled(), radio == 3);
        QVERIFY(m_page->EngineHomepageEdit()->isReadOnly());
        QCOMPARE(m_page->EngineHomepageEdit()->text(), u"http://engine.example/"_qs);
        QCOMPARE(m_page->CustomEdit()->text(), u"http://custom.example/"_qs);
        if (radio >= 2) {
            QLineEdit *edit = radio == 2 ? m_page->EngineHomepageEdit() : m_page->CustomEdit();
            QCOMPARE(QApplication::focusWidget(), edit);
            QCOMPARE(edit->selectedText(), edit->text());
        }
        Click(m_sheet->OkButton());
        QTEST(m_settings.StartMode, "written");
    }

    void blankKeepsTheCustomAddress()
    {
        m_settings.StartMode = 3;
        m_settings.MultipleInstance = 0;
        Open(QString());
        QCOMPARE(m_page->EngineHomepageEdit()->text(), QString());
        QTest::keyClicks(m_page->CustomEdit(), u"http://other.example/"_qs);
        Click(m_page->BlankRadio());
        QVERIFY(!m_page->CustomEdit()->isEnabled());
        QCOMPARE(m_page->CustomEdit()->text(), u"http://other.example/"_qs);
        Click(m_page->MultipleInstanceBox());
        Click(m_sheet->OkButton());
        QCOMPARE(m_settings.StartMode, 0);
        QCOMPARE(m_settings.CustomHomepage, u"http://other.example/"_qs);
        QCOMPARE(m_settings.MultipleInstance, 1);
    }

    void emptyCustomAddressKeepsThePage()
    {
        Open();
        Click(m_page->CustomRadio());
        QCOMPARE(QApplication::focusWidget(), m_page->CustomEdit());
        QTest::keyClick(m_page->CustomEdit(), Qt::Key_Delete);

        // Leaving by the tab, by the keyboard and by OK: each time the message, and the
        // address to type next.
        CConfirmDlg::SetNextAnswer(IDOK);
        ClickTab(1);
        QCOMPARE(CConfirmDlg::LastText(), u"Invalid address. It cannot be empty here."_qs);
        QCOMPARE(m_sheet->GetActiveIndex(), 0);
        QCOMPARE(m_sheet->TabWidget()->currentIndex(), 0);
        CConfirmDlg::SetNextAnswer(IDOK);
        QTest::keyClick(m_page->CustomEdit(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(m_sheet->TabWidget()->currentIndex(), 0);
        QTRY_COMPARE(QApplication::focusWidget(), m_page->CustomEdit());
        CConfirmDlg::SetNextAnswer(IDOK);
        Click(m_sheet->OkButton());
        QVERIFY(m_sheet->isVisible());
        QVERIFY(!CConfirmDlg::HasPendingAnswers());
        QCOMPARE(m_settings.StartMode, 2);

        // One character is an address; Cancel never asks.
        QTest::keyClicks(m_page->CustomEdit(), u"x"_qs);
        ClickTab(1);
        QCOMPARE(m_sheet->GetActiveIndex(), 1);
        ClickTab(0);
        QTest::keyClick(m_page->CustomEdit(), Qt::Key_Backspace);
        CConfirmDlg::SetNextAnswer(IDOK);
        Click(m_sheet->CancelButton());
        QVERIFY(!m_sheet->isVisible());
        QVERIFY(CConfirmDlg::HasPendingAnswers());
        CConfirmDlg::ClearNextAnswers();
        QCOMPARE(m_settings.CustomHomepage, u"http://custom.example/"_qs);
    }

    void setDefaultActsAtOnce_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes") << int(IDYES);
        QTest::newRow("No") << int(IDNO);
    }
    void setDefaultActsAtOnce()
    {
        QFETCH(int, answer);
        QVERIFY(!DefaultBrowser::IsDefaultBrowser());
        Open();
        CConfirmDlg::SetNextAnswer(answer);
        Click(m_page->SetDefaultButton());
        QCOMPARE(CConfirmDlg::LastText(),
                 u"Are you going to make Quillbrow the default browser?"_qs);
        Click(m_sheet->CancelButton());
        QCOMPARE(DefaultBrowser::IsDefaultBrowser(), answer == IDYES);
        // Back to a desktop without the claim for the next row.
        QFile::remove(qEnvironmentVariable("XDG_CONFIG_HOME") + u"/mimeapps.list"_qs);
    }
};

QTEST_MAIN(TestOptionsGeneral)
#include "tst_coptionsgeneral.moc"
