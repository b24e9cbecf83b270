#pragma once

#include "IWebEngine.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

// An engine without a page: it records the calls made on it and lets a test play
// the engine's events in any order it likes.
class CFakeEngine : public IWebEngine
{
public:
    CFakeEngine()
        : m_pWidget(std::make_unique<QWidget>())
    { }

    void SetEventSink(IEngineEvents *pSink) override { m_pSink = pSink; }
    QWidget *Widget() override { return m_pWidget.release(); }
    void Navigate2(const QString &strURL) override
    {
        m_calls << QStringLiteral("Navigate2 ") + strURL;
    }
    void GoBack() override { m_calls << QStringLiteral("GoBack"); }
    void GoForward() override { m_calls << QStringLiteral("GoForward"); }
    void GoHome() override { m_calls << QStringLiteral("GoHome"); }
    void GoSearch() override { m_calls << QStringLiteral("GoSearch"); }
    void Refresh() override { m_calls << QStringLiteral("Refresh"); }
    void Stop() override { m_calls << QStringLiteral("Stop"); }
    QString GetLocationURL() const override { return m_url; }
    QString GetLocationName() const override { return m_name; }
    bool GetBusy() const override { return m_bBusy; }
    bool CanGoBack() const override { return false; }
    bool CanGoForward() const override { return false; }
    void SettleCookies(std::function<void()> done) override { done(); }

    // Plays one whole navigation: before-navigate (returns false when cancelled),
    // then commit with the final address and title, then document-complete.
    bool Load(const QString &url, const QString &title, const QString &finalUrl = QString())
    {
        bool bCancel = false;
        m_pSink->OnBeforeNavigate2(url, bCancel);
        if (bCancel)
            return false;
        m_bBusy = true;
        m_pSink->OnDownloadBegin();
        m_url = finalUrl.isEmpty() ? url : finalUrl;
        m_name = title;
        m_pSink->OnTitleChange(title);
        m_pSink->OnNavigateComplete2(m_url);
        m_bBusy = false;
        m_pSink->OnDownloadComplete();
        m_pSink->OnDocumentComplete(m_url);
        return true;
    }

    IEngineEvents *m_pSink = nullptr;
    QString m_url;
    QString m_name;
    bool m_bBusy = false;
    QStringList m_calls;

private:
    std::unique_ptr<QWidget> m_pWidget;
};
