#pragma once

#include "IBrowserHost.h"
#include "IWebEngine.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class CSettings;
class CWindowsBar;
class QMdiArea;
class QMdiSubWindow;

// The one top-level window: a multiple-document frame whose MDI area holds the
// browser windows. It also answers the single-instance messages of later starts
// (the application's channel hands them over).
class CMainFrame : public QMainWindow, public IBrowserHost
{
    Q_OBJECT
public:
    using EngineFactory = std::function<std::unique_ptr<IWebEngine>()>;

    // settings must outlive the frame: the frame's destruction writes into it.
    explicit CMainFrame(CSettings &settings, QWidget *parent = nullptr);
    ~CMainFrame() override;

    QMdiArea *MdiArea() const { return m_pMdiArea; }
    QString StatusText() const;

    // IBrowserHost
    CSettings &Settings() override { return m_settings; }
    QMdiArea *MdiClient() const override { return m_pMdiArea; }
    CWindowsBar *WindowsBar() const override { return m_pWindowsBar; }
    CQuillbrowView *GetActiveHtmlView() const override;
    bool IsActiveChildMaximized() const override;
    bool ChildMaximized() const override { return m_bChildMaximized; }
    void SetChildMaximized(bool bMaximized) override { m_bChildMaximized = bMaximized; }
    void SetAddressText(const QString &strAddress, bool bForce) override;
    void PlayAnimation(bool bPlay) override;
    void SetStatusText(const QString &text) override;
    void SetLastAddress(const QString &address) override;
    void AddTypedAddress(const QString &strAddress) override;
    void OnDocumentTitleChanged() override;
    CQuillbrowView *CreateNewWindow(bool bShow, bool bAddTab) override;
    void PostCloseActiveWindow() override;
    bool IsClosingAll() const override { return m_fnIsClosingAll && m_fnIsClosingAll(); }
    void SignalSplashDone() override;

    // Sets the active view's typed flag, then navigates it; nothing without a window.
    void NavigateActiveView(const QString &strAddress, bool bTyped);

    QString LastAddress() const { return m_strLastAddress; }
    QString AddressText() const { return m_strAddressText; }
    bool IsAnimationPlaying() const { return m_bAnimationPlaying; }
    QStringList TypedAddresses() const { return m_typedAddresses; }
    QList<CQuillbrowView *> Views() const;

    // Tests give windows a fake engine; the real one is the default.
    void SetEngineFactory(EngineFactory factory) { m_engineFactory = std::move(factory); }
    void SetClosingAllQuery(std::function<bool()> query) { m_fnIsClosingAll = std::move(query); }
    void SetSplashDoneHandler(std::function<void()> handler)
    {
        m_fnSplashDone = std::move(handler);
    }
    // Freezes the last address: windows closed from now on no longer change it.
    void FreezeLastAddress() { m_bLastAddressFrozen = true; }

    // The single-instance messages. Find answers with a non-zero frame id; copy-data
    // with tag 0 keeps the address until navigate opens it.
    quint64 OnFindInstance() const;
    quint32 OnCopyData(quint32 nTag, const QByteArray &data);
    quint32 OnNavigate();

    // Address bytes from another process or the command line: UTF-8, cut at the first
    // NUL, with every byte that is not valid UTF-8 written as %XX so that nothing is
    // lost and the result stays a usable address.
    static QString DecodeAddress(const QByteArray &bytes);

    QString m_strPendingAddress;
    bool m_bChildMaximized = false;

signals:
    // A later start asked to open an address (empty: only show the frame).
    void openAddressRequested(const QString &address);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void OnSubWindowActivated(QMdiSubWindow *pWindow);
    void UpdateFrameTitle();

    CSettings &m_settings;
    QMdiArea *m_pMdiArea;
    CWindowsBar *m_pWindowsBar;
    QPointer<QMdiSubWindow> m_pActiveChild;
    QString m_strLastAddress;
    bool m_bLastAddressFrozen = false;
    QString m_strAddressText;
    bool m_bAnimationPlaying = false;
    QStringList m_typedAddresses;
    EngineFactory m_engineFactory;
    std::function<bool()> m_fnIsClosingAll;
    std::function<void()> m_fnSplashDone;
};
