#include "CFavoritesFolder.h"
#include "CInternetShortcut.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// Reading the Favorites folder as the menu shows it, and the changes the program
// makes to it.
class tst_CFavoritesFolder : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString Path(const QString &relative) const { return m_dir->filePath(relative); }
    bool Write(const QString &relative, const QByteArray &contents)
    {
        QDir().mkpath(QFileInfo(Path(relative)).absolutePath());
        QFile file(Path(relative));
        return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
    }
    bool Link(const QString &relative, const QString &url)
    {
        return Write(relative, CInternetShortcut::Compose(url));
    }
    static QStringList Names(const QList<SFavoriteItem> &items)
    {
        QStringList names;
        for (const SFavoriteItem &item : items)
            names << item.m_strName;
        return names;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void foldersThenLinksEachByName()
    {
        QVERIFY(QDir().mkpath(Path(u"b"_qs)));
        QVERIFY(QDir().mkpath(Path(u"A"_qs)));
        QVERIFY(Link(u"zeta.url"_qs, u"http://z/"_qs));
        QVERIFY(Link(u"Alpha.URL"_qs, u"http://a/"_qs));
        QVERIFY(Link(u"beta.url"_qs, u"http://b/"_qs));
        // Equal names apart from case keep the order of their file names.
        QVERIFY(Link(u"same.url"_qs, u"http://s2/"_qs));
        QVERIFY(Link(u"Same.url"_qs, u"http://s1/"_qs));

        const SFolderListing listing = CFavoritesFolder::Scan(m_dir->path());
        QVERIFY(listing.m_bReadable);
        QCOMPARE(Names(listing.m_folders), (QStringList {u"A"_qs, u"b"_qs}));
        QCOMPARE(Names(listing.m_links),
                 (QStringList {u"Alpha"_qs, u"beta"_qs, u"Same"_qs, u"same"_qs, u"zeta"_qs}));
        QCOMPARE(listing.m_links.at(0).m_strTarget, u"http://a/"_qs);
        QCOMPARE(listing.m_links.at(0).m_strPath, Path(u"Alpha.URL"_qs));
        QVERIFY(listing.m_folders.at(0).m_bFolder);
        QVERIFY(listing.m_folders.at(0).m_strTarget.isEmpty());
    }

    void equalNamesKeepTheirFileNameOrder()
    {
        // Enough names equal but for case that an unstable sort would mix them.
        QStringList names;
        for (int i = 0; i < 32; ++i) {
            QString name = u"abcde"_qs;
            for (int bit = 0; bit < 5; ++bit) {
                if (i & (1 << bit))
                    name[bit] = name.at(bit).toUpper();
            }
            names << name;
            QVERIFY(Link(name + u".url"_qs, u"http://x/"_qs + name));
        }
        names.sort(Qt::CaseSensitive);
        QCOMPARE(Names(CFavoritesFolder::Scan(m_dir->path()).m_links), names);
    }

    void onlyLinksAndFoldersAreListed()
    {
        QVERIFY(Link(u"kept.url"_qs, u"http://k/"_qs));
        QVERIFY(Write(u"no address.url"_qs, "[InternetShortcut]\r\nIconFile=x.ico\r\n"));
        QVERIFY(Link(u".hidden.url"_qs, u"http://h/"_qs));
        QVERIFY(QDir().mkpath(Path(u".hidden folder"_qs)));
        QVERIFY(Write(u"notes.txt"_qs, "URL=http://n/"));
        QVERIFY(Write(u"windows.lnk"_qs, "L\0\0\0"));
        QVERIFY(Write(u"app.desktop"_qs, "[Desktop Entry]\nType=Application\nExec=x\n"));
        QVERIFY(Write(u"x.desktop"_qs, "[Desktop Entry]\nType=Link\nName=Docs\nURL=http://d/\n"));
        QVERIFY(Write(u"plain.desktop"_qs, "[Desktop Entry]\nType=Link\nURL=http://p/\n"));
        QVERIFY(QFile::link(Path(u"missing"_qs), Path(u"dangling.url"_qs)));
        QVERIFY(QDir().mkpath(Path(u"real"_qs)));
        QVERIFY(QFile::link(Path(u"real"_qs), Path(u"linked folder"_qs)));

        const SFolderListing listing = CFavoritesFolder::Scan(m_dir->path());
        QCOMPARE(Names(listing.m_folders), (QStringList {u"linked folder"_qs, u"real"_qs}));
        QCOMPARE(Names(listing.m_links), (QStringList {u"Docs"_qs, u"kept"_qs, u"plain"_qs}));
        // A desktop link is resolved when it is opened; until then its target is itself.
        QCOMPARE(listing.m_links.at(0).m_strTarget, Path(u"x.desktop"_qs));
    }

    void foldersThatCannotBeListed()
    {
        QVERIFY(Write(u"file"_qs, "x"));
        QVERIFY(!CFavoritesFolder::Scan(Path(u"file"_qs)).m_bReadable);
        QVERIFY(!CFavoritesFolder::Scan(Path(u"missing"_qs)).m_bReadable);
        QVERIFY(!CFavoritesFolder::Scan(QString()).m_bReadable);
        const SFolderListing empty = CFavoritesFolder::Scan(m_dir->path());
        QVERIFY(empty.m_bReadable);
        QVERIFY(empty.m_folders.isEmpty() && empty.m_links.isEmpty());
    }

    void treeStopsAtSymbolicLinkLoops()
    {
        QVERIFY(Link(u"top.url"_qs, u"http://t/"_qs));
        QVERIFY(Link(u"sub/inner.url"_qs, u"http://i/"_qs));
        QVERIFY(QFile::link(m_dir->path(), Path(u"sub/back to top"_qs)));
        QVERIFY(QFile::link(Path(u"b"_qs), Path(u"a"_qs)));
        QVERIFY(QFile::link(Path(u"a"_qs), Path(u"b"_qs)));

        const SFavoriteNode root = CFavoritesFolder::ScanTree(m_dir->path());
        QCOMPARE(root.m_children.size(), 2);
        const SFavoriteNode &sub = root.m_children.at(0);
        QCOMPARE(sub.m_item.m_strName, u"sub"_qs);
        QCOMPARE(sub.m_children.size(), 2);
        const SFavoriteNode &loop = sub.m_children.at(0);
        QCOMPARE(loop.m_item.m_strName, u"back to top"_qs);
        QVERIFY(loop.m_bLoop);
        QVERIFY(loop.m_children.isEmpty());
        QCOMPARE(sub.m_children.at(1).m_item.m_strTarget, u"http://i/"_qs);
        QCOMPARE(root.m_children.at(1).m_item.m_strName, u"top"_qs);
    }

    void expandEnvironment_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expanded");
        QTest::newRow("percent form") << u"%QB_TEST_DIR%/Favorites"_qs << u"/data/x/Favorites"_qs;
        QTest::newRow("braces") << u"${QB_TEST_DIR}/F"_qs << u"/data/x/F"_qs;
        QTest::newRow("bare name") << u"$QB_TEST_DIR/F"_qs << u"/data/x/F"_qs;
        QTest::newRow("twice") << u"%QB_TEST_DIR%%QB_TEST_DIR%"_qs << u"/data/x/data/x"_qs;
        QTest::newRow("not set stays")
            << u"%QB_NOT_SET%/$QB_NOT_SET"_qs << u"%QB_NOT_SET%/$QB_NOT_SET"_qs;
        QTest::newRow("lone percent") << u"/100% sure"_qs << u"/100% sure"_qs;
        QTest::newRow("home") << u"~/Favorites"_qs << QDir::homePath() + u"/Favorites"_qs;
        QTest::newRow("another user's home stays") << u"~bob/F"_qs << u"~bob/F"_qs;
    }
    void expandEnvironment()
    {
        QFETCH(QString, value);
        qputenv("QB_TEST_DIR", "/data/x");
        QTEST(CFavoritesFolder::ExpandEnvironment(value), "expanded");
    }

    void locate()
    {
        const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        QCOMPARE(CFavoritesFolder::Locate(QString()), data + u"/Tarvo/Quillbrow/Favorites"_qs);
        QCOMPARE(CFavoritesFolder::Locate(u"  "_qs), data + u"/Tarvo/Quillbrow/Favorites"_qs);
        QCOMPARE(CFavoritesFolder::Locate(u"Links/../Marks"_qs), QDir::homePath() + u"/Marks"_qs);
        QCOMPARE(CFavoritesFolder::Locate(u"/srv//favs/"_qs), u"/srv/favs"_qs);
    }

    void safeFileName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("safe");
        QTest::newRow("kept") << u"Gr\u00FC\u00DFe & \u65E5\u672C (2)"_qs
                              << u"Gr\u00FC\u00DFe & \u65E5\u672C (2)"_qs;
        QTest::newRow("slash") << u"a/b"_qs << u"a_b"_qs;
        QTest::newRow("the Windows set") << u"\\:*?\"<>|"_qs << u"________"_qs;
        QTest::newRow("control characters") << u"a\u0000b\tc\u007F"_qs << u"a_b_c_"_qs;
        QTest::newRow("leading dot") << u".profile"_qs << u"_profile"_qs;
        QTest::newRow("trailing dots and spaces") << u"  name. . "_qs << u"name"_qs;
        QTest::newRow("device name") << u"con"_qs << u"con_"_qs;
        QTest::newRow("device name with extension") << u"LPT1.txt"_qs << u"LPT1_.txt"_qs;
        QTest::newRow("not a device name") << u"CONSOLE"_qs << u"CONSOLE"_qs;
        QTest::newRow("empty") << QString() << u"_"_qs;
        QTest::newRow("only dots") << u"..."_qs << u"_"_qs;
        QTest::newRow("255 bytes") << QString(255, u'a') << QString(255, u'a');
        QTest::newRow("256 bytes") << QString(256, u'a') << QString(255, u'a');
        QTest::newRow("two-byte characters") << QString(128, u'\u00E9') << QString(127, u'\u00E9');
        QTest::newRow("surrogate pairs")
            << u"\U0001F600"_qs.repeated(64) << u"\U0001F600"_qs.repeated(63);
    }
    void safeFileName()
    {
        QFETCH(QString, name);
        QTEST(CFavoritesFolder::SafeFileName(name), "safe");
    }

    void uniquePathAddsNumbers()
    {
        const QString folder = m_dir->path();
        QCOMPARE(CFavoritesFolder::UniquePath(folder, u"x"_qs, u".url"_qs), Path(u"x.url"_qs));
        QVERIFY(Link(u"x.url"_qs, u"http://1/"_qs));
        QVERIFY(QFile::link(Path(u"nowhere"_qs), Path(u"x (2).url"_qs)));
        QCOMPARE(CFavoritesFolder::UniquePath(folder, u"x"_qs, u".url"_qs), Path(u"x (3).url"_qs));
        // The number fits within the name limit.
        const QString longName(251, u'n');
        QVERIFY(Link(longName + u".url"_qs, u"http://l/"_qs));
        QCOMPARE(CFavoritesFolder::UniquePath(folder, longName, u".url"_qs),
                 Path(QString(247, u'n') + u" (2).url"_qs));
    }

    void addLinkNeverOverwrites()
    {
        const QString first = CFavoritesFolder::AddLink(m_dir->path(), u"a/b?"_qs, u"http://1/"_qs);
        const QString second
            = CFavoritesFolder::AddLink(m_dir->path(), u"a/b?"_qs, u"http://2/"_qs);
        QCOMPARE(first, Path(u"a_b_.url"_qs));
        QCOMPARE(second, Path(u"a_b_ (2).url"_qs));
        QCOMPARE(CInternetShortcut::ReadUrl(first), u"http://1/"_qs);
        QCOMPARE(CInternetShortcut::ReadUrl(second), u"http://2/"_qs);
        QFile file(first);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), "[InternetShortcut]\r\nURL=http://1/\r\n");

        QVERIFY(CFavoritesFolder::AddLink(Path(u"missing"_qs), u"x"_qs, u"http://x/"_qs).isEmpty());
        QVERIFY(!QFileInfo::exists(Path(u"missing"_qs)));
    }

    void createFolder()
    {
        QCOMPARE(CFavoritesFolder::CreateFolder(m_dir->path(), u"News"_qs), Path(u"News"_qs));
        QCOMPARE(CFavoritesFolder::CreateFolder(m_dir->path(), u"News"_qs), Path(u"News (2)"_qs));
        QVERIFY(QFileInfo(Path(u"News (2)"_qs)).isDir());
        QVERIFY(CFavoritesFolder::CreateFolder(Path(u"missing"_qs), u"x"_qs).isEmpty());
    }

    void renameKeepsKindAndContents()
    {
        QVERIFY(Link(u"old.url"_qs, u"http://o/"_qs));
        QVERIFY(Link(u"taken.url"_qs, u"http://t/"_qs));
        QVERIFY(QDir().mkpath(Path(u"folder/inner"_qs)));
        QVERIFY(Write(u"d.desktop"_qs, "[Desktop Entry]\nType=Link\nName=Old\nURL=http://d/\n"));

        QCOMPARE(CFavoritesFolder::Rename(Path(u"old.url"_qs), u"new: one"_qs),
                 Path(u"new_ one.url"_qs));
        QCOMPARE(CInternetShortcut::ReadUrl(Path(u"new_ one.url"_qs)), u"http://o/"_qs);
        QVERIFY(!QFileInfo::exists(Path(u"old.url"_qs)));
        QCOMPARE(CFavoritesFolder::Rename(Path(u"new_ one.url"_qs), u"taken"_qs),
                 Path(u"taken (2).url"_qs));
        QCOMPARE(CInternetShortcut::ReadUrl(Path(u"taken.url"_qs)), u"http://t/"_qs);
        QCOMPARE(CFavoritesFolder::Rename(Path(u"taken.url"_qs), u"taken"_qs),
                 Path(u"taken.url"_qs));

        QCOMPARE(CFavoritesFolder::Rename(Path(u"folder"_qs), u"Renamed"_qs), Path(u"Renamed"_qs));
        QVERIFY(QFileInfo(Path(u"Renamed/inner"_qs)).isDir());

        QCOMPARE(CFavoritesFolder::Rename(Path(u"d.desktop"_qs), u"Docs"_qs),
                 Path(u"Docs.desktop"_qs));
        SFavoriteItem item;
        QVERIFY(CFavoritesFolder::ReadItem(QFileInfo(Path(u"Docs.desktop"_qs)), item));
        QCOMPARE(item.m_strName, u"Docs"_qs);

        QVERIFY(CFavoritesFolder::Rename(Path(u"missing.url"_qs), u"x"_qs).isEmpty());
    }

    void moveIntoFolders()
    {
        QVERIFY(Link(u"a.url"_qs, u"http://a/"_qs));
        QVERIFY(Link(u"News/a.url"_qs, u"http://other/"_qs));
        QVERIFY(QDir().mkpath(Path(u"Outer/Inner"_qs)));
        QVERIFY(QDir().mkpath(Path(u"Target"_qs)));
        QVERIFY(QFile::link(Path(u"Target"_qs), Path(u"Shortcut to Target"_qs)));

        QCOMPARE(CFavoritesFolder::Move(Path(u"a.url"_qs), Path(u"News"_qs)),
                 Path(u"News/a (2).url"_qs));
        QCOMPARE(CInternetShortcut::ReadUrl(Path(u"News/a.url"_qs)), u"http://other/"_qs);
        // Staying where it is changes nothing.
        QCOMPARE(CFavoritesFolder::Move(Path(u"News/a.url"_qs), Path(u"News"_qs)),
                 Path(u"News/a.url"_qs));
        // A folder cannot go into itself or below itself.
        QVERIFY(CFavoritesFolder::Move(Path(u"Outer"_qs), Path(u"Outer/Inner"_qs)).isEmpty());
        QVERIFY(CFavoritesFolder::Move(Path(u"Outer"_qs), Path(u"Outer"_qs)).isEmpty());
        QCOMPARE(CFavoritesFolder::Move(Path(u"Outer"_qs), Path(u"News"_qs)),
                 Path(u"News/Outer"_qs));
        QVERIFY(QFileInfo(Path(u"News/Outer/Inner"_qs)).isDir());
        // A symbolic link moves as a link; what it points to stays.
        QCOMPARE(CFavoritesFolder::Move(Path(u"Shortcut to Target"_qs), Path(u"News"_qs)),
                 Path(u"News/Shortcut to Target"_qs));
        QVERIFY(QFileInfo(Path(u"News/Shortcut to Target"_qs)).isSymLink());
        QVERIFY(QFileInfo(Path(u"Target"_qs)).isDir());
        QVERIFY(CFavoritesFolder::Move(Path(u"News/a.url"_qs), Path(u"missing"_qs)).isEmpty());
    }

    void removeTakesLinksNotTheirTargets()
    {
        QVERIFY(Link(u"a.url"_qs, u"http://a/"_qs));
        QVERIFY(Link(u"Folder/b.url"_qs, u"http://b/"_qs));
        QVERIFY(Link(u"Kept/c.url"_qs, u"http://c/"_qs));
        QVERIFY(QFile::link(Path(u"Kept"_qs), Path(u"Link to Kept"_qs)));

        QVERIFY(CFavoritesFolder::Remove(Path(u"a.url"_qs)));
        // Into the trash, from where the user can take it back.
        const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
            + u"/Trash/files/a.url"_qs;
        QCOMPARE(CInternetShortcut::ReadUrl(trash), u"http://a/"_qs);
        QVERIFY(CFavoritesFolder::Remove(Path(u"Folder"_qs)));
        QVERIFY(CFavoritesFolder::Remove(Path(u"Link to Kept"_qs)));
        QVERIFY(!QFileInfo::exists(Path(u"a.url"_qs)));
        QVERIFY(!QFileInfo::exists(Path(u"Folder"_qs)));
        QVERIFY(!QFileInfo(Path(u"Link to Kept"_qs)).isSymLink());
        QVERIFY(QFileInfo::exists(Path(u"Kept/c.url"_qs)));
        QVERIFY(!CFavoritesFolder::Remove(Path(u"a.url"_qs)));
    }
};

QTEST_GUILESS_MAIN(tst_CFavoritesFolder)
#include "tst_cfavoritesfolder.moc"
