#include "CCommandManager.h"
#include "CConfirmDlg.h"
#include "CFakeEngine.h"
#include "CFavoritesFolder.h"
#include "CFavoritesMenu.h"
#include "CInternetShortcut.h"
#include "CMainFrame.h"
#include "CQuillbrowView.h"
#include "CRegistry.h"
#include "CSettings.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

// The Favorites menu built from the folder, and its links and Open All items, in a
// frame whose windows have fake engines.
class tst_CFavoritesMenu : public QObject
{
    Q_OBJECT

    CSettings m_settings;
    std::unique_ptr<CMainFrame> m_frame;
    QString m_root;

    CFavoritesMenu *Favorites() const { return m_frame->Favorites(); }
    QMenu *Top() const { return Favorites()->TopMenu(); }

    bool Link(const QString &relative, const QString &url)
    {
        const QString path = QDir(m_root).filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        const QByteArray data = CInternetShortcut::Compose(url);
        return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
    }
    bool Folder(const QString &relative) { return QDir().mkpath(QDir(m_root).filePath(relative)); }

    // Opens a menu as on screen (it fills itself as it opens) and closes it again.
    static QList<QAction *> Open(QMenu *menu)
    {
        menu->popup(QPoint(20, 20));
        if (!QTest::qWaitForWindowExposed(menu))
            return {};
        const QList<QAction *> actions = menu->actions();
        menu->hide();
        return actions;
    }
    static QStringList Texts(const QList<QAction *> &actions)
    {
        QStringList texts;
        for (const QAction *action : actions)
            texts << (action->isSeparator() ? u"-"_qs : action->text());
        return texts;
    }
    static QAction *Item(QMenu *menu, const QString &text)
    {
        const auto actions = menu->actions();
        for (QAction *action : actions) {
            if (action->text() == text)
                return action;
        }
        return nullptr;
    }
    static int IdOf(const QAction *action) { return action ? action->data().toInt() : -1; }
    static CFakeEngine *Fake(CQuillbrowView *view)
    {
        return static_cast<CFakeEngine *>(view->Engine());
    }
    CQuillbrowView *NewWindow(const QString &url)
    {
        CQuillbrowView *view = m_frame->CreateNewWindow(true, true);
        Fake(view)->Load(url, u"Page"_qs);
        Fake(view)->m_calls.clear();
        return view;
    }
    QStringList Navigations() const
    {
        QStringList calls;
        const auto views = m_frame->Views();
        for (CQuillbrowView *view : views)
            calls += Fake(view)->m_calls;
        return calls;
    }

    const QStringList kFixed {u"&Add to Favorites..."_qs, u"&Organize your Favorites..."_qs,
                              u"-"_qs, u"Import &Favorites..."_qs, u"&Export Favorites..."_qs};

private slots:
    void initTestCase()
    {
        QTest::failOnWarning(QRegularExpression(u"^(?!This plugin does not support )"_qs));
    }

    void init()
    {
        m_root = CFavoritesFolder::DefaultLocation();
        QVERIFY(QDir(m_root).removeRecursively());
        QFile::remove(RegStorePath(ERegRoot::Engine));
        m_settings.SetDefaults();
        m_settings.ConfirmExitApp = 0;
        m_frame = std::make_unique<CMainFrame>(m_settings);
        m_frame->SetEngineFactory([] { return std::make_unique<CFakeEngine>(); });
        m_frame->show();
    }

    void cleanup()
    {
        m_frame.reset();
        QVERIFY(!CConfirmDlg::HasPendingAnswers());
        CConfirmDlg::ClearNextAnswers();
    }

    void foldersThenLinksThenOpenAll()
    {
        QVERIFY(Folder(u"b"_qs));
        QVERIFY(Folder(u"A"_qs));
        QVERIFY(Link(u"zeta.url"_qs, u"http://z/"_qs));
        QVERIFY(Link(u"Alpha.url"_qs, u"http://a/"_qs));

        const QList<QAction *> items = Open(Top());
        QCOMPARE(Texts(items),
                 kFixed
                     + QStringList({u"-"_qs, u"A"_qs, u"b"_qs, u"Alpha"_qs, u"zeta"_qs, u"-"_qs,
                                    u"&Open All"_qs}));
        QVERIFY(items.at(6)->menu() && items.at(7)->menu());
        QCOMPARE(IdOf(items.at(8)), 4000);
        QCOMPARE(IdOf(items.at(9)), 4001);
        QCOMPARE(IdOf(items.at(11)), 2001);
        // The fixed commands stay, the rest is built anew at every opening: the items
        // of the first opening are gone by then.
        const QStringList texts = Texts(items);
        QCOMPARE(Texts(Open(Top())), texts);
    }

