#pragma once

// The channel between two copies of Quillbrow run by one user: a local socket in
// $XDG_RUNTIME_DIR, named from the user id and reachable by that user only. Where
// that folder is missing or open to others, a folder of the user's own in the
// temporary folder stands in. Each side checks the other's user id on the connected
// socket too, so a socket file whose permissions were opened by hand, or one that
// another user planted, still carries nothing between two users.
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

#include <optional>
#include <sys/types.h>

class QLocalServer;
class QLocalSocket;

// The receiving side. The main frame implements it.
class IInstanceReceiver
{
public:
    virtual ~IInstanceReceiver() = default;
    virtual quint64 OnFindInstance() = 0;
    virtual quint32 OnCopyData(quint32 nTag, const QByteArray &data) = 0;
    virtual quint32 OnNavigate() = 0;
};

namespace InstanceChannel {
enum EMessage : quint8 { Find = 1, CopyData = 2, Navigate = 3 };
constexpr quint32 kMaxFrame = 1024 * 1024;

// The socket path for the current user; empty when no folder that only this user
// can enter could be found or made.
QString ServerPath();
// The folder ServerPath puts the socket in: runtimeDir when it is a real folder
// owned by this user and closed to everyone else, else "<tempDir>/quillbrow-<uid>",
// made owner-only when missing. Empty when neither is safe (for example the
// temporary one exists but belongs to someone else or is a link).
QString PrivateFolder(const QString &runtimeDir, const QString &tempDir);
// True when path is a folder (not a link) owned by this user that no one else may
// enter or write.
bool IsPrivateFolder(const QString &path);

// The user id of the process at the other end of a connected local socket; nothing
// when the system cannot tell.
std::optional<uid_t> PeerUid(qintptr socketDescriptor);
// Whether a peer may talk to this copy: only the same user, and only when known.
bool IsTrustedPeer(std::optional<uid_t> peerUid);

// Cuts a byte stream into frames. Pure: it never touches a socket, so anything can
// be fed to it. The buffer never holds more than one frame and one chunk.
class CFrameReader
{
public:
    enum class EResult { NeedMore, Frame, Error };

    void Append(const QByteArray &bytes) { m_buffer.append(bytes); }
    // The next whole frame's payload; Error, with the reason, for a length of 0 or
    // over kMaxFrame, known as soon as the length has arrived. After an error the
    // stream is lost: the caller drops it.
    EResult Next(QByteArray &payload, QString &reason);
    // Bytes of a frame that has not fully arrived.
    bool HasPartialFrame() const { return !m_buffer.isEmpty(); }

private:
    QByteArray m_buffer;
};

// Hands one message to the receiver and returns the reply's payload; nothing, with
// the reason, for an unknown kind or a copy-data without its tag.
std::optional<QByteArray> HandleMessage(IInstanceReceiver &receiver, const QByteArray &payload,
                                        QString &reason);
} // namespace InstanceChannel

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
    // A client was disconnected for a malformed frame or for being another user; for
    // tests.
    void clientDropped(const QString &reason);
    // A message was answered; for tests.
    void messageHandled(int kind);

private:
    void OnNewConnection();
    void OnReadyRead(QLocalSocket *pSocket);

    IInstanceReceiver *m_pReceiver;
    QLocalServer *m_pServer;
    int m_nIdleTimeoutMs;
    QHash<QLocalSocket *, InstanceChannel::CFrameReader> m_readers;
};

// The sending side, used by a second start before any event loop runs: every call
// blocks up to its timeout.
class CInstanceClient
{
public:
    explicit CInstanceClient(int nTimeoutMs = 5000);
    ~CInstanceClient();

    // FindExistingInstance: connects and asks Find; true when a copy answered with a
    // non-zero id. path empty: ServerPath(). A socket served by another user is left
    // at once, before anything is sent.
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
