#include "CAddFavoriteDlg.h"
#include "CConfirmDlg.h"
#include "CFolderNameDlg.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

// The Add Favorite dialog: a name and a folder, with New Folder.
class tst_CAddFavoriteDlg : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString Path(const QString &relative) const { return QDir(m_dir->path()).filePath(relative); }
    static QStringList Folders(const QTreeWidget *tree)
    {
        QStringList names;
        std::function<void(const QTreeWidgetItem *, const QString &)> walk
            = [&](const QTreeWidgetItem *item, const QString &prefix) {
                  names << prefix + item->text(0);
                  for (int i = 0; i < item->childCount(); ++i)
                      walk(item->child(i), prefix + u"  "_qs);
              };
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            walk(tree->topLevelItem(i), QString());
        return names;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(QDir().mkpath(Path(u"News/Local"_qs)));
        QVERIFY(QDir().mkpath(Path(u"art"_qs)));
        QFile link(Path(u"link.url"_qs));
        QVERIFY(link.open(QIODevice::WriteOnly));
        link.write("[InternetShortcut]\r\nURL=http://l/\r\n");
    }

    void cleanup()
    {
        QVERIFY(!CFolderNameDlg::HasPendingAnswers());
        QVERIFY(!CConfirmDlg::HasPendingAnswers());
        CFolderNameDlg::ClearNextAnswers();
        CConfirmDlg::ClearNextAnswers();
    }

    void offersTheFoldersOnly()
    {
        CAddFavoriteDlg dlg(m_dir->path(), u"Page title"_qs);
        QCOMPARE(Folders(dlg.FolderTree()),
                 (QStringList {u"Favorites"_qs, u"  art"_qs, u"  News"_qs, u"    Local"_qs}));
        QCOMPARE(dlg.Name(), u"Page title"_qs);
        QCOMPARE(dlg.Folder(), m_dir->path());
        QVERIFY(dlg.OkButton()->isEnabled());
        dlg.NameEdit()->setText(u"   "_qs);
        QVERIFY(!dlg.OkButton()->isEnabled());

        QVERIFY(dlg.SelectFolder(u"News/Local"_qs));
        QCOMPARE(dlg.Folder(), Path(u"News/Local"_qs));
        QVERIFY(!dlg.SelectFolder(u"Missing"_qs));
        QCOMPARE(dlg.Folder(), Path(u"News/Local"_qs));
    }

    void newFolderGoesIntoTheChosenOne()
    {
        CAddFavoriteDlg dlg(m_dir->path(), u"t"_qs);
        QVERIFY(dlg.SelectFolder(u"News"_qs));
        CFolderNameDlg::SetNextAnswer(u"Local"_qs);
        QVERIFY(dlg.OnNewFolder());
        QCOMPARE(dlg.Folder(), Path(u"News/Local (2)"_qs));
        QVERIFY(QFileInfo(Path(u"News/Local (2)"_qs)).isDir());
        QVERIFY(Folders(dlg.FolderTree()).contains(u"    Local (2)"_qs));

        CFolderNameDlg::SetNextAnswer(QString());
        QVERIFY(!dlg.OnNewFolder());
        QCOMPARE(dlg.Folder(), Path(u"News/Local (2)"_qs));

        // The folder went away while the dialog was open.
        QVERIFY(QDir(Path(u"News"_qs)).removeRecursively());
        CFolderNameDlg::SetNextAnswer(u"x"_qs);
        CConfirmDlg::SetNextAnswer(IDOK);
        QVERIFY(!dlg.OnNewFolder());
        QCOMPARE(CConfirmDlg::LastText(),
                 u"Quillbrow could not create following folder:\n\n\""_qs
                     + Path(u"News/Local (2)/x"_qs) + u'"');
    }

    void answeredInAdvance()
    {
        CAddFavoriteDlg::SetNextAnswer(QDialog::Accepted, u"Mine"_qs, u"News"_qs);
        CAddFavoriteDlg dlg(m_dir->path(), u"Suggested"_qs);
        QCOMPARE(dlg.exec(), int(QDialog::Accepted));
        QCOMPARE(dlg.Name(), u"Mine"_qs);
        QCOMPARE(dlg.Folder(), Path(u"News"_qs));

        CAddFavoriteDlg::SetNextAnswer(QDialog::Rejected);
        CAddFavoriteDlg other(m_dir->path(), u"Suggested"_qs);
        QCOMPARE(other.exec(), int(QDialog::Rejected));
        QCOMPARE(other.Name(), u"Suggested"_qs);
        QVERIFY(!CAddFavoriteDlg::HasPendingAnswers());
    }
};

QTEST_MAIN(tst_CAddFavoriteDlg)
#include "tst_caddfavoritedlg.moc"
