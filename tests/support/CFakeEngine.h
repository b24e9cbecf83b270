#pragma once

#include "IWebEngine.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QMap>
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
    void KeepPageUntilLoadEnds() override { m_calls << QStringLiteral("KeepPageUntilLoadEnds"); }
    void SetScriptWindowsAllowed(bool bAllowed) override
    {
        m_calls << (bAllowed ? QStringLiteral("AllowScriptWindows")
                             : QStringLiteral("RefuseScriptWindows"));
    }
    void Refresh() override { m_calls << QStringLiteral("Refresh"); }
    void Stop() override { m_calls << QStringLiteral("Stop"); }
    QString GetLocationURL() const override { return m_url; }
    QString GetLocationName() const override { return m_name; }
    bool GetBusy() const override { return m_bBusy; }
    bool CanGoBack() const override { return false; }
    bool CanGoForward() const override { return false; }
    void SettleCookies(std::function<void()> done) override { done(); }
    // A page without a leave-page question agrees at once.
    void RequestClose() override
    {
        m_calls << QStringLiteral("RequestClose");
        m_pSink->OnCloseConfirmed();
    }

    bool HasDocument() const override { return !m_url.isEmpty(); }
    void ExecEditCommand(EEditCommand command) override
    {
        m_calls << QStringLiteral("Edit %1").arg(int(command));
    }
    bool IsEditCommandEnabled(EEditCommand) const override { return false; }
    int GetTextSizeLevel() const override { return TextMedium; }
    void SetTextSizeLevel(int nLevel) override
    {
        m_calls << QStringLiteral("SetTextSizeLevel %1").arg(nLevel);
    }
    // Answered by the test through m_findCallbacks, in any order it likes.
    void FindText(const QString &strText, bool bBackward, bool bMatchCase,
                  FindCallback done) override
    {
        m_calls << QStringLiteral("FindText %1%2%3")
                       .arg(strText, bBackward ? QStringLiteral(" back") : QString(),
                            bMatchCase ? QStringLiteral(" case") : QString());
        if (done)
            m_findCallbacks << done;
    }
    // Writes m_savedFiles (names relative to the folder of strPath, contents) and then
    // reports m_strSaveError, at once or when the test calls m_saveDone.
    void SavePage(const QString &strPath, ESaveFormat format, DoneCallback done) override
    {
        m_calls << QStringLiteral("SavePage %1").arg(int(format));
        m_strSavedPath = strPath;
        m_saveDone = [this, strPath, done] {
            const QString folder = strPath.left(strPath.lastIndexOf(QLatin1Char('/')) + 1);
            for (auto it = m_savedFiles.cbegin(); it != m_savedFiles.cend(); ++it) {
                const QString path = folder + it.key();
                QDir().mkpath(path.left(path.lastIndexOf(QLatin1Char('/'))));
                QFile file(path);
                if (file.open(QIODevice::WriteOnly))
                    file.write(it.value());
            }
            done(m_strSaveError);
        };
        if (!m_bHoldSave)
            m_saveDone();
    }
    void Print(QPrinter *, DoneCallback done) override
    {
        m_calls << QStringLiteral("Print");
        done(QString());
    }
    void PrintToPdf(const QString &strPath, const QPageLayout &, const QPageRanges &,
                    DoneCallback done) override
    {
        m_calls << QStringLiteral("PrintToPdf ") + strPath;
        done(QString());
    }

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
    QList<FindCallback> m_findCallbacks;
    QMap<QString, QByteArray> m_savedFiles;
    QString m_strSaveError;
    bool m_bHoldSave = false;
    QString m_strSavedPath;
    std::function<void()> m_saveDone;

private:
    std::unique_ptr<QWidget> m_pWidget;
};
