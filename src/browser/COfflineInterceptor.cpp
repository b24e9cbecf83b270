#include "COfflineInterceptor.h"

#include "COfflineState.h"

#include <QUrl>

COfflineInterceptor::COfflineInterceptor(QObject *parent)
    : QWebEngineUrlRequestInterceptor(parent)
{ }

bool COfflineInterceptor::IsNetworkUrl(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https")
        || scheme == QLatin1String("ftp") || scheme == QLatin1String("ws")
        || scheme == QLatin1String("wss");
}

void COfflineInterceptor::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    if (IsNetworkUrl(info.requestUrl()) && !IsOnline())
        info.block(true);
}