    void emptyFoldersShowEightSpaces()
    {
        QCOMPARE(Texts(Open(Top())), kFixed + QStringList {u"        "_qs});
        QVERIFY(Folder(u"Empty"_qs));
        QMenu *empty = Open(Top()).at(6)->menu();
        QVERIFY(empty);
        const QList<QAction *> items = Open(empty);
        QCOMPARE(Texts(items), QStringList {u"        "_qs});
        items.first()->trigger();
        QCoreApplication::processEvents();
        QVERIFY(m_frame->Views().isEmpty());
    }

    void folderThatCannotBeRead()
    {
        QVERIFY(Link(u"Sub/a.url"_qs, u"http://a/"_qs));
        QMenu *sub = Open(Top()).at(6)->menu();
        QVERIFY(QDir(m_root + u"/Sub"_qs).removeRecursively());
        QCOMPARE(Texts(Open(sub)), QStringList {u"        "_qs});

        // A location that is a file cannot be a folder.
        QVERIFY(Link(u"file.url"_qs, u"http://f/"_qs));
        QVERIFY(RegWriteString(ERegRoot::Engine, CFavoritesMenu::kShellFoldersKey,
                               CFavoritesMenu::kFavoritesValue, m_root + u"/file.url"_qs));
        QCOMPARE(Texts(Open(Top())), kFixed + QStringList {u"        "_qs});
    }

    void locationFromTheShellFolders()
    {
        const QString other = QFileInfo(m_root).absolutePath() + u"/Elsewhere"_qs;
        qputenv("QB_FAVORITES_TEST", QFile::encodeName(other));
        QVERIFY(RegWriteString(ERegRoot::Engine, CFavoritesMenu::kShellFoldersKey,
                               CFavoritesMenu::kFavoritesValue, u"$QB_FAVORITES_TEST/Inner"_qs));
        QCOMPARE(CFavoritesMenu::GetFavoritesFolder(), QDir::cleanPath(other + u"/Inner"_qs));
        // Made when missing.
        QVERIFY(QFileInfo(other + u"/Inner"_qs).isDir());
        QVERIFY(QDir(other).removeRecursively());
    }

    void equalAddressesShareOneId()
    {
        QVERIFY(Link(u"One.url"_qs, u"http://Same.example/"_qs));
        QVERIFY(Link(u"Sub/Two.url"_qs, u"http://same.example/"_qs));
        const QList<QAction *> top = Open(Top());
        QAction *one = Item(Top(), u"One"_qs);
        QMenu *sub = top.at(6)->menu();
        Open(sub);
        QAction *two = Item(sub, u"Two"_qs);
        QVERIFY(one && two);
        QCOMPARE(IdOf(two), IdOf(one));
        QCOMPARE(two->statusTip(), u"Open http://Same.example/"_qs);

        // Highlighting shows the address, or what Open All does, in the menu opened
        // from the menu bar as in the one the toolbar's button opens.
        const auto highlight = [this](const QString &text) {
            QTest::keyClick(Top(), Qt::Key_Down);
            for (int i = 0; i < Top()->actions().size() && Top()->activeAction()
                 && Top()->activeAction()->text() != text;
                 ++i)
                QTest::keyClick(Top(), Qt::Key_Down);
        };
        m_frame->menuBar()->setActiveAction(Top()->menuAction());
        QVERIFY(QTest::qWaitForWindowExposed(Top()));
        highlight(u"One"_qs);
        QCOMPARE(m_frame->StatusText(), u"Open http://Same.example/"_qs);
        highlight(u"&Open All"_qs);
        QCOMPARE(m_frame->StatusText(), u"Open all links in this folder"_qs);
        Top()->hide();
        QTRY_VERIFY(!Top()->isVisible());
        m_frame->SetStatusText(QString());

        Top()->popup(QPoint(20, 20));
        QVERIFY(QTest::qWaitForWindowExposed(Top()));
        highlight(u"One"_qs);
        QCOMPARE(m_frame->StatusText(), u"Open http://Same.example/"_qs);
        highlight(u"&Open All"_qs);
        QCOMPARE(m_frame->StatusText(), u"Open all links in this folder"_qs);
        Top()->hide();
    }

    void linkOpensInTheActiveWindow()
    {
        QVERIFY(Link(u"Alpha.url"_qs, u"http://a/"_qs));
        // With no window open, one is made for it.
        Open(Top());
        Item(Top(), u"Alpha"_qs)->trigger();
        QTRY_COMPARE(m_frame->Views().size(), 1);
        QTRY_COMPARE(Navigations(), QStringList {u"Navigate2 http://a/"_qs});

        CQuillbrowView *active = NewWindow(u"http://b/"_qs);
        Open(Top());
        Item(Top(), u"Alpha"_qs)->trigger();
        QTRY_COMPARE(Fake(active)->m_calls, QStringList {u"Navigate2 http://a/"_qs});
        QCOMPARE(m_frame->Views().size(), 2);
    }

