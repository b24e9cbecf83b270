#pragma once

// A small HTTP/1.1 server on 127.0.0.1 for tests: fixed responses by path, redirects,
// pages held half-sent until the test releases them (a page that "loads slowly"
// without any timer), and pages behind Basic authentication.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QUrl>

class QTcpServer;
class QTcpSocket;

class CTestServer : public QObject
{
    Q_OBJECT
public:
    struct Response
    {
        int nStatus = 200;
        QByteArray contentType = "text/html; charset=utf-8";
        QByteArray body;
        // Extra headers, for example {"Location", "/target"} with status 302.
        QList<QPair<QByteArray, QByteArray>> headers;
        // Send the headers and the first half of the body, then wait for Release().
        bool bHold = false;
        // With a realm, the response is only for requests that carry these Basic
        // credentials ("user:password"); others get 401 with unauthorizedBody.
        QByteArray authRealm;
        QByteArray authCredentials;
        QByteArray unauthorizedBody;
    };

    explicit CTestServer(QObject *parent = nullptr);
    ~CTestServer() override;

    // Listens on 127.0.0.1 on a free port.
    bool Start();
    // The same over TLS (https), with a certificate for 127.0.0.1 that signs itself,
    // made afresh by openssl: a browser must refuse it. False when openssl is missing.
    bool StartTls();
    QUrl Url(const QString &path) const;

    // path is matched exactly, without the query; unknown paths get 404.
    void Route(const QString &path, const Response &response);
    // An HTML page with the given title and body markup.
    void RoutePage(const QString &path, const QString &title, const QString &bodyHtml = QString());
    void RouteRedirect(const QString &path, const QString &target);

    // Finishes every held response.
    void Release();
    // Held responses whose connection is still open; the client closing one (a load it
    // stopped) takes it off.
    int HeldCount() const { return int(m_held.size()); }
    int RequestCount(const QString &path) const;
    // A header of the latest request for path (name case-insensitive), empty if none.
    QByteArray LastRequestHeader(const QString &path, const QByteArray &name) const;

signals:
    void requestReceived(const QString &path);

private:
    void OnNewConnection();
    void OnReadyRead(QTcpSocket *pSocket);

    QTcpServer *m_pServer;
    bool m_bTls = false;
    QHash<QString, Response> m_routes;
    QHash<QString, int> m_counts;
    QHash<QString, QHash<QByteArray, QByteArray>> m_lastHeaders;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    QList<QPair<QTcpSocket *, QByteArray>> m_held;
};
