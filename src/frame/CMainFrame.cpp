#include "CMainFrame.h"

#include "CFramePlacement.h"
#include "CRegistry.h"
#include "CSettings.h"
#include "CStringTable.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMdiArea>
#include <QStatusBar>

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
{
    setWindowTitle(LoadString(kIdAppTitle));
    setObjectName(QStringLiteral("MainFrame"));
    m_pMdiArea->setObjectName(QStringLiteral("MdiArea"));
    setCentralWidget(m_pMdiArea);
    m_bChildMaximized = m_settings.MaximizeChild != 0;
    const QString ready = LoadString(kIdReady);
    SetStatusText(ready.isEmpty() ? QStringLiteral("Ready") : ready);
    resize(1024, 720);
}

CMainFrame::~CMainFrame()
{
    m_settings.MaximizeChild = m_bChildMaximized ? 1 : 0;
    m_settings.LastVisited = m_strLastAddress;
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