    void openAllOpensOnlyItsFoldersLinks()
    {
        QVERIFY(Link(u"a.url"_qs, u"http://a/"_qs));
        QVERIFY(Link(u"b.url"_qs, u"http://b/"_qs));
        QVERIFY(Link(u"b twin.url"_qs, u"http://b/"_qs));
        QVERIFY(Link(u"Sub/c.url"_qs, u"http://c/"_qs));
        QVERIFY(Link(u"Sub/again a.url"_qs, u"http://A/"_qs));
        const QList<QAction *> top = Open(Top());
        QMenu *sub = top.at(6)->menu();
        Open(sub);

        Item(Top(), u"&Open All"_qs)->trigger();
        QTRY_COMPARE(m_frame->Views().size(), 2);
        QCOMPARE(Navigations(),
                 (QStringList {u"Navigate2 http://a/"_qs, u"Navigate2 http://b/"_qs}));

        for (CQuillbrowView *view : m_frame->Views())
            Fake(view)->m_calls.clear();
        Item(sub, u"&Open All"_qs)->trigger();
        QTRY_COMPARE(m_frame->Views().size(), 4);
        QCOMPARE(Navigations(),
                 (QStringList {u"Navigate2 http://a/"_qs, u"Navigate2 http://c/"_qs}));
    }

    void rebuildMakesOldIdsMeaningless()
    {
        QVERIFY(Link(u"Alpha.url"_qs, u"http://a/"_qs));
        QVERIFY(Link(u"zeta.url"_qs, u"http://z/"_qs));
        CQuillbrowView *view = NewWindow(u"http://start/"_qs);
        Open(Top());
        QCOMPARE(IdOf(Item(Top(), u"zeta"_qs)), 4001);

        QVERIFY(QFile::remove(m_root + u"/Alpha.url"_qs));
        Open(Top());
        QCOMPARE(IdOf(Item(Top(), u"zeta"_qs)), 4000);
        QVERIFY(m_frame->Commands()->Route(4001));
        QVERIFY(Fake(view)->m_calls.isEmpty());
        QVERIFY(m_frame->Commands()->Route(4000));
        QCOMPARE(Fake(view)->m_calls, QStringList {u"Navigate2 http://z/"_qs});
    }

    void desktopLinksAreResolvedWhenOpened()
    {
        QVERIFY(Folder(u"pages"_qs));
        QFile page(m_root + u"/pages/here.html"_qs);
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.close();
        const auto writeLink = [this](const QString &name, const QString &url) {
            QFile file(m_root + u'/' + name);
            return file.open(QIODevice::WriteOnly)
                && file.write("[Desktop Entry]\nType=Link\nURL=" + url.toUtf8() + '\n') > 0;
        };
        QVERIFY(writeLink(u"Here.desktop"_qs, u"file://"_qs + page.fileName()));
        QVERIFY(writeLink(u"Gone.desktop"_qs, u"file://"_qs + m_root + u"/pages/gone.html"_qs));
        CQuillbrowView *view = NewWindow(u"http://start/"_qs);
        Open(Top());

        QCOMPARE(Item(Top(), u"Gone"_qs)->statusTip(), u"Open "_qs + m_root + u"/Gone.desktop"_qs);
        CConfirmDlg::SetNextAnswer(IDOK);
        Item(Top(), u"Gone"_qs)->trigger();
        QTRY_VERIFY(!CConfirmDlg::HasPendingAnswers());
        QCOMPARE(CConfirmDlg::LastText(),
                 u"Quillbrow failed to resolve following link:\n\n\""_qs + m_root
                     + u"/Gone.desktop\""_qs);
        QVERIFY(Fake(view)->m_calls.isEmpty());

        Item(Top(), u"Here"_qs)->trigger();
        QTRY_COMPARE(Fake(view)->m_calls, QStringList {u"Navigate2 file://"_qs + page.fileName()});
    }

