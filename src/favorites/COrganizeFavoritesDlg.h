#pragma once

#include <QDialog>
#include <QTreeWidget>

#include <functional>

class QLabel;
class QPushButton;

// The tree of the Organize dialog. Items are dragged onto a folder (or a link in
// it, or the empty space below for the Favorites folder itself); the dialog moves
// them on disk and shows the folder again, so the view never moves items itself.
class CFavoritesTreeView : public QTreeWidget
{
    Q_OBJECT
public:
    explicit CFavoritesTreeView(QWidget *parent = nullptr);

    // The folder a drop at pos (viewport coordinates) goes into.
    QString DropFolder(const QPoint &pos) const;
    // The dragged items' paths, one per line, as a drag carries them.
    QMimeData *mimeData(const QList<QTreeWidgetItem *> &items) const override;
    QStringList mimeTypes() const override;
    static const QString kMimeType;
    bool IsEditing() const { return state() == EditingState; }

signals:
    void moveRequested(const QStringList &paths, const QString &folder);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};

// Organize your Favorites: the Favorites folder as a tree, whose items can be
// renamed (in place, F2 or the Rename button), moved by dragging, deleted after a
// question, and a button that makes a new folder. Every change is made on disk at
// once; the menu shows it the next time it opens.
class COrganizeFavoritesDlg : public QDialog
{
    Q_OBJECT
public:
    explicit COrganizeFavoritesDlg(const QString &root, QWidget *parent = nullptr);

    CFavoritesTreeView *Tree() const { return m_pTree; }
    QTreeWidgetItem *FindItem(const QString &relativePath) const;
    // Reads the folder again, keeping the selection on selectPath where it still is.
    void Reload(const QString &selectPath = QString());

    // The dialog's operations; each tells the user when the disk refuses and
    // returns the item's new path, empty when nothing changed.
    // A new folder in the selected folder (or in the selected link's folder).
    QString OnCreateFolder();
    QString RenameItem(QTreeWidgetItem *pItem, const QString &name);
    QString MoveItem(const QString &path, const QString &folder);
    // Asks first; false when the user said No or the item could not be deleted.
    bool DeleteItem(QTreeWidgetItem *pItem);

    QPushButton *CreateFolderButton() const { return m_pCreate; }
    QPushButton *RenameButton() const { return m_pRename; }
    QPushButton *DeleteButton() const { return m_pDelete; }
    QString DetailsText() const;

    // Tests act on the next dialog in advance: once it is built and filled, exec()
    // runs session on it instead of waiting for the user, then returns Accepted.
    static void SetNextSession(std::function<void(COrganizeFavoritesDlg &)> session);
    static bool HasPendingSessions();
    static void ClearNextSessions();

    int exec() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void OnCurrentItemChanged();
    void OnItemChanged(QTreeWidgetItem *pItem);
    void ReportFailure(const QString &path);

    QString m_strRoot;
    CFavoritesTreeView *m_pTree;
    QLabel *m_pDetails;
    QPushButton *m_pCreate;
    QPushButton *m_pRename;
    QPushButton *m_pDelete;
    bool m_bFilling = false;
};
