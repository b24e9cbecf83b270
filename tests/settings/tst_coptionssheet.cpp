#include "CConfirmDlg.h"
#include "COptionsConfirms.h"
#include "COptionsGeneral.h"
#include "COptionsSheet.h"
#include "COptionsWindows.h"
#include "CSettings.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>

// The sheet around its pages: a page writes only when it was shown, OK writes those
// pages, Cancel nothing, and all of it works from the keyboard.
class TestOptionsSheet : public QObject
{
    Q_OBJECT

    CSettings m_settings;
    std::unique_ptr<COptionsSheet> m_sheet;

    enum { PageGeneral, PageWindows, PageConfirms };

    template<class TPage> TPage *Page(int nIndex) const
    {
        return static_cast<TPage *>(m_sheet->GetPage(nIndex));
    }

    void ClickTab(int nIndex)
    {
        QTabBar *tabs = m_sheet->TabWidget()->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(nIndex).center());
    }

    // On the box itself: a wide check box's free right part takes no click.
    static void Click(QAbstractButton *pButton)
    {
        QTest::mouseClick(pButton, Qt::LeftButton, {},
                          QPoint(qMin(8, pButton->width() / 2), pButton->height() / 2));
    }

    static void Type(int nKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(nKey), modifiers);
    }

    // Values the pages would never write, so any write shows.
    static void Unusual(CSettings &s)
    {
        s.SetDefaults();
        s.StartMode = 9;
        s.ActivateMode = 5;
        s.ActivateNewWindow = 7;
        s.DisplaySplash = 7;
        s.ConfirmExitApp = 7;
        s.ConfirmAddToAutoClose = 7;
        s.CustomHomepage = u"http://custom.example/"_qs;
    }

    static bool SameRecord(const CSettings &a, const CSettings &b)
    {
        return a.StartMode == b.StartMode && a.ActivateMode == b.ActivateMode
            && a.ActivateNewWindow == b.ActivateNewWindow && a.OpenInNewWindow == b.OpenInNewWindow
            && a.DisplaySplash == b.DisplaySplash && a.MultipleInstance == b.MultipleInstance
            && a.CheckDefaultBrowser == b.CheckDefaultBrowser
            && a.ConfirmExitApp == b.ConfirmExitApp
            && a.ConfirmAddToAutoClose == b.ConfirmAddToAutoClose
            && a.CustomHomepage == b.CustomHomepage;
    }

    void Open()
    {
        m_sheet = std::make_unique<COptionsSheet>();
        m_sheet->AddPage(new COptionsGeneral(m_settings, u"http://engine.example/"_qs));
        m_sheet->AddPage(new COptionsWindows(m_settings));
        m_sheet->AddPage(new COptionsConfirms(m_settings));
        m_sheet->show();
        QVERIFY(QTest::qWaitForWindowActive(m_sheet.get()));
    }

