#pragma once

#include <QFileDialog>
#include <QString>
#include <QStringList>

// The program's file prompts: Qt's own dialog rather than the desktop's, so it
// looks and behaves the same everywhere and tests can answer it in advance the way
// they answer CConfirmDlg.
class CFileDialog
{
public:
    // Returns the chosen path, empty when the user cancelled. filters are name
    // filters such as "HTML Documents (*.htm *.html)", the first selected unless
    // pSelectedFilter names another; on return it holds the filter the user chose.
    static QString GetOpenFileName(QWidget *pParent, const QString &caption,
                                   const QString &directory, const QStringList &filters,
                                   QString *pSelectedFilter = nullptr);
    static QString GetSaveFileName(QWidget *pParent, const QString &caption,
                                   const QString &directory, const QStringList &filters,
                                   QString *pSelectedFilter = nullptr);
    static QString GetExistingDirectory(QWidget *pParent, const QString &caption,
                                        const QString &directory);

    // Tests answer the next prompt in advance: a path (empty for Cancel) and,
    // optionally, the filter chosen. The dialog is still built and filled first.
    static void SetNextAnswer(const QString &path, const QString &filter = QString());
    static bool HasPendingAnswers();
    static void ClearNextAnswers();
    // Gives the dialog its name filters and returns them as the dialog holds them, in
    // the same order. A filter may list its patterns with semicolons,
    // "HTML Documents(*.htm;*.html)"; it is shown as written and filters as meant
    // ("*.*" being every file).
    static QStringList SetNameFilters(QFileDialog &dlg, const QStringList &filters);

    // What the last prompt offered, for tests.
    static QString LastCaption();
    static QStringList LastFilters();
    static QString LastDirectory();

private:
    static QString Run(QWidget *pParent, QFileDialog::AcceptMode mode,
                       QFileDialog::FileMode fileMode, const QString &caption,
                       const QString &directory, const QStringList &filters,
                       QString *pSelectedFilter);
};
