#include "CInstanceChannel.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <QtEndian>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How long a live copy gets to accept a probe before its socket counts as stale.
constexpr int kProbeTimeoutMs = 1000;
// Replies are 4 or 8 bytes; anything much longer is not from our server.
constexpr quint32 kMaxReply = 64;
// Reading in bounded chunks keeps a flood from one client out of memory.
constexpr qint64 kReadChunk = 64 * 1024;

QByteArray Frame(const QByteArray &payload)
{
    QByteArray frame(4, Qt::Uninitialized);
    qToLittleEndian<quint32>(quint32(payload.size()), frame.data());
    frame.append(payload);
    return frame;
}

template<typename T> QByteArray LittleEndian(T value)
{
    QByteArray bytes(sizeof(T), Qt::Uninitialized);
    qToLittleEndian<T>(value, bytes.data());
    return bytes;
}

// An exclusive lock on a file beside the socket, held while this object lives. The
// kernel drops it with its process, so a killed copy leaves no stale lock behind, and
// taking it writes nothing to the disk.
class CPathLock
{
public:
    CPathLock(const QString &path, int nTimeoutMs)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        const QDeadlineTimer deadline(nTimeoutMs);
        while (m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired()) {
                ::close(m_fd);
                m_fd = -1;
                return;
            }
            ::usleep(kLockPollUs);
        }
    }
    ~CPathLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CPathLock(const CPathLock &) = delete;
    CPathLock &operator=(const CPathLock &) = delete;

    bool IsLocked() const { return m_fd >= 0; }

private:
    static constexpr useconds_t kLockPollUs = 5000;
    int m_fd;
};

bool SomeoneAnswers(const QString &path)
{
    QLocalSocket probe;
    probe.connectToServer(path);
    const bool bAnswered = probe.waitForConnected(kProbeTimeoutMs);
    probe.abort();
    return bAnswered;
}

} // namespace

QString InstanceChannel::ServerPath()
{
    const QString folder = PrivateFolder(qEnvironmentVariable("XDG_RUNTIME_DIR"), QDir::tempPath());
    if (folder.isEmpty())
        return {};
    return QDir(folder).filePath(QStringLiteral("quillbrow-%1.socket").arg(geteuid()));
}

