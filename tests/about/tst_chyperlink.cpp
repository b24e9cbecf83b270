#include "CConfirmDlg.h"
#include "CHyperLink.h"
#include "CStringIds.h"
#include "CStringTable.h"

#include <QVBoxLayout>
#include <QtTest>

// The link control: its look, the area that takes a click, and what a target nothing
// opens does.
class TestCHyperLink : public QObject
{
    Q_OBJECT

    QTemporaryDir m_system;

private slots:
    void initTestCase()
    {
        QVERIFY(m_system.isValid());
        // No program of this machine opens anything here.
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(m_system.filePath(u"config"_qs)));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(m_system.filePath(u"data"_qs)));
    }
    void cleanup()
    {
        const bool bLeft = CConfirmDlg::HasPendingAnswers();
        CConfirmDlg::ClearNextAnswers();
        QVERIFY2(!bLeft, "a message that should have been shown was not");
    }

    void targetDefaultsToTheText()
    {
        CHyperLink link;
        link.AttachLink(u"https://a.example/"_qs);
        QCOMPARE(link.text(), u"https://a.example/"_qs);
        QCOMPARE(link.Target(), u"https://a.example/"_qs);
        link.AttachLink(u"me@a.example"_qs, u"mailto:me@a.example"_qs);
        QCOMPARE(link.text(), u"me@a.example"_qs);
        QCOMPARE(link.Target(), u"mailto:me@a.example"_qs);
    }

    void looksLikeALink()
    {
        CHyperLink link;
        link.AttachLink(u"https://a.example/"_qs);
        QCOMPARE(link.palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QVERIFY(link.font().underline());
        QCOMPARE(link.cursor().shape(), Qt::PointingHandCursor);
        // A font given later (a bold parent, a new desktop font) stays underlined and
        // the width follows the text.
        QFont big = link.font();
        big.setUnderline(false);
        big.setPointSize(big.pointSize() * 2);
        link.setFont(big);
        QVERIFY(link.font().underline());
        QCOMPARE(link.width(), link.fontMetrics().horizontalAdvance(link.text()));
    }

    // In a layout that offers far more room, the link takes only its text's width, so a
    // click just right of the text lands on the window, not the link.
    void onlyTheTextIsClickable()
    {
        QWidget window;
        window.setMinimumWidth(600);
        auto *pLayout = new QVBoxLayout(&window);
        auto *pLink = new CHyperLink(&window);
        pLayout->addWidget(pLink, 0, Qt::AlignLeft);
        pLink->AttachLink(u"nowhere:opened"_qs);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const int textWidth = pLink->fontMetrics().horizontalAdvance(pLink->text());
        QCOMPARE(pLink->width(), textWidth);

        QSignalSpy clicked(pLink, &CHyperLink::clicked);
        const QPoint beside = pLink->geometry().topRight() + QPoint(2, pLink->height() / 2);
        QCOMPARE(window.childAt(beside), nullptr);
        QTest::mouseClick(&window, Qt::LeftButton, {}, beside);
        QCOMPARE(clicked.size(), 0);

        // On the text: no program takes the scheme, which the user is told.
        CConfirmDlg::SetNextAnswer(IDOK);
        QTest::mouseClick(pLink, Qt::LeftButton, {}, QPoint(textWidth - 1, pLink->height() / 2));
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(CConfirmDlg::LastText(),
                 LoadStringWith(IDS_CANNOT_OPEN_LINK, u"link"_qs, u"nowhere:opened"_qs));
        QCOMPARE(CConfirmDlg::LastCaption(), LoadString(IDS_ERROR_CAPTION));
        QVERIFY(window.isVisible());
    }
};

QTEST_MAIN(TestCHyperLink)
#include "tst_chyperlink.moc"
