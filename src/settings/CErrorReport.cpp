#include "CErrorReport.h"

#include "CConfirmDlg.h"
#include "CStringIds.h"
#include "CStringTable.h"

#include <QApplication>

void ShowErrorText(const QString &text, QWidget *pParent)
{
    if (text.isNull())
        return;
    if (!pParent)
        pParent = QApplication::activeWindow();

    QString caption = LoadString(IDS_ERROR_CAPTION);
    if (caption.isEmpty())
        caption = QStringLiteral("Error");

    CConfirmDlg dlg(pParent, text, Mb::Ok | Mb::IconExclamation, false, caption);
    dlg.exec();
}

void ShowErrorString(int nStringId, QWidget *pParent)
{
    QString text = LoadString(nStringId);
    if (text.isEmpty())
        text = QStringLiteral("Unhandled error occurs.");
    ShowErrorText(text, pParent);
}

void ShowSystemError(int errorCode, QWidget *pParent)
{
    // One-pass arg(), so a "%2" inside the system's text is left alone.
    ShowErrorText(QStringLiteral("%1\n\nError Code: %2")
                      .arg(qt_error_string(errorCode), QString::number(errorCode)),
                  pParent);
}
