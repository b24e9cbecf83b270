#include "CBookmarkFile.h"
#include "CFavoritesFolder.h"
#include "CInternetShortcut.h"

#include <QDir>
#include <QDirIterator>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// What a browser writes, with the odd corners such files have: attributes in any
// case and quoting, entities, descriptions, separators, a name over two lines, a
// saved search that is no page.
const QByteArray kSample
    = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
      "<!-- This is an automatically generated file. -->\n"
      "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
      "<TITLE>Bookmarks</TITLE>\n"
      "<H1>Bookmarks Menu</H1>\n"
      "<DL><p>\n"
      "    <DT><H3 ADD_DATE=\"1\" LAST_MODIFIED=\"2\">Nachrichten &amp; Wetter</H3>\n"
      "    <DD>Folder description\n"
      "    <DL><p>\n"
      "        <DT><A HREF=\"https://www.example.de/?a=1&amp;b=2\" ADD_DATE=\"3\" "
      "ICON=\"data:x\">Grüße aus Köln</A>\n"
      "        <HR>\n"
      "        <DT><H3>Tief</H3>\n"
      "        <DL><p>\n"
      "            <dt><a href='http://deep.example/'>Deep\n"
      "              link</a>\n"
      "        </DL><p>\n"
      "        <DT><H3>Empty</H3>\n"
      "        <DL><p>\n"
      "        </DL><p>\n"
      "    </DL><p>\n"
      "    <HR>\n"
      "    <DT><A HREF=\"http://example.com/x\" >What? A/B: \"quoted\" &lt;tag&gt; | *star*</A>\n"
      "    <DD>A description\n"
      "    <DT><A HREF=\"place:sort=8&maxResults=10\">Recent Tags</A>\n"
      "    <DT><A HREF=http://unquoted.example/>日本語のページ</A>\n"
      "</DL><p>\n";

SBookmark Folder(const QString &name, QList<SBookmark> children)
{
    return SBookmark {name, QString(), true, std::move(children)};
}

SBookmark Link(const QString &name, const QString &url)
{
    return SBookmark {name, url, false, {}};
}

QString Describe(const SBookmark &item, int nDepth = 0)
{
    QString text = QString(nDepth * 2, u' ') + item.m_strName;
    if (!item.m_bFolder)
        text += u" -> "_qs + item.m_strUrl;
    text += u'\n';
    for (const SBookmark &child : item.m_children)
        text += Describe(child, nDepth + 1);
    return text;
}

QStringList Files(const QString &root)
{
    QStringList files;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(root).relativeFilePath(it.next());
    files.sort();
    return files;
}
} // namespace

