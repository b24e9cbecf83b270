#include "CMainFrame.h"

#include "CBrowserWindow.h"
#include "CChildFrame.h"
#include "CFramePlacement.h"
#include "CQuillbrowDoc.h"
#include "CQuillbrowView.h"
#include "CRegistry.h"
#include "CSettings.h"
#include "CStringTable.h"
#include "CWebEngine.h"
#include "CWindowsBar.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMdiArea>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {
const QString kSettingsSection = QStringLiteral("Settings");
const QString kPlacementValue = QStringLiteral("MainFramePosition");
constexpr int kIdAppTitle = 57344;
constexpr int kIdReady = 57345;

// Length of the well-formed UTF-8 sequence at i, 0 when there is none (a stray
// continuation byte, a truncated sequence, an overlong form or a surrogate).
qsizetype Utf8SequenceLength(const QByteArray &text, qsizetype i)
{
    const auto at = [&](qsizetype k) {
        return uchar(text[k]);
    };
    const uchar c = at(i);
    if (c < 0x80)
        return 1;
    qsizetype len = 0;
    uchar lo = 0x80, hi = 0xBF; // allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        lo = c == 0xE0 ? 0xA0 : 0x80;
        hi = c == 0xED ? 0x9F : 0xBF;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        lo = c == 0xF0 ? 0x90 : 0x80;
        hi = c == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + len > text.size() || at(i + 1) < lo || at(i + 1) > hi)
        return 0;
    for (qsizetype k = 2; k < len; ++k) {
        if (at(i + k) < 0x80 || at(i + k) > 0xBF)
            return 0;
    }
    return len;
}
} // namespace

CMainFrame::CMainFrame(CSettings &settings, QWidget *parent)
    : QMainWindow(parent)
    , m_settings(settings)
    , m_pMdiArea(new QMdiArea(this))
    , m_pWindowsBar(new CWindowsBar(this))
    , m_engineFactory([] { return std::make_unique<CWebEngine>(); })
{
    setWindowTitle(LoadString(kIdAppTitle));
    setObjectName(QStringLiteral("MainFrame"));
    m_pMdiArea->setObjectName(QStringLiteral("MdiArea"));
    m_pWindowsBar->setObjectName(QStringLiteral("WindowsBar"));
    m_pWindowsBar->SetActiveChildMaximizedQuery([this] { return IsActiveChildMaximized(); });
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_pWindowsBar);
    layout->addWidget(m_pMdiArea, 1);
    setCentralWidget(central);
    connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::OnSubWindowActivated);
    m_bChildMaximized = m_settings.MaximizeChild != 0;
    const QString ready = LoadString(kIdReady);
    SetStatusText(ready.isEmpty() ? QStringLiteral("Ready") : ready);
    resize(1024, 720);
}

CMainFrame::~CMainFrame()
{
    m_settings.MaximizeChild = m_bChildMaximized ? 1 : 0;
    m_settings.LastVisited = m_strLastAddress;
    // Windows go before the bar they have tabs in.
    m_bLastAddressFrozen = true;
    disconnect(m_pMdiArea, nullptr, this, nullptr);
    // Closed windows waiting for their deferred delete are no longer in the MDI list.
    const auto windows = m_pMdiArea->findChildren<CChildFrame *>();
    for (CChildFrame *window : windows)
        delete window;
}

CQuillbrowView *CMainFrame::GetActiveHtmlView() const
{
    auto *frame = qobject_cast<CChildFrame *>(m_pMdiArea->currentSubWindow());
    return frame && frame->isVisible() ? frame->GetActiveView() : nullptr;
}

bool CMainFrame::IsActiveChildMaximized() const
{
    QMdiSubWindow *child = m_pMdiArea->currentSubWindow();
    return child && child->isMaximized();
}

void CMainFrame::SetAddressText(const QString &strAddress, bool bForce)
{
    Q_UNUSED(bForce);
    if (strAddress.isEmpty())
        return;
    m_strAddressText = strAddress;
}

void CMainFrame::PlayAnimation(bool bPlay)
{
    m_bAnimationPlaying = bPlay;
}

