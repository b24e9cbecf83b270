#include "CFileDialog.h"

#include <QList>
#include <QRegularExpression>

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

// Qt's dialog reads the patterns in the last parentheses of a filter, separated by
// blanks.
const QRegularExpression &FilterPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^(.*)\\(([^()]*)\\)\\s*$"));
    return pattern;
}
// The chosen filter as the caller wrote it. With the details hidden the dialog may
// report the filter as it shows it, which is how the caller wrote it.
QString GivenFilter(const QFileDialog &dlg, const QStringList &filters, const QStringList &shown)
{
    const QString selected = dlg.selectedNameFilter();
    const qsizetype nShown = shown.indexOf(selected);
    return nShown >= 0 ? filters.value(nShown) : selected;
}
} // namespace

QStringList CFileDialog::SetNameFilters(QFileDialog &dlg, const QStringList &filters)
{
    bool bSemicolons = false;
    for (const QString &filter : filters) {
        const QRegularExpressionMatch match = FilterPattern().match(filter);
        bSemicolons = bSemicolons || (match.hasMatch() && match.captured(2).contains(u';'));
    }
    if (!bSemicolons) {
        dlg.setNameFilters(filters);
        return dlg.nameFilters();
    }
    // Each filter gets its patterns once more after it, blank-separated, for the dialog
    // to filter by; hiding the filters' details then shows each exactly as written.
    QStringList given;
    for (const QString &filter : filters) {
        const QRegularExpressionMatch match = FilterPattern().match(filter);
        if (!match.hasMatch()) {
            given << filter;
            continue;
        }
        QStringList patterns = match.captured(2).split(
            QRegularExpression(QStringLiteral("[;\\s]+")), Qt::SkipEmptyParts);
        for (QString &p : patterns) {
            if (p == QLatin1String("*.*"))
                p = QStringLiteral("*");
        }
        given << filter.trimmed() + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    dlg.setOption(QFileDialog::HideNameFilterDetails);
    dlg.setNameFilters(given);
    return dlg.nameFilters();
}

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
    QStringList shown;
    if (!filters.isEmpty()) {
        shown = SetNameFilters(dlg, filters);
        if (pSelectedFilter && filters.contains(*pSelectedFilter))
            dlg.selectNameFilter(shown.value(filters.indexOf(*pSelectedFilter)));
    }
    LastPrompt() = {caption, filters, directory};

    if (!PendingAnswers().isEmpty()) {
        const SAnswer answer = PendingAnswers().takeFirst();
        if (answer.path.isEmpty())
            return QString();
        if (pSelectedFilter)
            *pSelectedFilter
                = answer.filter.isEmpty() ? GivenFilter(dlg, filters, shown) : answer.filter;
        return answer.path;
    }

    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return QString();
    if (pSelectedFilter)
        *pSelectedFilter = GivenFilter(dlg, filters, shown);
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
