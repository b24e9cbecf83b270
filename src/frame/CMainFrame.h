#pragma once

#include <QMainWindow>
#include <QString>

class CSettings;
class QMdiArea;

// The one top-level window: a multiple-document frame whose MDI area holds the
// browser windows. It also answers the single-instance messages of later starts
// (the application's channel hands them over).
class CMainFrame : public QMainWindow
{
    Q_OBJECT
public:
    // settings must outlive the frame: the frame's destruction writes into it.
    explicit CMainFrame(CSettings &settings, QWidget *parent = nullptr);
    ~CMainFrame() override;

    QMdiArea *MdiArea() const { return m_pMdiArea; }
    void SetStatusText(const QString &text);
    QString StatusText() const;

    // The address of the window that was active last; it becomes LastVisited when
    // the frame is destroyed.
    void SetLastAddress(const QString &address) { m_strLastAddress = address; }
    QString LastAddress() const { return m_strLastAddress; }

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
    CSettings &m_settings;
    QMdiArea *m_pMdiArea;
    QString m_strLastAddress;
};
