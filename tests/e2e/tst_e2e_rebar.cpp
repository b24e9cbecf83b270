#include "CAddressBar.h"
#include "CConfirmDlg.h"
#include "CFlatButton.h"
#include "CMainFrame.h"
#include "CMainReBar.h"
#include "CTestServer.h"
#include "CUserSession.h"
#include "EngineTestUtil.h"

#include <QApplication>
#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

constexpr int kToolBar = CMainFrame::BandToolBar;
constexpr int kAddressBar = CMainFrame::BandAddressBar;
constexpr int kAnimation = CMainFrame::BandAnimation;
constexpr int kWindowsBar = CMainFrame::BandWindowsBar;

// The button's resting picture: what it shows unhovered, whatever the pointer or
// the window's activation did to it meanwhile.
QImage Picture(const CFlatButton *button)
{
    return button->Image(CFlatButton::Normal).toImage();
}

} // namespace

// The bars as the user arranges them and as they follow the desktop's colours.
class TestE2EReBar : public QObject
{
    Q_OBJECT

    CTestServer m_server;
    std::unique_ptr<CUserSession> m_user;
    QPalette m_palette;

    QString Url(const QString &path) const { return m_server.Url(path).toString(); }
    CMainReBar *ReBar() const { return m_user->Frame()->ReBar(); }

    void StartAt(const QString &path)
    {
        m_user = CUserSession::StartAt(Url(path));
        QVERIFY(m_user);
    }

    // Where each bar is on screen, by band id.
    QMap<int, QRect> BarGeometries() const
    {
        QMap<int, QRect> geometries;
        for (int nId : {kToolBar, kAddressBar, kAnimation, kWindowsBar})
            geometries.insert(nId, m_user->Frame()->GetBandChild(nId)->geometry());
        return geometries;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.Start());
        m_server.RoutePage(u"/one"_qs, u"Page one"_qs);
        m_palette = QApplication::palette();
    }

    void cleanup()
    {
        QApplication::setPalette(m_palette);
        m_user.reset();
        QVERIFY(CUserSession::NoAnswersLeft());
    }

    void arrangedBarsComeBackAtNextStart()
    {
        StartAt(u"/one"_qs);
        using Rows = QList<QList<int>>;
        QCOMPARE(ReBar()->BandRows(), (Rows {{kToolBar, kAddressBar, kAnimation}, {kWindowsBar}}));
        const int nTwoRows = ReBar()->height();

        // The Windows Bar's gripper, dragged up and right onto the first row, into the
        // toolbar's band: the Windows Bar goes between the toolbar and the address
        // bar, the toolbar giving it room. (Its width stays above the minimum that a
        // stored layout gives it, so the same widths come back.)
        const QPoint from = ReBar()->GripperRect(kWindowsBar).center();
        const QPoint to(200, ReBar()->GripperRect(kToolBar).center().y());
        QList<QPoint> path;
        for (int step = 1; step <= 5; ++step)
            path << from + (to - from) * step / 5;
        m_user->DragOnReBar(from, path);
        QCOMPARE(ReBar()->BandRows(), (Rows {{kToolBar, kWindowsBar, kAddressBar, kAnimation}}));
        QTRY_VERIFY(ReBar()->height() < nTwoRows);
        // Its gripper is where the pointer let go.
        QVERIFY(ReBar()->GripperRect(kWindowsBar).contains(to));

        // A double-click on the address bar's gripper toggles its width.
        CAddressBar *address = m_user->Frame()->AddressBar();
        const int nAddressWidth = address->width();
        m_user->DoubleClickOnReBar(ReBar()->GripperRect(kAddressBar).center());
        QVERIFY(address->width() != nAddressWidth);
        const QMap<int, QRect> arranged = BarGeometries();

        CConfirmDlg::SetNextAnswer(IDYES);
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"Exit"_qs}));
        QVERIFY(m_user->WaitForExit());
        m_user.reset();

        StartAt(u"/one"_qs);
        QCOMPARE(ReBar()->BandRows(), (Rows {{kToolBar, kWindowsBar, kAddressBar, kAnimation}}));
        QTRY_COMPARE(BarGeometries(), arranged);
    }

    void colourChangeRedrawsBarImages()
    {
        StartAt(u"/one"_qs);
        QToolButton *newBlank = m_user->ToolButton(u"New Blank"_qs);
        QVERIFY(newBlank);
        auto *navigate = m_user->Frame()->AddressBar()->findChild<CFlatButton *>();
        QVERIFY(navigate);
        const QImage newBlankBefore = newBlank->icon().pixmap(newBlank->iconSize()).toImage();
        const QImage navigateBefore = Picture(navigate);

        // A dark colour scheme, as a desktop switches to at night.
        QPalette dark = m_palette;
        dark.setColor(QPalette::Window, QColor(0x30, 0x30, 0x34));
        dark.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x40));
        dark.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
        dark.setColor(QPalette::Light, QColor(0x5a, 0x5a, 0x60));
        dark.setColor(QPalette::Dark, QColor(0x18, 0x18, 0x1c));
        QApplication::setPalette(dark);

        // Redrawing waits for the style's change events: generous bounds for slow builds.
        QTRY_VERIFY_WITH_TIMEOUT(
            newBlank->icon().pixmap(newBlank->iconSize()).toImage() != newBlankBefore, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(Picture(navigate) != navigateBefore, 30000);
        QCOMPARE(ReBar()->grab().toImage().pixelColor(0, 0), dark.color(QPalette::Window));

        // And back: the images are those of the first colours again.
        QApplication::setPalette(m_palette);
        QTRY_COMPARE_WITH_TIMEOUT(newBlank->icon().pixmap(newBlank->iconSize()).toImage(),
                                  newBlankBefore, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(Picture(navigate), navigateBefore, 30000);
    }

    void themeChangeRedrawsToolbarImages()
    {
        StartAt(u"/one"_qs);
        QToolButton *newBlank = m_user->ToolButton(u"New Blank"_qs);
        QVERIFY(newBlank);

        // An icon theme whose new-document icon is a plain red square.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QDir(dir.path()).mkpath(u"red/22x22"_qs);
        QFile index(dir.filePath(u"red/index.theme"_qs));
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.write("[Icon Theme]\nName=red\nDirectories=22x22\n\n[22x22]\nSize=22\n");
        index.close();
        QImage red(22, 22, QImage::Format_ARGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(dir.filePath(u"red/22x22/document-new.png"_qs)));
        const QStringList searchPaths = QIcon::themeSearchPaths();
        const QString themeName = QIcon::themeName();
        const auto restore = qScopeGuard([&] {
            QIcon::setThemeSearchPaths(searchPaths);
            QIcon::setThemeName(themeName);
        });
        QIcon::setThemeSearchPaths({dir.path()});
        QIcon::setThemeName(u"red"_qs);

        // The desktop tells the program's window that its theme changed.
        const auto hotCentre = [newBlank] {
            const QImage hot
                = newBlank->icon().pixmap(newBlank->iconSize(), QIcon::Active).toImage();
            return hot.pixelColor(hot.width() / 2, hot.height() / 2);
        };
        QVERIFY(hotCentre() != QColor(Qt::red));

        QEvent themeChange(QEvent::ThemeChange);
        QCoreApplication::sendEvent(m_user->Frame()->windowHandle(), &themeChange);
        QCOMPARE(hotCentre(), QColor(Qt::red));
    }
};

QUILLBROW_E2E_TEST_MAIN(TestE2EReBar)
#include "tst_e2e_rebar.moc"