    void manyFoldersAndOpenAllItems()
    {
        for (int i = 0; i <= CFavoritesMenu::kMaxItemsPerMenu; ++i)
            QVERIFY(Folder(u"Many/%1"_qs.arg(i, 4, 10, QLatin1Char('0'))));
        QVERIFY(Link(u"One/link.url"_qs, u"http://one/"_qs));
        const QList<QAction *> top = Open(Top());
        const QList<QAction *> many = Open(top.at(6)->menu());
        QCOMPARE(many.size(), CFavoritesMenu::kMaxItemsPerMenu + 2);
        QCOMPARE(many.at(CFavoritesMenu::kMaxItemsPerMenu - 1)->text(), u"0999"_qs);
        QCOMPARE(many.constLast()->text(), u"1 more items of this folder are not shown"_qs);

        // Every opening of a sub-menu takes an Open All id; past the last one the item
        // stays, disabled.
        QMenu *one = top.at(7)->menu();
        const QString path = m_root + u"/One"_qs;
        while (Favorites()->Table().RangeCount() < CFavoritesTable::kMaxRanges - 1)
            Favorites()->BuildFavoritesMenu(one, path, false);
        QList<QAction *> items = Open(one);
        QCOMPARE(IdOf(items.constLast()), CFavoritesTable::kLastRangeId);
        QVERIFY(items.constLast()->isEnabled());
        items = Open(one);
        QCOMPARE(Texts(items), (QStringList {u"link"_qs, u"-"_qs, u"&Open All"_qs}));
        QVERIFY(!items.constLast()->isEnabled());
    }

    void keysReachTheItems()
    {
        QVERIFY(Link(u"Alpha.url"_qs, u"http://a/"_qs));
        QVERIFY(Link(u"Tech/K&ernel.url"_qs, u"http://k/"_qs));
        CQuillbrowView *view = NewWindow(u"http://start/"_qs);

        // Down past the fixed commands and the folder, then Enter.
        Top()->popup(QPoint(20, 20));
        QVERIFY(QTest::qWaitForWindowExposed(Top()));
        for (int i = 0; i < 6; ++i)
            QTest::keyClick(Top(), Qt::Key_Down);
        QCOMPARE(Top()->activeAction()->text(), u"Alpha"_qs);
        QCOMPARE(Top()->actionGeometry(Top()->activeAction()).height(), 20);
        QTest::keyClick(Top(), Qt::Key_Return);
        QTRY_COMPARE(Fake(view)->m_calls, QStringList {u"Navigate2 http://a/"_qs});

        // The name's '&' marks the key that chooses it.
        QMenu *tech = Open(Top()).at(6)->menu();
        tech->popup(QPoint(20, 20));
        QVERIFY(QTest::qWaitForWindowExposed(tech));
        QTest::keyClick(tech, Qt::Key_E);
        QTRY_COMPARE(Fake(view)->m_calls.size(), 2);
        QCOMPARE(Fake(view)->m_calls.last(), u"Navigate2 http://k/"_qs);
    }

    void longFoldersStayWithinTheIdRanges()
    {
        const auto links = [this](const QString &folder, int nCount) {
            for (int i = 0; i < nCount; ++i) {
                if (!Link(u"%1/%2.url"_qs.arg(folder).arg(i, 5, 10, QLatin1Char('0')),
                          u"http://%1.example/%2"_qs.arg(folder).arg(i)))
                    return false;
            }
            return true;
        };
        QVERIFY(links(u"."_qs, 5000));
        QVERIFY(links(u"Exactly"_qs, CFavoritesMenu::kMaxItemsPerMenu));
        for (const QString &folder : {u"F1"_qs, u"F2"_qs, u"F3"_qs, u"F4"_qs})
            QVERIFY(links(folder, 1000));
        QVERIFY(links(u"Last"_qs, 9));

        // 5,000 links and six folders: the folders and the first 994 links are shown.
        QList<QAction *> top = Open(Top());
        QCOMPARE(top.constLast()->text(), u"4006 more items of this folder are not shown"_qs);
        QVERIFY(!top.constLast()->isEnabled());
        QCOMPARE(Favorites()->Table().EntryCount(), 994);

        QList<QAction *> exactly = Open(top.at(6)->menu());
        QCOMPARE(exactly.size(), CFavoritesMenu::kMaxItemsPerMenu + 2);
        QCOMPARE(exactly.constLast()->text(), u"&Open All"_qs);
        for (int i = 7; i <= 10; ++i)
            Open(top.at(i)->menu());
        QCOMPARE(Favorites()->Table().EntryCount(), 5994);

        // The last link id is 10000; what would come after it is left out.
        const QList<QAction *> last = Open(top.at(11)->menu());
        QCOMPARE(Favorites()->Table().EntryCount(), CFavoritesTable::kMaxEntries);
        QCOMPARE(IdOf(last.at(6)), CFavoritesTable::kLastLinkId);
        QCOMPARE(Texts(last.mid(6)),
                 (QStringList {u"00006"_qs, u"-"_qs, u"&Open All"_qs, u"-"_qs,
                               u"2 more items of this folder are not shown"_qs}));
    }
};

QTEST_MAIN(tst_CFavoritesMenu)
#include "tst_cfavoritesmenu.moc"
