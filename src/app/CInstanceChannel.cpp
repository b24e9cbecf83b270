#include "CInstanceChannel.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QTimer>
#include <QtEndian>

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
    const QString name = QStringLiteral("quillbrow-%1.socket").arg(getuid());
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QDir(runtime).filePath(name);
    return QDir(QDir::tempPath()).filePath(name);
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

    // With access options set, QLocalServer binds elsewhere and renames the socket onto the
    // path, silently taking it over from a live copy. So the path is probed first, and the
    // probe and the bind happen under a lock so that two copies started together cannot
    // both win.
    QLockFile lock(fullPath + QStringLiteral(".lock"));
    if (!lock.tryLock(2 * kProbeTimeoutMs))
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
        m_buffers.insert(pSocket, QByteArray());
        pSocket->setReadBufferSize(kReadChunk);

        auto *pIdle = new QTimer(pSocket);
        pIdle->setSingleShot(true);
        // A partial frame left hanging this long means the peer is stuck or hostile.
        pIdle->setInterval(m_nIdleTimeoutMs);
        connect(pIdle, &QTimer::timeout, this, [this, pSocket] {
            if (!m_buffers.value(pSocket).isEmpty())
                emit clientDropped(QStringLiteral("timed out inside a frame"));
            m_buffers.remove(pSocket);
            pSocket->abort();
            pSocket->deleteLater();
        });
        pIdle->start();

        connect(pSocket, &QLocalSocket::readyRead, this, [this, pSocket] { OnReadyRead(pSocket); });
        connect(pSocket, &QLocalSocket::disconnected, this, [this, pSocket] {
            const auto it = m_buffers.constFind(pSocket);
            if (it != m_buffers.constEnd()) {
                if (!it->isEmpty())
                    emit clientDropped(QStringLiteral("closed inside a frame"));
                m_buffers.erase(it);
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
        m_buffers.remove(pSocket);
        emit clientDropped(reason);
        if (guard) {
            // Replies already earned by earlier frames still go out.
            pSocket->flush();
            pSocket->abort();
            pSocket->deleteLater();
        }
    };

    while (guard && pSocket->bytesAvailable() > 0) {
        auto it = m_buffers.find(pSocket);
        if (it == m_buffers.end())
            return;
        it->append(pSocket->read(kReadChunk));

        for (;;) {
            it = m_buffers.find(pSocket);
            if (!guard || it == m_buffers.end())
                return;
            QByteArray &buffer = *it;
            if (buffer.size() < 4)
                break;
            const quint32 nLength = qFromLittleEndian<quint32>(buffer.constData());
            if (nLength == 0 || nLength > InstanceChannel::kMaxFrame) {
                drop(QStringLiteral("frame length %1 out of range").arg(nLength));
                return;
            }
            if (quint32(buffer.size() - 4) < nLength)
                break;
            const QByteArray payload = buffer.mid(4, nLength);
            buffer.remove(0, 4 + nLength);

            const quint8 nKind = quint8(payload.at(0));
            QByteArray reply;
            switch (nKind) {
            case InstanceChannel::Find:
                reply = LittleEndian<quint64>(m_pReceiver->OnFindInstance());
                break;
            case InstanceChannel::CopyData:
                if (payload.size() < 5) {
                    drop(QStringLiteral("copy-data without a tag"));
                    return;
                }
                reply = LittleEndian<quint32>(m_pReceiver->OnCopyData(
                    qFromLittleEndian<quint32>(payload.constData() + 1), payload.mid(5)));
                break;
            case InstanceChannel::Navigate:
                reply = LittleEndian<quint32>(m_pReceiver->OnNavigate());
                break;
            default:
                drop(QStringLiteral("unknown message kind %1").arg(nKind));
                return;
            }
            if (guard && pSocket->state() == QLocalSocket::ConnectedState)
                pSocket->write(Frame(reply));
            emit messageHandled(nKind);
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
    m_pSocket->connectToServer(path.isEmpty() ? InstanceChannel::ServerPath() : path);
    if (!m_pSocket->waitForConnected(m_nTimeoutMs)) {
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