// Bookmark files in, bookmark files out, and nothing half done in between.
class tst_CBookmarkFile : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString Path(const QString &relative) const { return m_dir->filePath(relative); }
    QString WriteFile(const QString &name, const QByteArray &data)
    {
        QFile file(Path(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
            return QString();
        return file.fileName();
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void readsNestedFolders()
    {
        SBookmark root;
        QCOMPARE(CBookmarkFile::Parse(kSample, root), EBookmarkResult::Ok);
        const SBookmark expected = Folder(
            QString(),
            {Folder(u"Nachrichten & Wetter"_qs,
                    {Link(u"Grüße aus Köln"_qs, u"https://www.example.de/?a=1&b=2"_qs),
                     Folder(u"Tief"_qs, {Link(u"Deep link"_qs, u"http://deep.example/"_qs)}),
                     Folder(u"Empty"_qs, {})}),
             Link(u"What? A/B: \"quoted\" <tag> | *star*"_qs, u"http://example.com/x"_qs),
             Link(u"日本語のページ"_qs, u"http://unquoted.example/"_qs)});
        QCOMPARE(Describe(root), Describe(expected));
        QCOMPARE(root.CountLinks(), 4);
        QCOMPARE(root.CountItems(), 7);
    }

    void garbageIsRefused_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<EBookmarkResult>("result");
        QByteArray noise(4096, '\0');
        QRandomGenerator generator(42);
        for (char &c : noise)
            c = char(generator.bounded(256));
        QTest::newRow("random bytes") << noise << EBookmarkResult::NotBookmarkFile;
        QTest::newRow("an image") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR<DL>", 20)
                                  << EBookmarkResult::NotBookmarkFile;
        QTest::newRow("text") << QByteArray("hello <world>") << EBookmarkResult::NotBookmarkFile;
        QTest::newRow("another page")
            << QByteArray("<html><body><a href=\"http://x/\">x</a></body></html>")
            << EBookmarkResult::NotBookmarkFile;
        QTest::newRow("empty file") << QByteArray() << EBookmarkResult::NotBookmarkFile;
        QTest::newRow("heading only")
            << QByteArray("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<H1>B</H1>")
            << EBookmarkResult::NoFavorites;
        QTest::newRow("list without heading")
            << QByteArray("<DL><DT><A HREF=\"http://x/\">x</A></DL>") << EBookmarkResult::Ok;
        QTest::newRow("cut short") << kSample.left(kSample.indexOf("Deep")) << EBookmarkResult::Ok;
    }
    void garbageIsRefused()
    {
        QFETCH(QByteArray, data);
        SBookmark root;
        QTEST(CBookmarkFile::Parse(data, root), "result");
    }

    void sizeLimit()
    {
        const QString path = WriteFile(u"b.htm"_qs, kSample);
        SBookmark root;
        QCOMPARE(CBookmarkFile::Read(path, root, kSample.size()), EBookmarkResult::Ok);
        QCOMPARE(CBookmarkFile::Read(path, root, kSample.size() - 1), EBookmarkResult::TooLarge);

        // 50 MB, most of it never read.
        QFile big(Path(u"big.htm"_qs));
        QVERIFY(big.open(QIODevice::WriteOnly));
        big.write(kSample);
        QVERIFY(big.resize(50 * 1024 * 1024));
        big.close();
        QCOMPARE(CBookmarkFile::Read(big.fileName(), root), EBookmarkResult::TooLarge);
        QCOMPARE(CBookmarkFile::Read(Path(u"missing.htm"_qs), root), EBookmarkResult::CannotRead);
    }

    void itemAndDepthLimits()
    {
        const auto links = [](int nCount) {
            QByteArray data = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL>\n";
            for (int i = 0; i < nCount; ++i)
                data += "<DT><A HREF=\"http://h/" + QByteArray::number(i) + "\">n</A>\n";
            return data + "</DL>\n";
        };
        SBookmark root;
        QCOMPARE(CBookmarkFile::Parse(links(CBookmarkFile::kMaxItems), root), EBookmarkResult::Ok);
        QCOMPARE(CBookmarkFile::Parse(links(CBookmarkFile::kMaxItems + 1), root),
                 EBookmarkResult::TooMany);

        // Items that are never closed end where the next one starts.
        QByteArray unclosed = "<DL>";
        for (int i = 0; i < 40000; ++i)
            unclosed += "<A HREF=\"http://u/\">u";
        QCOMPARE(CBookmarkFile::Parse(unclosed, root), EBookmarkResult::Ok);
        QCOMPARE(root.CountLinks(), 40000);
        QCOMPARE(root.m_children.constLast().m_strName, u"u"_qs);

        const auto nested = [](int nDepth) {
            QByteArray data = "<DL>";
            for (int i = 0; i < nDepth; ++i)
                data += "<DT><H3>f</H3><DL>";
            return data + "<DT><A HREF=\"http://deep/\">d</A>";
        };
        QCOMPARE(CBookmarkFile::Parse(nested(CBookmarkFile::kMaxDepth), root), EBookmarkResult::Ok);
        QCOMPARE(CBookmarkFile::Parse(nested(CBookmarkFile::kMaxDepth + 1), root),
                 EBookmarkResult::TooMany);
    }

    void importThenExportKeepsEveryLinkAndFolder()
    {
        SBookmark root;
        QCOMPARE(CBookmarkFile::Parse(kSample, root), EBookmarkResult::Ok);
        const QString favorites = Path(u"Favorites"_qs);
        int nLinks = 0;
        QCOMPARE(CBookmarkFile::Import(root, favorites, &nLinks), EBookmarkResult::Ok);
        QCOMPARE(nLinks, 4);
        QCOMPARE(Files(favorites),
                 (QStringList {
                     u"Nachrichten & Wetter"_qs, u"Nachrichten & Wetter/Empty"_qs,
                     u"Nachrichten & Wetter/Grüße aus Köln.url"_qs, u"Nachrichten & Wetter/Tief"_qs,
                     u"Nachrichten & Wetter/Tief/Deep link.url"_qs,
                     u"What_ A_B_ _quoted_ _tag_ _ _star_.url"_qs, u"日本語のページ.url"_qs}));

        const QString exported = Path(u"exported.htm"_qs);
        QCOMPARE(CBookmarkFile::Write(exported, CBookmarkFile::FromFolder(favorites)),
                 EBookmarkResult::Ok);
        SBookmark back;
        QCOMPARE(CBookmarkFile::Read(exported, back), EBookmarkResult::Ok);
        // In menu order, with the names that could be file names.
        const SBookmark expected = Folder(
            QString(),
            {Folder(u"Nachrichten & Wetter"_qs,
                    {Folder(u"Empty"_qs, {}),
                     Folder(u"Tief"_qs, {Link(u"Deep link"_qs, u"http://deep.example/"_qs)}),
                     Link(u"Grüße aus Köln"_qs, u"https://www.example.de/?a=1&b=2"_qs)}),
             Link(u"What_ A_B_ _quoted_ _tag_ _ _star_"_qs, u"http://example.com/x"_qs),
             Link(u"日本語のページ"_qs, u"http://unquoted.example/"_qs)});
        QCOMPARE(Describe(back), Describe(expected));
    }

    void importIntoAFolderThatHoldsTheNames()
    {
        const QString favorites = Path(u"Favorites"_qs);
        QVERIFY(QDir().mkpath(favorites + u"/News"_qs));
        QVERIFY(
            !WriteFile(u"Favorites/News/BBC.url"_qs, CInternetShortcut::Compose(u"http://bbc/"_qs))
                 .isEmpty());
        QVERIFY(!WriteFile(u"Favorites/Docs.url"_qs, CInternetShortcut::Compose(u"http://old/"_qs))
                     .isEmpty());
        QVERIFY(!WriteFile(u"Favorites/Music"_qs, "not a folder").isEmpty());
        const SBookmark import = Folder(
            QString(),
            {Folder(u"News"_qs,
                    {Link(u"BBC"_qs, u"http://BBC/"_qs), Link(u"BBC"_qs, u"http://bbc-world/"_qs)}),
             Link(u"Docs"_qs, u"http://new/"_qs),
             Folder(u"Music"_qs, {Link(u"Song"_qs, u"http://song/"_qs)})});

        int nLinks = 0;
        QCOMPARE(CBookmarkFile::Import(import, favorites, &nLinks), EBookmarkResult::Ok);
        QCOMPARE(nLinks, 3);
        const QStringList expected {u"Docs (2).url"_qs,     u"Docs.url"_qs,           u"Music"_qs,
                                    u"Music (2)"_qs,        u"Music (2)/Song.url"_qs, u"News"_qs,
                                    u"News/BBC (2).url"_qs, u"News/BBC.url"_qs};
        QCOMPARE(Files(favorites), expected);
        QCOMPARE(CInternetShortcut::ReadUrl(favorites + u"/Docs.url"_qs), u"http://old/"_qs);
        QCOMPARE(CInternetShortcut::ReadUrl(favorites + u"/Docs (2).url"_qs), u"http://new/"_qs);
        QCOMPARE(CInternetShortcut::ReadUrl(favorites + u"/News/BBC (2).url"_qs),
                 u"http://bbc-world/"_qs);

        // The same file again adds nothing but the folder that the file took.
        QCOMPARE(CBookmarkFile::Import(import, favorites, &nLinks), EBookmarkResult::Ok);
        QCOMPARE(nLinks, 1);
        QStringList again = expected + QStringList({u"Music (3)"_qs, u"Music (3)/Song.url"_qs});
        again.sort();
        QCOMPARE(Files(favorites), again);
    }

    void importIsAllOrNothing()
    {
        const QString favorites = Path(u"Favorites"_qs);
        QVERIFY(QDir().mkpath(favorites + u"/Kept"_qs));
        // Folders of long names nest past what a path may hold.
        SBookmark chain = Link(u"Bottom"_qs, u"http://bottom/"_qs);
        for (int i = 0; i < 20; ++i)
            chain = Folder(QString(250, QChar(u'a' + i)), {chain});
        const SBookmark import
            = Folder(QString(),
                     {Link(u"First"_qs, u"http://first/"_qs),
                      Folder(u"Kept"_qs, {Link(u"Inside"_qs, u"http://inside/"_qs)}), chain});

        int nLinks = -1;
        QString failed;
        QCOMPARE(CBookmarkFile::Import(import, favorites, &nLinks, &failed),
                 EBookmarkResult::CannotWrite);
        QCOMPARE(nLinks, 0);
        QVERIFY2(failed.startsWith(favorites + u'/' + QString(250, u't') + u'/'),
                 qPrintable(failed));
        QCOMPARE(Files(favorites), QStringList {u"Kept"_qs});
    }

    void exportReportsAFileItCannotWrite()
    {
        QCOMPARE(CBookmarkFile::Write(Path(u"missing/out.htm"_qs), SBookmark {}),
                 EBookmarkResult::CannotWrite);
        QVERIFY(!QFileInfo::exists(Path(u"missing"_qs)));
    }

    void exportLeavesLoopsOut()
    {
        const QString favorites = Path(u"Favorites"_qs);
        QVERIFY(QDir().mkpath(favorites + u"/Sub"_qs));
        QVERIFY(QFile::link(favorites, favorites + u"/Sub/Up"_qs));
        QVERIFY(!WriteFile(u"Favorites/Sub/a.desktop"_qs,
                           "[Desktop Entry]\nType=Link\nName=Desk\nURL=http://desk/\n")
                     .isEmpty());
        QCOMPARE(Describe(CBookmarkFile::FromFolder(favorites)),
                 u"Favorites\n  Sub\n    Desk -> http://desk/\n"_qs);
    }
};

QTEST_GUILESS_MAIN(tst_CBookmarkFile)
#include "tst_cbookmarkfile.moc"
