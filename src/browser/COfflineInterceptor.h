#pragma once

#include <QWebEngineUrlRequestInterceptor>

// Keeps the engine off the network while it works offline (IsOnline() false): every
// http, https, ftp and web socket request is blocked, wherever it comes from; files,
// the program's own resources and internal pages still load.
class COfflineInterceptor : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT
public:
    explicit COfflineInterceptor(QObject *parent = nullptr);

    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

    // Whether a request for url leaves for the network.
    static bool IsNetworkUrl(const QUrl &url);
};
