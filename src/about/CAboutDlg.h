#pragma once

#include "CDialogScript.h"

#include <QDialog>

class CHyperLink;
class QLabel;

// "About Quillbrow": the program's name and version, the makers' e-mail and web-site
// links, and the versions of Qt WebEngine and of the Chromium inside it.
class CAboutDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget *parent = nullptr);
    ~CAboutDlg() override;

    int exec() override;

    // The engine label's text before the Chromium version is added.
    static QString EngineTemplate();

    QLabel *TitleLabel() const { return m_staticTitle; }
    QLabel *EngineLabel() const { return m_staticEngine; }
    CHyperLink *MailLink() const { return m_linkMail; }
    CHyperLink *WebLink() const { return m_linkWeb; }

    // Tests act on the next dialog in advance; see CDialogScript.
    static void SetNextScript(CDialogScript<CAboutDlg>::Script script);
    static bool HasPendingScripts();
    static void ClearNextScripts();

private:
    void OnInitDialog();

    QLabel *m_staticEngine;
    QLabel *m_staticTitle;
    CHyperLink *m_linkWeb;
    CHyperLink *m_linkMail;
};
