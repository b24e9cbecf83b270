#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QTreeWidget;

// Asks for the name of a new favorite and the folder to put it in, with a button
// that makes a new folder in the chosen one. The caller writes the shortcut.
class CAddFavoriteDlg : public QDialog
{
    Q_OBJECT
public:
    // root is the Favorites folder; name the suggested name.
    CAddFavoriteDlg(const QString &root, const QString &name, QWidget *parent = nullptr);

    QString Name() const;
    // The chosen folder's path; the Favorites folder when nothing else is chosen.
    QString Folder() const;
    // Chooses a folder by its path relative to the Favorites folder ("" for the
    // folder itself, "News/Local"); false when there is no such folder.
    bool SelectFolder(const QString &relativePath);
    // Asks for a name and makes that folder inside the chosen one, then chooses it.
    // False when the user cancelled or the folder could not be made (the user is
    // told then).
    bool OnNewFolder();

    QLineEdit *NameEdit() const { return m_pName; }
    QTreeWidget *FolderTree() const { return m_pFolders; }
    QPushButton *OkButton() const { return m_pOk; }

    // Tests answer the next dialog in advance: its result (Accepted or Rejected),
    // the name (null keeps the suggestion) and the folder, relative to the Favorites
    // folder. The dialog is built and filled first.
    static void SetNextAnswer(int nResult, const QString &name = QString(),
                              const QString &folder = QString());
    static bool HasPendingAnswers();
    static void ClearNextAnswers();

    int exec() override;

private:
    void Refill(const QString &selectPath);

    QString m_strRoot;
    QLineEdit *m_pName;
    QTreeWidget *m_pFolders;
    QPushButton *m_pOk;
};
