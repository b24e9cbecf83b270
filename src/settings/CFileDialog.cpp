#include "CFileDialog.h"

#include <QList>

namespace {
struct SAnswer
{
    QString path;
    QString filter;
};

QList<SAnswer> &PendingAnswers()
{
    static QList<SAnswer> answers;
    return answers;
}

struct SLastPrompt
{
    QString caption;
    QStringList filters;
    QString directory;
};

SLastPrompt &LastPrompt()
{
    static SLastPrompt last;
    return last;
}
} // namespace

QString CFileDialog::Run(QWidget *pParent, QFileDialog::AcceptMode mode,
                         QFileDialog::FileMode fileMode, const QString &caption,
                         const QString &directory, const QStringList &filters,
                         QString *pSelectedFilter)
{
    QFileDialog dlg(pParent, caption, directory);
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setAcceptMode(mode);
    dlg.setFileMode(fileMode);
    if (fileMode == QFileDialog::Directory)
        dlg.setOption(QFileDialog::ShowDirsOnly);
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        if (pSelectedFilter && filters.contains(*pSelectedFilter))
            dlg.selectNameFilter(*pSelectedFilter);
    }
    LastPrompt() = {caption, filters, directory};

    if (!PendingAnswers().isEmpty()) {
        const SAnswer answer = PendingAnswers().takeFirst();
        if (answer.path.isEmpty())
            return QString();
        if (pSelectedFilter)
            *pSelectedFilter = answer.filter.isEmpty() ? dlg.selectedNameFilter() : answer.filter;
        return answer.path;
    }

    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return QString();
    if (pSelectedFilter)
        *pSelectedFilter = dlg.selectedNameFilter();
    return dlg.selectedFiles().constFirst();
}

QString CFileDialog::GetOpenFileName(QWidget *pParent, const QString &caption,
                                     const QString &directory, const QStringList &filters,
                                     QString *pSelectedFilter)
{
    return Run(pParent, QFileDialog::AcceptOpen, QFileDialog::ExistingFile, caption, directory,
               filters, pSelectedFilter);
}

QString CFileDialog::GetSaveFileName(QWidget *pParent, const QString &caption,
                                     const QString &directory, const QStringList &filters,
                                     QString *pSelectedFilter)
{
    return Run(pParent, QFileDialog::AcceptSave, QFileDialog::AnyFile, caption, directory, filters,
               pSelectedFilter);
}

QString CFileDialog::GetExistingDirectory(QWidget *pParent, const QString &caption,
                                          const QString &directory)
{
    return Run(pParent, QFileDialog::AcceptOpen, QFileDialog::Directory, caption, directory, {},
               nullptr);
}

void CFileDialog::SetNextAnswer(const QString &path, const QString &filter)
{
    PendingAnswers().append({path, filter});
}

bool CFileDialog::HasPendingAnswers()
{
    return !PendingAnswers().isEmpty();
}

void CFileDialog::ClearNextAnswers()
{
    PendingAnswers().clear();
}

QString CFileDialog::LastCaption()
{
    return LastPrompt().caption;
}

QStringList CFileDialog::LastFilters()
{
    return LastPrompt().filters;
}

QString CFileDialog::LastDirectory()
{
    return LastPrompt().directory;
}