void CMainFrame::SetLastAddress(const QString &address)
{
    if (!m_bLastAddressFrozen && !address.isEmpty())
        m_strLastAddress = address;
}

void CMainFrame::AddTypedAddress(const QString &strAddress)
{
    m_typedAddresses.prepend(strAddress);
}

void CMainFrame::OnDocumentTitleChanged()
{
    UpdateFrameTitle();
}

void CMainFrame::UpdateFrameTitle()
{
    const CQuillbrowView *view = GetActiveHtmlView();
    const QString title = view ? view->DocumentTitle() : QString();
    const QString app = LoadString(kIdAppTitle);
    setWindowTitle(title.isEmpty() ? app : app + QLatin1String(" - ") + title);
}

CQuillbrowView *CMainFrame::CreateNewWindow(bool bShow, bool bAddTab)
{
    return CreateBrowserWindow(this, bShow, bAddTab, m_engineFactory());
}

void CMainFrame::PostCloseActiveWindow()
{
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (CQuillbrowView *view = GetActiveHtmlView())
                view->GetDocument()->OnCloseDocument();
        },
        Qt::QueuedConnection);
}

void CMainFrame::SignalSplashDone()
{
    if (m_fnSplashDone)
        m_fnSplashDone();
}

void CMainFrame::NavigateActiveView(const QString &strAddress, bool bTyped)
{
    if (CQuillbrowView *view = GetActiveHtmlView()) {
        view->m_bTypedNavigation = bTyped;
        view->Navigate2(strAddress);
    }
}

QList<CQuillbrowView *> CMainFrame::Views() const
{
    QList<CQuillbrowView *> views;
    const auto windows = m_pMdiArea->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow *window : windows) {
        if (auto *frame = qobject_cast<CChildFrame *>(window))
            views.append(frame->GetActiveView());
    }
    return views;
}

void CMainFrame::OnSubWindowActivated(QMdiSubWindow *pWindow)
{
    // QMdiArea reports null when the whole frame loses the focus; the current child
    // stays the active window then.
    if (!pWindow || pWindow == m_pActiveChild)
        return;
    m_pActiveChild = pWindow;
    if (auto *frame = qobject_cast<CChildFrame *>(pWindow)) {
        if (frame->isVisible())
            frame->GetActiveView()->OnActivateView(true);
    }
    UpdateFrameTitle();
}

void CMainFrame::SetStatusText(const QString &text)
{
    statusBar()->showMessage(text);
}

QString CMainFrame::StatusText() const
{
    return statusBar()->currentMessage();
}

quint64 CMainFrame::OnFindInstance() const
{
    return quint64(QCoreApplication::applicationPid());
}

quint32 CMainFrame::OnCopyData(quint32 nTag, const QByteArray &data)
{
    if (nTag != 0)
        return 0;
    m_strPendingAddress = DecodeAddress(data);
    return m_strPendingAddress.isEmpty() ? 0 : 1;
}

quint32 CMainFrame::OnNavigate()
{
    const QString address = m_strPendingAddress;
    m_strPendingAddress.clear();
    if (!address.isEmpty()) {
        CQuillbrowView *view = m_settings.OpenInNewWindow == 0 ? GetActiveHtmlView() : nullptr;
        if (!view)
            view = CreateNewWindow(true, true);
        if (view)
            view->GetDocument()->OnOpenDocument(address);
    }
    emit openAddressRequested(address);
    if (isMinimized())
        showNormal();
    else
        show();
    return 1;
}

QString CMainFrame::DecodeAddress(const QByteArray &bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    const QByteArray text = nul < 0 ? bytes : bytes.left(nul);
    QString out;
    qsizetype runStart = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype len = Utf8SequenceLength(text, i);
        if (len > 0) {
            i += len;
            continue;
        }
        out += QString::fromUtf8(text.constData() + runStart, i - runStart);
        out += QStringLiteral("%%1").arg(uint(uchar(text[i])), 2, 16, QLatin1Char('0')).toUpper();
        runStart = ++i;
    }
    out += QString::fromUtf8(text.constData() + runStart, text.size() - runStart);
    return out;
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    WriteProfileBinary(kSettingsSection, kPlacementValue, CFramePlacement::Capture(this).ToBytes());
    event->accept();
}
