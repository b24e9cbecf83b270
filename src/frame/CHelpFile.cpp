#include "CHelpFile.h"

#include "CConfirmDlg.h"
#include "CProgramData.h"
#include "CQuillbrowView.h"
#include "CStringIds.h"
#include "CStringTable.h"
#include "IBrowserHost.h"

#include <QFileInfo>
#include <QUrl>

void CHelpFile::Initialise()
{
    m_strPath = ProgramDataPath(QStringLiteral("quillbrow-guide/index.html"));
}

void CHelpFile::Show(IBrowserHost *pHost, QWidget *pParent) const
{
    if (!QFileInfo(m_strPath).isFile()) {
        CConfirmDlg dlg(pParent,
                        LoadStringWith(IDS_FILE_NOT_FOUND, QStringLiteral("filename"), m_strPath),
                        Mb::Ok | Mb::IconExclamation, false);
        dlg.exec();
    }
    if (CQuillbrowView *view = pHost->CreateNewWindow(true, true))
        view->Navigate2(QUrl::fromLocalFile(m_strPath).toString());
}