bool InstanceChannel::IsPrivateFolder(const QString &path)
{
    struct stat st = {};
    // lstat: a link is refused, whatever it points to, since its target can change.
    return !path.isEmpty() && ::lstat(QFile::encodeName(path).constData(), &st) == 0
        && S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

QString InstanceChannel::PrivateFolder(const QString &runtimeDir, const QString &tempDir)
{
    if (IsPrivateFolder(runtimeDir))
        return runtimeDir;
    if (tempDir.isEmpty())
        return {};
    const QString own = QDir(tempDir).filePath(QStringLiteral("quillbrow-%1").arg(geteuid()));
    // mkdir fails on anything already there; what is there is then judged as it stands.
    ::mkdir(QFile::encodeName(own).constData(), S_IRWXU);
    return IsPrivateFolder(own) ? own : QString();
}

std::optional<uid_t> InstanceChannel::PeerUid(qintptr socketDescriptor)
{
    struct ucred cred = {};
    socklen_t nLength = sizeof cred;
    if (socketDescriptor < 0
        || ::getsockopt(int(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &cred, &nLength) != 0
        || nLength != sizeof cred)
        return std::nullopt;
    return cred.uid;
}

bool InstanceChannel::IsTrustedPeer(std::optional<uid_t> peerUid)
{
    return peerUid && *peerUid == geteuid();
}

InstanceChannel::CFrameReader::EResult InstanceChannel::CFrameReader::Next(QByteArray &payload,
                                                                           QString &reason)
{
    if (m_buffer.size() < 4)
        return EResult::NeedMore;
    const quint32 nLength = qFromLittleEndian<quint32>(m_buffer.constData());
    if (nLength == 0 || nLength > kMaxFrame) {
        reason = QStringLiteral("frame length %1 out of range").arg(nLength);
        m_buffer.clear();
        return EResult::Error;
    }
    if (quint32(m_buffer.size() - 4) < nLength)
        return EResult::NeedMore;
    payload = m_buffer.mid(4, nLength);
    m_buffer.remove(0, 4 + qsizetype(nLength));
    return EResult::Frame;
}

std::optional<QByteArray> InstanceChannel::HandleMessage(IInstanceReceiver &receiver,
                                                         const QByteArray &payload, QString &reason)
{
    const quint8 nKind = payload.isEmpty() ? 0 : quint8(payload.at(0));
    switch (nKind) {
    case Find:
        return LittleEndian<quint64>(receiver.OnFindInstance());
    case CopyData:
        if (payload.size() < 5) {
            reason = QStringLiteral("copy-data without a tag");
            return std::nullopt;
        }
        return LittleEndian<quint32>(receiver.OnCopyData(
            qFromLittleEndian<quint32>(payload.constData() + 1), payload.mid(5)));
    case Navigate:
        return LittleEndian<quint32>(receiver.OnNavigate());
    default:
        reason = QStringLiteral("unknown message kind %1").arg(nKind);
        return std::nullopt;
    }
}

CInstanceServer::CInstanceServer(IInstanceReceiver *pReceiver, QObject *parent, int nIdleTimeoutMs)
    : QObject(parent)
    , m_pReceiver(pReceiver)
    , m_pServer(new QLocalServer(this))
    , m_nIdleTimeoutMs(nIdleTimeoutMs)
{
    m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_pServer, &QLocalServer::newConnection, this, &CInstanceServer::OnNewConnection);
}

CInstanceServer::~CInstanceServer()
{
    // Takes the socket file away, so the next copy to start finds nothing to probe.
    m_pServer->close();
}

bool CInstanceServer::Listen(const QString &path)
{
    const QString fullPath = path.isEmpty() ? InstanceChannel::ServerPath() : path;
    if (m_pServer->isListening())
        m_pServer->close();
    if (fullPath.isEmpty())
        return false;

    // With access options set, QLocalServer binds elsewhere and renames the socket onto the
    // path, silently taking it over from a live copy. So the path is probed first, and the
    // probe and the bind happen under a lock so that two copies started together cannot
    // both win.
    const CPathLock lock(fullPath + QStringLiteral(".lock"), 2 * kProbeTimeoutMs);
    if (!lock.IsLocked())
        return false;
    if (QFileInfo::exists(fullPath) || QFileInfo(fullPath).isSymLink()) {
        if (SomeoneAnswers(fullPath))
            return false;
        // Left by a killed copy, or not a socket at all.
        QLocalServer::removeServer(fullPath);
    }
    return m_pServer->listen(fullPath);
}

QString CInstanceServer::ServerPath() const
{
    return m_pServer->fullServerName();
}

bool CInstanceServer::IsListening() const
{
    return m_pServer->isListening();
}

void CInstanceServer::OnNewConnection()
{
    while (QLocalSocket *pSocket = m_pServer->nextPendingConnection()) {
        // The socket file is the user's own; this holds even where its permissions
        // were opened, and costs one call per connection.
        const std::optional<uid_t> peer = InstanceChannel::PeerUid(pSocket->socketDescriptor());
        if (!InstanceChannel::IsTrustedPeer(peer)) {
            pSocket->abort();
            pSocket->deleteLater();
            emit clientDropped(peer ? QStringLiteral("peer is user %1").arg(*peer)
                                    : QStringLiteral("peer unknown"));
            continue;
        }
        m_readers.insert(pSocket, {});
        pSocket->setReadBufferSize(kReadChunk);

        auto *pIdle = new QTimer(pSocket);
        pIdle->setSingleShot(true);
        // A partial frame left hanging this long means the peer is stuck or hostile.
        pIdle->setInterval(m_nIdleTimeoutMs);
        connect(pIdle, &QTimer::timeout, this, [this, pSocket] {
            if (m_readers.value(pSocket).HasPartialFrame())
                emit clientDropped(QStringLiteral("timed out inside a frame"));
            m_readers.remove(pSocket);
            pSocket->abort();
            pSocket->deleteLater();
        });
        pIdle->start();

        connect(pSocket, &QLocalSocket::readyRead, this, [this, pSocket] { OnReadyRead(pSocket); });
        connect(pSocket, &QLocalSocket::disconnected, this, [this, pSocket] {
            const auto it = m_readers.constFind(pSocket);
            if (it != m_readers.constEnd()) {
                if (it->HasPartialFrame())
                    emit clientDropped(QStringLiteral("closed inside a frame"));
                m_readers.erase(it);
            }
            pSocket->deleteLater();
        });
    }
}

void CInstanceServer::OnReadyRead(QLocalSocket *pSocket)
{
    // The receiver may run a nested event loop, in which this client can go away.
    const QPointer<QLocalSocket> guard(pSocket);
    const auto drop = [&](const QString &reason) {
        m_readers.remove(pSocket);
        emit clientDropped(reason);
        if (guard) {
            // Replies already earned by earlier frames still go out.
            pSocket->flush();
            pSocket->abort();
            pSocket->deleteLater();
        }
    };

    while (guard && pSocket->bytesAvailable() > 0) {
        auto it = m_readers.find(pSocket);
        if (it == m_readers.end())
            return;
        it->Append(pSocket->read(kReadChunk));

        for (;;) {
            it = m_readers.find(pSocket);
            if (!guard || it == m_readers.end())
                return;
            QByteArray payload;
            QString reason;
            const auto result = it->Next(payload, reason);
            if (result == InstanceChannel::CFrameReader::EResult::NeedMore)
                break;
            if (result == InstanceChannel::CFrameReader::EResult::Error) {
                drop(reason);
                return;
            }
            const auto reply = InstanceChannel::HandleMessage(*m_pReceiver, payload, reason);
            if (!reply) {
                drop(reason);
                return;
            }
            if (guard && pSocket->state() == QLocalSocket::ConnectedState)
                pSocket->write(Frame(*reply));
            emit messageHandled(quint8(payload.at(0)));
        }
    }

    if (guard) {
        if (auto *pIdle = pSocket->findChild<QTimer *>())
            pIdle->start();
    }
}

CInstanceClient::CInstanceClient(int nTimeoutMs)
    : m_pSocket(new QLocalSocket)
    , m_nTimeoutMs(nTimeoutMs)
{ }

CInstanceClient::~CInstanceClient()
{
    m_pSocket->abort();
    delete m_pSocket;
}

bool CInstanceClient::FindExistingInstance(const QString &path)
{
    m_nFrameId = 0;
    m_pSocket->abort();
    const QString fullPath = path.isEmpty() ? InstanceChannel::ServerPath() : path;
    if (fullPath.isEmpty())
        return false;
    m_pSocket->connectToServer(fullPath);
    // The address the user asked for goes to no one but the user's own copy.
    if (!m_pSocket->waitForConnected(m_nTimeoutMs)
        || !InstanceChannel::IsTrustedPeer(
            InstanceChannel::PeerUid(m_pSocket->socketDescriptor()))) {
        m_pSocket->abort();
        return false;
    }
    QByteArray reply;
    if (SendFrame(QByteArray(1, char(InstanceChannel::Find)), reply) && reply.size() == 8)
        m_nFrameId = qFromLittleEndian<quint64>(reply.constData());
    if (m_nFrameId == 0)
        m_pSocket->abort();
    return m_nFrameId != 0;
}

quint32 CInstanceClient::SendCopyData(quint32 nTag, const QByteArray &data)
{
    QByteArray payload(1, char(InstanceChannel::CopyData));
    payload += LittleEndian<quint32>(nTag);
    payload += data;
    QByteArray reply;
    if (!SendFrame(payload, reply) || reply.size() != 4)
        return 0;
    return qFromLittleEndian<quint32>(reply.constData());
}

quint32 CInstanceClient::SendNavigate()
{
    QByteArray reply;
    if (!SendFrame(QByteArray(1, char(InstanceChannel::Navigate)), reply) || reply.size() != 4)
        return 0;
    return qFromLittleEndian<quint32>(reply.constData());
}

bool CInstanceClient::SendFrame(const QByteArray &payload, QByteArray &reply)
{
    reply.clear();
    if (m_pSocket->state() != QLocalSocket::ConnectedState
        || quint32(payload.size()) > InstanceChannel::kMaxFrame)
        return false;

    const QDeadlineTimer deadline(m_nTimeoutMs);
    m_pSocket->write(Frame(payload));
    while (m_pSocket->bytesToWrite() > 0) {
        if (!m_pSocket->waitForBytesWritten(int(deadline.remainingTime())))
            return false;
    }

    QByteArray buffer;
    for (;;) {
        if (buffer.size() >= 4) {
            const quint32 nLength = qFromLittleEndian<quint32>(buffer.constData());
            if (nLength == 0 || nLength > kMaxReply) {
                m_pSocket->abort();
                return false;
            }
            if (quint32(buffer.size() - 4) >= nLength) {
                reply = buffer.mid(4, nLength);
                return true;
            }
        }
        if (m_pSocket->bytesAvailable() == 0
            && !m_pSocket->waitForReadyRead(int(deadline.remainingTime())))
            return false;
        buffer += m_pSocket->read(qint64(4 + kMaxReply) - buffer.size());
    }
}
