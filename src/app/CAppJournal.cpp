// The journal of open windows: recorded while the program runs, offered back after a
// run that did not end normally.

#include "CChildFrame.h"
#include "CConfirmDlg.h"
#include "CMainFrame.h"
#include "CQuillbrowApp.h"
#include "CQuillbrowView.h"
#include "CStringIds.h"
#include "CStringTable.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

// The question shows this many addresses, each cut to this many characters.
constexpr qsizetype kListedWindows = 3;
constexpr qsizetype kListedLength = 60;
// A reopening the program survived this long did not bring it down.
constexpr int kReopenSettleMs = 15000;

bool IsRunningCopy(qint64 nPid)
{
    // With MultipleInstance another copy may be running and keeping its own windows.
    if (nPid <= 0 || nPid == QCoreApplication::applicationPid())
        return false;
    const QString exe = QFileInfo(QStringLiteral("/proc/%1/exe").arg(nPid)).symLinkTarget();
    return !exe.isEmpty()
        && exe == QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
}

QString ListForQuestion(const QStringList &addresses)
{
    QStringList lines;
    for (const QString &address : addresses.mid(0, kListedWindows))
        lines << (address.size() > kListedLength
                      ? address.left(kListedLength - 3) + QLatin1String("...")
                      : address);
    if (addresses.size() > kListedWindows)
        lines << QCoreApplication::translate("Quillbrow", "and %n more", nullptr,
                                             int(addresses.size() - kListedWindows));
    return lines.join(QLatin1Char('\n'));
}

} // namespace

QStringList CQuillbrowApp::TakeWindowsToReopen()
{
    m_journalClock.start();
    m_pJournal = std::make_unique<CWindowJournal>();
    m_pJournalTimer = new QTimer(this);
    m_pJournalTimer->setSingleShot(true);
    m_pJournalTimer->setTimerType(Qt::PreciseTimer);
    connect(m_pJournalTimer, &QTimer::timeout, this, [this] {
        if (!m_pJournal)
            return;
        m_pJournal->WritePending(m_journalClock.elapsed());
        ArmJournalTimer();
    });
    connect(m_pMainWnd, &CMainFrame::windowsChanged, this, &CQuillbrowApp::RecordWindows);

    const CWindowJournal::SContents left = CWindowJournal::Read(m_pJournal->Path());
    if (IsRunningCopy(left.nPid)) {
        // Its journal, not ours: this copy keeps none rather than overwrite it.
        m_pJournal.reset();
        return {};
    }
    if (left.addresses.isEmpty())
        return {};
    if (left.bReopening) {
        // The last start crashed while it opened these windows again.
        qCInfo(lcStartup, "the windows of the last run were not reopened: reopening them failed");
        return {};
    }
    if (m_settings.ConfirmReopenWindows != 0) {
        CConfirmDlg dlg(nullptr,
                        LoadStringWith(IDS_CONFIRM_REOPEN_WINDOWS, QStringLiteral("%windows%"),
                                       ListForQuestion(left.addresses)),
                        Mb::YesNo | Mb::IconQuestion, true);
        const int nAnswer = dlg.exec();
        m_settings.ConfirmReopenWindows = dlg.ShowNextTime;
        if (nAnswer != IDYES)
            return {};
    }
    m_pJournal->BeginReopening(left.addresses, m_journalClock.elapsed());
    QTimer::singleShot(kReopenSettleMs, this, [this] {
        if (m_pJournal)
            m_pJournal->EndReopening(m_journalClock.elapsed());
    });
    return left.addresses;
}

void CQuillbrowApp::ReopenWindows(const QStringList &addresses)
{
    for (const QString &address : addresses) {
        if (CQuillbrowView *view = CreateNewWindow(true, true))
            view->Navigate2(address);
    }
}

void CQuillbrowApp::RecordWindows()
{
    if (!m_pJournal || !m_pMainWnd)
        return;
    QStringList addresses;
    const QList<CQuillbrowView *> views = m_pMainWnd->Views();
    for (const CQuillbrowView *view : views) {
        // Windows a page opened and never showed are not the user's.
        const CChildFrame *frame = view->GetParentFrame();
        const QString address = view->GetLocationURL();
        if (frame && !frame->isHidden() && !address.isEmpty()
            && address != QLatin1String("about:blank"))
            addresses << address;
    }
    m_pJournal->Record(addresses, m_journalClock.elapsed());
    ArmJournalTimer();
}

void CQuillbrowApp::ArmJournalTimer()
{
    // A record that came too soon is written when it is due, so the last state of the
    // windows always lands; a timer that fired early tries again.
    const qint64 nDue = m_pJournal->NextWriteDue();
    if (nDue >= 0 && !m_pJournalTimer->isActive())
        m_pJournalTimer->start(int(qMax<qint64>(0, nDue - m_journalClock.elapsed())));
}
