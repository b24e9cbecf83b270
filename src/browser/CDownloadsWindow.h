#pragma once

#include <QHash>
#include <QWidget>

class CDownloadManager;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The Downloads window: one row per download of this run and earlier ones, newest
// first, with its name, size, progress, speed while running and state; buttons act on
// the selected row. It is a window of its own beside the frame, shown again rather
// than made twice.
class CDownloadsWindow : public QWidget
{
    Q_OBJECT
public:
    enum EColumn { ColName, ColSize, ColProgress, ColSpeed, ColState, ColumnCount };

    CDownloadsWindow(CDownloadManager *pManager, QWidget *parent = nullptr);

    // The texts of every row, top to bottom, column by column, as shown.
    QList<QStringList> RowTexts() const;
    // Selects the row of the download saved at path; false when none is.
    bool SelectPath(const QString &strPath);

    // How sizes and speeds read: "512 bytes", "1.5 MB", ...
    static QString FormatSize(qint64 nBytes);

private:
    void Rebuild();
    void AddRow(quint64 nId, int nIndex);
    void UpdateRow(quint64 nId);
    void UpdateButtons();
    quint64 SelectedId() const;
    void OnOpen();
    void OnOpenFolder();
    // Opens a file or folder with the desktop's program for it; says so when it is
    // gone or nothing opens it.
    void OpenPath(const QString &strPath, bool bExists);

    CDownloadManager *m_pManager;
    QTreeWidget *m_pList;
    QPushButton *m_pPause;
    QPushButton *m_pResume;
    QPushButton *m_pCancel;
    QPushButton *m_pOpen;
    QPushButton *m_pOpenFolder;
    QHash<quint64, QTreeWidgetItem *> m_rows;
};
