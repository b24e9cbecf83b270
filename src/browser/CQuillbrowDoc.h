#pragma once

#include "CCmdTarget.h"

#include <QObject>
#include <QString>

class CChildFrame;
class CQuillbrowView;
class IBrowserHost;

// The document of a browser window. It holds no page data: only the window's
// title, and the choice of the next active window when the active one closes.
class CQuillbrowDoc : public QObject, public CCmdTarget
{
    Q_OBJECT
public:
    CQuillbrowDoc(IBrowserHost *pHost, QObject *parent = nullptr);

    QString GetTitle() const { return m_strTitle; }
    // Also the child frame's caption, and the main frame's while this window is active.
    void SetTitle(const QString &strTitle);

    CQuillbrowView *GetFirstView() const;
    CChildFrame *GetFrame() const { return m_pFrame; }
    void SetFrame(CChildFrame *pFrame) { m_pFrame = pFrame; }

    bool OnNewDocument();
    // Navigates the window to the address; true also when there is no view.
    bool OnOpenDocument(const QString &strAddress);
    // Chooses the next active window by ActivateMode, then destroys the window.
    void OnCloseDocument();

private:
    IBrowserHost *m_pHost;
    CChildFrame *m_pFrame = nullptr;
    QString m_strTitle;
};
