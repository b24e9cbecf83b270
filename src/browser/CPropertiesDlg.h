#pragma once

#include "CDialogScript.h"

#include <QDialog>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

class QFormLayout;
class QLabel;
class QNetworkAccessManager;
class QNetworkReply;

// The properties of a page: its title, address and protocol, and what the server says
// of it when asked again (a HEAD request): type, size and dates. A local file answers
// from the file system. Whatever nobody gives reads "Not available".
class CPropertiesDlg : public QDialog
{
    Q_OBJECT
public:
    CPropertiesDlg(const QString &strTitle, const QString &strAddress, QWidget *pParent = nullptr);
    ~CPropertiesDlg() override;

    int exec() override;

    // A row by its label without the colon ("Size").
    QString Field(const QString &strLabel) const;
    // The server has answered, or there was nobody to ask.
    bool IsComplete() const { return m_bComplete; }

    // How long the server has to answer.
    static constexpr int kTimeoutMs = 15000;

    // Tests act on the next dialog in advance; see CDialogScript.
    static void SetNextScript(CDialogScript<CPropertiesDlg>::Script script);
    static bool HasPendingScripts();
    static void ClearNextScripts();

signals:
    void completed();

private:
    QLabel *AddRow(const QString &strLabel, const QString &strValue);
    void SetRow(QLabel *pRow, const QString &strValue);
    void AskServer();
    void ReadLocalFile();
    void OnReply(QNetworkReply *pReply);
    // The rows only the server or the file system can fill; empty texts and a
    // negative size read "Not available".
    void SetServerRows(const QString &strType, qint64 nSize, const QString &strModified,
                       const QString &strDate, const QString &strExpires);

    QUrl m_url;
    QFormLayout *m_pForm;
    QList<QPair<QString, QLabel *>> m_rows;
    QLabel *m_pType;
    QLabel *m_pSize;
    QLabel *m_pModified;
    QLabel *m_pServerDate;
    QLabel *m_pExpires;
    QNetworkAccessManager *m_pNetwork = nullptr;
    bool m_bComplete = false;
};
