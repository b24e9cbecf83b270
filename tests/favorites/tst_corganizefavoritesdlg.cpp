#include "CConfirmDlg.h"
#include "CFolderNameDlg.h"
#include "CInternetShortcut.h"
#include "COrganizeFavoritesDlg.h"

#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

// Organize your Favorites: every change lands on disk at once.
class tst_COrganizeFavoritesDlg : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<COrganizeFavoritesDlg> m_dlg;

    QString Path(const QString &relative) const { return QDir(m_dir->path()).filePath(relative); }
    bool Link(const QString &relative, const QString &url)
    {
        QFile file(Path(relative));
        const QByteArray data = CInternetShortcut::Compose(url);
        return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
    }
    QTreeWidgetItem *Item(const QString &relative) const { return m_dlg->FindItem(relative); }

    // What a drag of the item onto target (or below the last item) delivers.
    void Drop(const QString &item, const QString &target)
    {
        CFavoritesTreeView *tree = m_dlg->Tree();
        for (QTreeWidgetItem *folder = Item(target); folder; folder = folder->parent())
            folder->setExpanded(true);
        std::unique_ptr<QMimeData> data(tree->mimeData({Item(item)}));
        const QPoint at = target.isNull() ? QPoint(5, tree->viewport()->height() - 2)
                                          : tree->visualItemRect(Item(target)).center();
        QDragEnterEvent enter(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(tree->viewport(), &enter);
        QDragMoveEvent move(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(tree->viewport(), &move);
        QDropEvent drop(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(tree->viewport(), &drop);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(QDir().mkpath(Path(u"News/Local"_qs)));
        QVERIFY(Link(u"Alpha.url"_qs, u"http://a/"_qs));
        QVERIFY(Link(u"News/BBC.url"_qs, u"http://bbc/"_qs));
        m_dlg = std::make_unique<COrganizeFavoritesDlg>(m_dir->path());
        m_dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
    }

    void cleanup()
    {
        m_dlg.reset();
        QVERIFY(!CConfirmDlg::HasPendingAnswers());
        QVERIFY(!CFolderNameDlg::HasPendingAnswers());
        CConfirmDlg::ClearNextAnswers();
        CFolderNameDlg::ClearNextAnswers();
    }

    void showsTheWholeFolder()
    {
        QTreeWidgetItem *top = Item(QString());
        QCOMPARE(top->text(0), u"Favorites"_qs);
        QCOMPARE(top->childCount(), 2);
        QCOMPARE(top->child(0)->text(0), u"News"_qs);
        QCOMPARE(top->child(1)->text(0), u"Alpha"_qs);
        QCOMPARE(Item(u"News"_qs)->child(1)->text(0), u"BBC"_qs);
        // The folder itself is neither renamed nor deleted.
        QVERIFY(!m_dlg->RenameButton()->isEnabled());
        QVERIFY(!m_dlg->DeleteButton()->isEnabled());
        m_dlg->Tree()->setCurrentItem(Item(u"Alpha.url"_qs));
        QVERIFY(m_dlg->RenameButton()->isEnabled());
        QCOMPARE(m_dlg->DetailsText(), u"Alpha\nhttp://a/"_qs);
    }

    void renameOnDisk()
    {
        QCOMPARE(m_dlg->RenameItem(Item(u"Alpha.url"_qs), u"Beta"_qs), Path(u"Beta.url"_qs));
        QCOMPARE(CInternetShortcut::ReadUrl(Path(u"Beta.url"_qs)), u"http://a/"_qs);
        QCOMPARE(Item(u"Beta.url"_qs)->text(0), u"Beta"_qs);
        QCOMPARE(m_dlg->Tree()->currentItem(), Item(u"Beta.url"_qs));
        QCOMPARE(m_dlg->RenameItem(Item(u"News"_qs), u"Press"_qs), Path(u"Press"_qs));
        QVERIFY(QFileInfo::exists(Path(u"Press/BBC.url"_qs)));
        // An empty name changes nothing.
        QVERIFY(m_dlg->RenameItem(Item(u"Beta.url"_qs), u"  "_qs).isEmpty());
        QCOMPARE(Item(u"Beta.url"_qs)->text(0), u"Beta"_qs);

        // Edited in place: the file follows once the editor has closed.
        Item(u"Beta.url"_qs)->setText(0, u"Gamma"_qs);
        QTRY_VERIFY(QFileInfo::exists(Path(u"Gamma.url"_qs)));
        QVERIFY(Item(u"Gamma.url"_qs));
    }

    void renameThatTheDiskRefuses()
    {
        QTreeWidgetItem *alpha = Item(u"Alpha.url"_qs);
        QVERIFY(QFile::remove(Path(u"Alpha.url"_qs)));
        CConfirmDlg::SetNextAnswer(IDOK);
        QVERIFY(m_dlg->RenameItem(alpha, u"Beta"_qs).isEmpty());
        QCOMPARE(CConfirmDlg::LastText(),
                 u"Quillbrow could not change following item of your Favorites:\n\n\""_qs
                     + Path(u"Alpha.url"_qs) + u'"');
        QVERIFY(!Item(u"Alpha.url"_qs));
    }

    void moveByDragging()
    {
        Drop(u"Alpha.url"_qs, u"News/Local"_qs);
        QTRY_VERIFY(QFileInfo::exists(Path(u"News/Local/Alpha.url"_qs)));
        QVERIFY(!QFileInfo::exists(Path(u"Alpha.url"_qs)));
        QTRY_VERIFY(Item(u"News/Local/Alpha.url"_qs));

        // Onto a link: into that link's folder. Below the items: the Favorites folder.
        Drop(u"News/Local/Alpha.url"_qs, u"News/BBC.url"_qs);
        QTRY_VERIFY(QFileInfo::exists(Path(u"News/Alpha.url"_qs)));
        Drop(u"News/Local"_qs, QString());
        QTRY_VERIFY(QFileInfo(Path(u"Local"_qs)).isDir());

        // A folder dropped into itself stays, without a word.
        Drop(u"News"_qs, u"News"_qs);
        Drop(u"News"_qs, u"News/BBC.url"_qs);
        QCoreApplication::processEvents();
        QVERIFY(QFileInfo(Path(u"News/BBC.url"_qs)).exists());
        QVERIFY(!CConfirmDlg::HasPendingAnswers());
    }

    void deleteAsksFirst()
    {
        m_dlg->Tree()->setCurrentItem(Item(u"Alpha.url"_qs));
        CConfirmDlg::SetNextAnswer(IDNO);
        QTest::keyClick(m_dlg->Tree(), Qt::Key_Delete);
        QCOMPARE(CConfirmDlg::LastText(),
                 u"Are you going to delete \"Alpha\" from your Favorites?"_qs);
        QVERIFY(QFileInfo::exists(Path(u"Alpha.url"_qs)));

        CConfirmDlg::SetNextAnswer(IDYES);
        QVERIFY(m_dlg->DeleteItem(Item(u"News"_qs)));
        QCOMPARE(CConfirmDlg::LastText(),
                 u"Are you going to delete the folder \"News\" and everything in it?"_qs);
        QVERIFY(!QFileInfo::exists(Path(u"News"_qs)));
        QVERIFY(!Item(u"News"_qs));
        QVERIFY(!m_dlg->DeleteItem(Item(QString())));
    }

    void createFolderBesideTheSelection()
    {
        m_dlg->Tree()->setCurrentItem(Item(u"News/BBC.url"_qs));
        CFolderNameDlg::SetNextAnswer(u"Local"_qs);
        m_dlg->CreateFolderButton()->click();
        QVERIFY(QFileInfo(Path(u"News/Local (2)"_qs)).isDir());
        QCOMPARE(m_dlg->Tree()->currentItem(), Item(u"News/Local (2)"_qs));
    }

    void answeredInAdvance()
    {
        COrganizeFavoritesDlg::SetNextSession([](COrganizeFavoritesDlg &dlg) {
            dlg.RenameItem(dlg.FindItem(u"Alpha.url"_qs), u"Done"_qs);
        });
        COrganizeFavoritesDlg dlg(m_dir->path());
        QCOMPARE(dlg.exec(), int(QDialog::Accepted));
        QVERIFY(QFileInfo::exists(Path(u"Done.url"_qs)));
        QVERIFY(!COrganizeFavoritesDlg::HasPendingSessions());
    }
};

QTEST_MAIN(tst_COrganizeFavoritesDlg)
#include "tst_corganizefavoritesdlg.moc"