private slots:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(u"^(?!This plugin does not support )"_qs));
        Unusual(m_settings);
        Open();
    }

    void cleanup()
    {
        m_sheet.reset();
        QVERIFY(!CConfirmDlg::HasPendingAnswers());
        CConfirmDlg::ClearNextAnswers();
    }

    void looksAsItShould()
    {
        QCOMPARE(m_sheet->windowTitle(), u"Quillbrow Options"_qs);
        QStringList tabs;
        for (int i = 0; i < m_sheet->TabWidget()->count(); ++i)
            tabs << m_sheet->TabWidget()->tabText(i);
        QCOMPARE(tabs, QStringList({u"General"_qs, u"Windows"_qs, u"Confirms"_qs}));
        QCOMPARE(m_sheet->GetActiveIndex(), int(PageGeneral));
        QVERIFY(!m_sheet->ApplyButton()->isEnabled());
    }

    void onlyShownPagesWrite()
    {
        CSettings before;
        Unusual(before);
        QVERIFY(!Page<COptionsWindows>(PageWindows)->IsInitialized());
        QTest::mouseClick(m_sheet->OkButton(), Qt::LeftButton);
        QCOMPARE(m_sheet->result(), int(IDOK));
        // The General page was shown: mode 9 showed "Blank" and is written as 0.
        QCOMPARE(m_settings.StartMode, 0);
        QCOMPARE(m_settings.DisplaySplash, 1);
        before.StartMode = 0;
        before.DisplaySplash = 1;
        QVERIFY(SameRecord(m_settings, before));

        // A second run that shows the Windows page writes it too.
        Unusual(m_settings);
        Open();
        ClickTab(PageWindows);
        QVERIFY(Page<COptionsWindows>(PageWindows)->PreviousRadio()->isChecked());
        QTest::mouseClick(m_sheet->OkButton(), Qt::LeftButton);
        QCOMPARE(m_settings.ActivateMode, 0);
        QCOMPARE(m_settings.ActivateNewWindow, 1);
        QCOMPARE(m_settings.ConfirmExitApp, 7);
    }

    void cancelChangesNothing()
    {
        for (int page : {PageWindows, PageConfirms}) {
            ClickTab(page);
            const auto boxes = m_sheet->GetPage(page)->findChildren<QCheckBox *>();
            for (QCheckBox *box : boxes)
                Click(box);
        }
        // A question queued here would still be waiting if Cancel asked one.
        CConfirmDlg::SetNextAnswer(IDOK);
        Type(Qt::Key_Escape);
        QCOMPARE(m_sheet->result(), int(IDCANCEL));
        QVERIFY(!m_sheet->isVisible());
        QVERIFY(CConfirmDlg::HasPendingAnswers());
        CConfirmDlg::ClearNextAnswers();
        CSettings before;
        Unusual(before);
        QVERIFY(SameRecord(m_settings, before));
    }

    void confirmsBoxesMatchTheirFlags()
    {
        int CSettings::*const flags[]
            = {&CSettings::ConfirmExitApp,        &CSettings::ConfirmCloseAll,
               &CSettings::ConfirmCloseAllEx,     &CSettings::ConfirmUserClose,
               &CSettings::ConfirmSynchronize,    &CSettings::ConfirmClearAddress,
               &CSettings::ConfirmAddToAutoClose, &CSettings::ConfirmReopenWindows};
        const int n = int(std::size(flags));
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j)
                m_settings.*flags[j] = j == i ? 1 : 0;
            Open();
            ClickTab(PageConfirms);
            const QList<QCheckBox *> boxes = Page<COptionsConfirms>(PageConfirms)->Boxes();
            QCOMPARE(boxes.size(), n);
            for (int j = 0; j < n; ++j)
                QCOMPARE(boxes[j]->isChecked(), j == i);
            // Switched on again where the question itself switched it off, and back.
            Click(boxes[i]);
            Click(boxes[(i + 1) % n]);
            QTest::mouseClick(m_sheet->OkButton(), Qt::LeftButton);
            for (int j = 0; j < n; ++j)
                QCOMPARE(m_settings.*flags[j], j == (i + 1) % n ? 1 : 0);
        }
    }

    void keyboardAlone()
    {
        // Ctrl+Tab to the next page, a mnemonic to choose, Enter for OK.
        Type(Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(m_sheet->GetActiveIndex(), int(PageWindows));
        QRadioButton *next = Page<COptionsWindows>(PageWindows)->NextRadio();
        Type(Qt::Key_N, Qt::AltModifier);
        QTRY_VERIFY(next->isChecked());
        QCOMPARE(QApplication::focusWidget(), next);
        Type(Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(m_sheet->GetActiveIndex(), int(PageGeneral));
        Type(Qt::Key_Return);
        QCOMPARE(m_sheet->result(), int(IDOK));
        QCOMPARE(m_settings.ActivateMode, 1);
    }
};

QTEST_MAIN(TestOptionsSheet)
#include "tst_coptionssheet.moc"
