#include "CTestServer.h"

#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

namespace {

// Hands out its connections encrypted once it has a configuration.
class CServerSocket : public QTcpServer
{
public:
    using QTcpServer::QTcpServer;
    QSslConfiguration tls;

protected:
    void incomingConnection(qintptr handle) override
    {
        if (tls.isNull()) {
            QTcpServer::incomingConnection(handle);
            return;
        }
        auto *pSocket = new QSslSocket(this);
        if (!pSocket->setSocketDescriptor(handle)) {
            delete pSocket;
            return;
        }
        pSocket->setSslConfiguration(tls);
        // The client refuses the certificate and hangs up; that is the point.
        QObject::connect(pSocket, &QSslSocket::sslErrors, pSocket, [] {});
        pSocket->startServerEncryption();
        addPendingConnection(pSocket);
    }
};

QByteArray ReasonPhrase(int nStatus)
{
    switch (nStatus) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 303:
        return "See Other";
    case 401:
        return "Unauthorized";
    case 307:
        return "Temporary Redirect";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

// The position just past the body, or -1 while the request is incomplete.
qsizetype RequestEnd(const QByteArray &buffer, qsizetype nHeaderEnd)
{
    qsizetype nLength = 0;
    const QList<QByteArray> lines = buffer.left(nHeaderEnd).split('\n');
    for (const QByteArray &line : lines) {
        const qsizetype nColon = line.indexOf(':');
        if (nColon > 0 && line.left(nColon).trimmed().toLower() == "content-length")
            nLength = line.mid(nColon + 1).trimmed().toLongLong();
    }
    const qsizetype nEnd = nHeaderEnd + 4 + nLength;
    return buffer.size() >= nEnd ? nEnd : -1;
}

} // namespace

CTestServer::CTestServer(QObject *parent)
    : QObject(parent)
    , m_pServer(new CServerSocket(this))
{
    connect(m_pServer, &QTcpServer::newConnection, this, &CTestServer::OnNewConnection);
}

CTestServer::~CTestServer()
{
    m_pServer->close();
}

bool CTestServer::Start()
{
    return m_pServer->listen(QHostAddress::LocalHost, 0);
}

bool CTestServer::StartTls()
{
    QTemporaryDir dir;
    const QString certPath = dir.filePath(QStringLiteral("cert.pem"));
    const QString keyPath = dir.filePath(QStringLiteral("key.pem"));
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
                   QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                   QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"),
                   QStringLiteral("-keyout"), keyPath, QStringLiteral("-out"), certPath});
    if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0)
        return false;
    QFile certFile(certPath);
    QFile keyFile(keyPath);
    if (!certFile.open(QIODevice::ReadOnly) || !keyFile.open(QIODevice::ReadOnly))
        return false;
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(QSslCertificate(certFile.readAll()));
    tls.setPrivateKey(QSslKey(keyFile.readAll(), QSsl::Rsa));
    static_cast<CServerSocket *>(m_pServer)->tls = tls;
    m_bTls = true;
    return Start();
}

QUrl CTestServer::Url(const QString &path) const
{
    return QUrl(QStringLiteral("%1://127.0.0.1:%2%3")
                    .arg(m_bTls ? QStringLiteral("https") : QStringLiteral("http"))
                    .arg(m_pServer->serverPort())
                    .arg(path));
}

void CTestServer::Route(const QString &path, const Response &response)
{
    m_routes.insert(path, response);
}

void CTestServer::RoutePage(const QString &path, const QString &title, const QString &bodyHtml)
{
    Response response;
    response.body = QStringLiteral("<!DOCTYPE html><html><head><title>%1</title></head>"
                                   "<body>%2</body></html>")
                        .arg(title.toHtmlEscaped(), bodyHtml)
                        .toUtf8();
    Route(path, response);
}

void CTestServer::RouteRedirect(const QString &path, const QString &target)
{
    Response response;
    response.nStatus = 302;
    response.contentType = "text/plain";
    response.headers.append({"Location", target.toUtf8()});
    Route(path, response);
}

void CTestServer::Release()
{
    const auto held = std::exchange(m_held, {});
    for (const auto &[pSocket, rest] : held) {
        pSocket->write(rest);
        pSocket->disconnectFromHost();
    }
}

int CTestServer::RequestCount(const QString &path) const
{
    return m_counts.value(path);
}

QByteArray CTestServer::LastRequestHeader(const QString &path, const QByteArray &name) const
{
    return m_lastHeaders.value(path).value(name.toLower());
}

void CTestServer::OnNewConnection()
{
    while (QTcpSocket *pSocket = m_pServer->nextPendingConnection()) {
        connect(pSocket, &QTcpSocket::readyRead, this, [this, pSocket] { OnReadyRead(pSocket); });
        connect(pSocket, &QTcpSocket::disconnected, this, [this, pSocket] {
            m_buffers.remove(pSocket);
            m_held.removeIf([pSocket](const auto &entry) { return entry.first == pSocket; });
            pSocket->deleteLater();
        });
    }
}

void CTestServer::OnReadyRead(QTcpSocket *pSocket)
{
    QByteArray &buffer = m_buffers[pSocket];
    buffer.append(pSocket->readAll());
    const qsizetype nHeaderEnd = buffer.indexOf("\r\n\r\n");
    if (nHeaderEnd < 0)
        return;
    const qsizetype nEnd = RequestEnd(buffer, nHeaderEnd);
    if (nEnd < 0)
        return;

    const QList<QByteArray> lines = buffer.left(nHeaderEnd).split('\n');
    buffer.remove(0, nEnd);
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    const QByteArray method = requestLine.value(0);
    const QString path = QUrl(QString::fromLatin1(requestLine.value(1))).path();

    QHash<QByteArray, QByteArray> headers;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype nColon = lines[i].indexOf(':');
        if (nColon > 0)
            headers.insert(lines[i].left(nColon).trimmed().toLower(),
                           lines[i].mid(nColon + 1).trimmed());
    }
    m_lastHeaders.insert(path, headers);
    ++m_counts[path];

    Response response;
    const auto route = m_routes.constFind(path);
    if (route != m_routes.constEnd()) {
        response = *route;
        if (!response.authRealm.isEmpty()
            && headers.value("authorization") != "Basic " + response.authCredentials.toBase64()) {
            Response challenge;
            challenge.nStatus = 401;
            challenge.body = response.unauthorizedBody;
            challenge.headers.append(
                {"WWW-Authenticate", "Basic realm=\"" + response.authRealm + '"'});
            response = challenge;
        }
    } else {
        response.nStatus = 404;
        response.contentType = "text/plain";
        response.body = "Not found";
    }

    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.nStatus) + ' '
        + ReasonPhrase(response.nStatus) + "\r\n";
    head += "Content-Type: " + response.contentType + "\r\n";
    head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    head += "Cache-Control: no-store\r\nConnection: close\r\n";
    for (const auto &[name, value] : std::as_const(response.headers))
        head += name + ": " + value + "\r\n";
    head += "\r\n";

    const QByteArray body = method == "HEAD" ? QByteArray() : response.body;
    if (response.bHold) {
        const qsizetype nHalf = body.size() / 2;
        pSocket->write(head + body.left(nHalf));
        m_held.append({pSocket, body.mid(nHalf)});
    } else {
        pSocket->write(head + body);
        pSocket->disconnectFromHost();
    }
    // Signalled last, so a test reacting to it finds the response already on its way.
    emit requestReceived(path);
}
