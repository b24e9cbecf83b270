#pragma once

// The channel between two copies of Quillbrow run by one user: a local socket in
// $XDG_RUNTIME_DIR (the temporary folder when unset), named from the user id and
// reachable by that user only.
//
// Every message and reply is a frame: a little-endian 32-bit length, then that many
// bytes. A message's first byte is its kind:
//   Find      (1), no body                       reply: 64-bit frame id, non-zero
//   CopyData  (2), 32-bit tag, then the data     reply: 32-bit result
//   Navigate  (3), no body                       reply: 32-bit 1
// A frame longer than kMaxFrame, of an unknown kind or with a short body closes the
// connection without a reply; the server carries on with other clients.

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace InstanceChannel {
enum EMessage : quint8 { Find = 1, CopyData = 2, Navigate = 3 };
constexpr quint32 kMaxFrame = 1024 * 1024;
// The socket path for the current user.
QString ServerPath();
} // namespace InstanceChannel

// The receiving side. The main frame implements it.
class IInstanceReceiver
{
public:
    virtual ~IInstanceReceiver() = default;
    virtual quint64 OnFindInstance() = 0;
    virtual quint32 OnCopyData(quint32 nTag, const QByteArray &data) = 0;
    virtual quint32 OnNavigate() = 0;
};

class CInstanceServer : public QObject
{
    Q_OBJECT
public:
    // nIdleTimeoutMs: how long a partial frame may hang before its client is dropped.
    explicit CInstanceServer(IInstanceReceiver *pReceiver, QObject *parent = nullptr,
                             int nIdleTimeoutMs = 10000);
    ~CInstanceServer() override;

    // Listens on path (ServerPath() when empty). A socket file that nothing answers
    // on is left from a killed copy and is replaced. Returns false when a live copy
    // owns the path or the socket cannot be made.
    bool Listen(const QString &path = QString());
    QString ServerPath() const;
    bool IsListening() const;

signals:
    // A client was disconnected for sending a malformed frame; for tests.
    void clientDropped(const QString &reason);
    // A message was answered; for tests.
    void messageHandled(int kind);

private:
    void OnNewConnection();
    void OnReadyRead(QLocalSocket *pSocket);

    IInstanceReceiver *m_pReceiver;
    QLocalServer *m_pServer;
    int m_nIdleTimeoutMs;
    QHash<QLocalSocket *, QByteArray> m_buffers;
};

// The sending side, used by a second start before any event loop runs: every call
// blocks up to its timeout.
class CInstanceClient
{
public:
    explicit CInstanceClient(int nTimeoutMs = 5000);
    ~CInstanceClient();

    // FindExistingInstance: connects and asks Find; true when a copy answered with a
    // non-zero id. path empty: ServerPath().
    bool FindExistingInstance(const QString &path = QString());
    quint64 FrameId() const { return m_nFrameId; }
    // 0 when no reply came.
    quint32 SendCopyData(quint32 nTag, const QByteArray &data);
    quint32 SendNavigate();

private:
    bool SendFrame(const QByteArray &payload, QByteArray &reply);

    QLocalSocket *m_pSocket;
    int m_nTimeoutMs;
    quint64 m_nFrameId = 0;
};
