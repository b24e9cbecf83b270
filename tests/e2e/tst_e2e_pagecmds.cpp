#include "CConfirmDlg.h"
#include "CEngineInfo.h"
#include "CFileDialog.h"
#include "CFindBar.h"
#include "CPrintDialogs.h"
#include "CPropertiesDlg.h"
#include "CQuillbrowView.h"
#include "CStringIds.h"
#include "CStringTable.h"
#include "CTestServer.h"
#include "CUserSession.h"
#include "CWebEngine.h"
#include "EngineTestUtil.h"

#include <QActionGroup>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QImage>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEngineView>
#include <QtTest>

// The commands on the page of the active window, in the program as a user starts it.
class TestE2EPageCommands : public QObject
{
    Q_OBJECT

    CTestServer m_server;
    std::unique_ptr<CUserSession> m_user;
    static constexpr QByteArrayView kDatedPage
        = "<html><head><title>Dated</title></head><body>Old news</body></html>";

    QString Url(const QString &path) const { return m_server.Url(path).toString(); }

    bool StartAt(const QString &path)
    {
        m_user = std::make_unique<CUserSession>();
        if (path.isEmpty())
            return m_user->Start();
        return m_user->Start({Url(path)}) && m_user->WaitForPage(Url(path));
    }

    static QString Tool(const QString &program, const QStringList &args)
    {
        QProcess process;
        process.start(program, args);
        process.waitForFinished(10000);
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    static QStringList Entries(const QString &folder)
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                      QDir::Name);
    }

    // Menu commands run once the menu has closed; this waits for the one chosen.
    bool Choose(const QStringList &path, const std::function<bool()> &done)
    {
        return m_user->ChooseMenu(path) && m_user->WaitFor(done, 10000);
    }
    bool IsMarked(const QString &item)
    {
        return m_user->IsMenuItemChecked({u"View"_qs, u"Text Size"_qs, item});
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(!QStandardPaths::findExecutable(u"pdftotext"_qs).isEmpty(),
                 "pdftotext and pdfinfo (poppler-utils) are missing: run scripts/deps");
        QVERIFY(m_server.Start());
        m_server.RoutePage(u"/fruit"_qs, u"Fruit"_qs,
                           u"<p>apple banana Apple cherry apple</p><input id=field>"_qs);
        m_server.RoutePage(u"/picture"_qs, u"Picture"_qs,
                           u"<p>A red square</p><img src=\"/square.png\">"_qs);
        QImage square(8, 8, QImage::Format_RGB32);
        square.fill(Qt::red);
        CTestServer::Response png;
        png.contentType = "image/png";
        QBuffer buffer(&png.body);
        buffer.open(QIODevice::WriteOnly);
        square.save(&buffer, "PNG");
        m_server.Route(u"/square.png"_qs, png);
        CTestServer::Response dated;
        dated.body = kDatedPage.toByteArray();
        dated.headers = {{"Last-Modified", "Tue, 15 Nov 1994 12:45:26 GMT"}};
        m_server.Route(u"/dated"_qs, dated);
    }

    void init() { QVERIFY(StartAt(u"/fruit"_qs)); }

    void cleanup()
    {
        m_user.reset();
        CEngineInfo::ClearVersionOverride();
        const bool bUnused = CConfirmDlg::HasPendingAnswers() || CFileDialog::HasPendingAnswers()
            || CPrintDialogs::HasPendingAnswers() || CPropertiesDlg::HasPendingScripts();
        CConfirmDlg::ClearNextAnswers();
        CFileDialog::ClearNextAnswers();
        CPrintDialogs::ClearNextAnswers();
        CPropertiesDlg::ClearNextScripts();
        QVERIFY2(!bUnused, "an answer given in advance was not asked for");
    }

    void textSizeMarksFollowEachChoice()
    {
        const QStringList items {u"Largest"_qs, u"Larger"_qs, u"Medium"_qs, u"Smaller"_qs,
                                 u"Smallest"_qs};
        const QList<qreal> factors {1.5, 1.2, 1.0, 0.85, 0.7};
        CQuillbrowView *first = m_user->ActiveWindow();
        const auto zoom = [](CQuillbrowView *view) {
            return static_cast<CWebEngine *>(view->Engine())->View()->zoomFactor();
        };
        QVERIFY(IsMarked(u"Medium"_qs));
        for (qsizetype i = 0; i < items.size(); ++i) {
            QVERIFY(Choose({u"View"_qs, u"Text Size"_qs, items.at(i)},
                           [&] { return zoom(first) == factors.at(i); }));
            for (qsizetype j = 0; j < items.size(); ++j)
                QCOMPARE(IsMarked(items.at(j)), i == j);
        }
        // The marks are bullets, and every window has its own size.
        QActionGroup *group
            = m_user->MenuItem({u"View"_qs, u"Text Size"_qs, u"Larger"_qs})->actionGroup();
        QVERIFY(group && group->isExclusive());
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"New"_qs, u"Blank"_qs}));
        QVERIFY(m_user->WaitForPage(u"about:blank"_qs));
        QVERIFY(IsMarked(u"Medium"_qs));
        QCOMPARE(zoom(first), 0.7);
    }

    void textSizeOfAWindowWithoutPage()
    {
        // Started without an address and without an engine start page: nothing loads.
        m_user.reset();
        QVERIFY(StartAt(QString()));
        CQuillbrowView *view = m_user->ActiveWindow();
        QVERIFY(view && view->GetLocationURL().isEmpty());
        QVERIFY(IsMarked(u"Medium"_qs));
        QVERIFY(m_user->ChooseMenu({u"View"_qs, u"Text Size"_qs, u"Larger"_qs}));
        // The command waits in the event queue, and nothing on screen would show it ran.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        QVERIFY(IsMarked(u"Medium"_qs));
        QVERIFY(!IsMarked(u"Larger"_qs));
        QCOMPARE(static_cast<CWebEngine *>(view->Engine())->View()->zoomFactor(), 1.0);
    }

    void printPreviewByEngineVersion_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("opens");
        QTest::newRow("5.0") << u"5.00.2919.6307"_qs << false;
        QTest::newRow("5.50") << u"5.50.4134.0600"_qs << true;
    }

    void printPreviewByEngineVersion()
    {
        QFETCH(QString, version);
        QFETCH(bool, opens);
        m_user.reset();
        CEngineInfo::SetVersionOverride(version);
        QVERIFY(StartAt(u"/fruit"_qs));

        // Either way, nothing waits for a person.
        CPrintDialogs::SetNextAnswer(false);
        CConfirmDlg::SetNextAnswer(IDOK);
        QVERIFY(Choose({u"File"_qs, u"Print Preview..."_qs}, [] {
            return !CPrintDialogs::HasPendingAnswers() || !CConfirmDlg::HasPendingAnswers();
        }));
        // Refused, the preview is never built; opened, it shows the page.
        QCOMPARE(CPrintDialogs::HasPendingAnswers(), !opens);
        QCOMPARE(CConfirmDlg::HasPendingAnswers(), opens);
        if (opens)
            QVERIFY(CPrintDialogs::LastPreviewPageCount() >= 1);
        else
            QCOMPARE(CConfirmDlg::LastText(), LoadString(IDS_NO_PRINT_PREVIEW));
        CPrintDialogs::ClearNextAnswers();
        CConfirmDlg::ClearNextAnswers();
    }

    void printToPdfAfterPageSetup()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(u"fruit.pdf"_qs);
        CPrintDialogs::SetNextAnswer(
            true, [](QPrinter *printer) { printer->setPageOrientation(QPageLayout::Landscape); });
        QVERIFY(Choose({u"File"_qs, u"Page Setup..."_qs},
                       [] { return !CPrintDialogs::HasPendingAnswers(); }));
        CPrintDialogs::SetNextAnswer(true, [pdf](QPrinter *printer) {
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
        });
        m_user->PressKey(Qt::Key_P, Qt::ControlModifier);
        QVERIFY(m_user->WaitFor([&] {
            return Tool(u"pdftotext"_qs, {pdf, u"-"_qs}).contains(u"apple banana Apple cherry"_qs);
        }));
        // Page Setup's choice holds for the print: the pages lie on their side.
        const QRegularExpression size(u"Page size:\\s+([\\d.]+) x ([\\d.]+)"_qs);
        const QRegularExpressionMatch match = size.match(Tool(u"pdfinfo"_qs, {pdf}));
        QVERIFY(match.hasMatch());
        QVERIFY(match.captured(1).toDouble() > match.captured(2).toDouble());
    }

    void saveAsInEachFormat_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("written");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("complete") << u"Web page, complete (*.htm *.html)"_qs << u"pic.html"_qs
                                  << QStringList {u"pic.html"_qs, u"pic_files"_qs}
                                  << QByteArray("A red square");
        QTest::newRow("single file, suffix added")
            << u"Web page, single file (MHTML) (*.mhtml *.mht)"_qs << u"pic"_qs
            << QStringList {u"pic.mhtml"_qs} << QByteArray("multipart/related");
        QTest::newRow("html only") << u"HTML only (*.htm *.html)"_qs << u"pic.htm"_qs
                                   << QStringList {u"pic.htm"_qs} << QByteArray("A red square");
    }

    void saveAsInEachFormat()
    {
        QFETCH(QString, filter);
        QFETCH(QString, typed);
        QFETCH(QStringList, written);
        QFETCH(QByteArray, content);
        QVERIFY(m_user->Visit(Url(u"/picture"_qs)));

        QTemporaryDir dir;
        CFileDialog::SetNextAnswer(dir.filePath(typed), filter);
        QVERIFY(Choose({u"File"_qs, u"Save As..."_qs},
                       [] { return !CFileDialog::HasPendingAnswers(); }));
        QCOMPARE(CFileDialog::LastFilters().size(), 3);
        QVERIFY(CFileDialog::LastFilters().contains(filter));
        QVERIFY(m_user->WaitFor([&] { return m_user->StatusText().startsWith(u"Saved "_qs); }));
        QCOMPARE(Entries(dir.path()), written);
        QFile file(dir.filePath(written.first()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains(content));
        if (written.size() > 1)
            QCOMPARE(Entries(dir.filePath(written.at(1))), QStringList {u"square.png"_qs});
    }

    void saveAsIntoAFolderThatCannotBeWritten()
    {
        // Tests run as root, whom permissions do not stop: the folder is a file.
        QTemporaryDir dir;
        QFile blocker(dir.filePath(u"blocker"_qs));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.write("keep");
        blocker.close();
        const QString target = blocker.fileName() + u"/fruit.html"_qs;

        CFileDialog::SetNextAnswer(target, u"HTML only (*.htm *.html)"_qs);
        CConfirmDlg::SetNextAnswer(IDOK);
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"Save As..."_qs}));
        QVERIFY(m_user->WaitFor([] { return !CConfirmDlg::HasPendingAnswers(); }));
        QCOMPARE(CConfirmDlg::LastCaption(), u"Error"_qs);
        QVERIFY2(CConfirmDlg::LastText().contains(target), qPrintable(CConfirmDlg::LastText()));
        QCOMPARE(Entries(dir.path()), QStringList {u"blocker"_qs});
        QVERIFY(blocker.open(QIODevice::ReadOnly));
        QCOMPARE(blocker.readAll(), QByteArray("keep"));
    }

    void findStepsThroughMatchesAndWraps()
    {
        m_user->PressKey(Qt::Key_F, Qt::ControlModifier);
        CQuillbrowView *view = m_user->ActiveWindow();
        CFindBar *bar = view->FindBar();
        QVERIFY(m_user->WaitFor([&] { return bar->isVisible(); }));
        QCOMPARE(m_user->FocusWidget(), bar->Edit());
        const auto says = [&](const QString &text) {
            return m_user->WaitFor([&] { return bar->StatusText() == text; }, 10000);
        };

        m_user->TypeText(u"apple"_qs);
        QVERIFY(says(u"1 of 3"_qs));
        for (const QString &next : {u"2 of 3"_qs, u"3 of 3"_qs, u"1 of 3"_qs}) {
            m_user->PressKey(Qt::Key_Return);
            QVERIFY2(says(next), qPrintable(bar->StatusText()));
        }
        m_user->PressKey(Qt::Key_Return, Qt::ShiftModifier);
        QVERIFY(says(u"3 of 3"_qs));
        QVERIFY(m_user->Click(bar->MatchCase()));
        QVERIFY(says(u"1 of 2"_qs));
        m_user->TypeText(u"z"_qs);
        QVERIFY(says(u"Not found"_qs));

        // Escape is Stop's key too; in the bar it closes the bar.
        m_user->PressKey(Qt::Key_Escape);
        QVERIFY(!bar->isVisible());
        QWidget *focus = m_user->FocusWidget();
        QVERIFY(focus && view->isAncestorOf(focus));
        // The page as it was: closing the bar does not step on to the page's first field.
        QCOMPARE(CUserSession::RunInPage(view, u"document.activeElement.tagName"_qs).toString(),
                 u"BODY"_qs);
    }

    void aLongFindTextIsHarmless()
    {
        m_user->PressKey(Qt::Key_F, Qt::ControlModifier);
        CFindBar *bar = m_user->ActiveWindow()->FindBar();
        QVERIFY(m_user->WaitFor([&] { return bar->Edit()->hasFocus(); }));
        QApplication::clipboard()->setText(QString(10000, u'x'));
        m_user->PressKey(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(bar->Edit()->text().size(), 10000);
        QVERIFY(m_user->WaitFor([&] { return bar->StatusText() == u"Not found"_qs; }));
        m_user->PressKey(Qt::Key_A, Qt::ControlModifier);
        m_user->TypeText(u"cherry"_qs);
        QVERIFY(m_user->WaitFor([&] { return bar->StatusText() == u"1 of 1"_qs; }));
    }

    void editCommandsFollowTheFocus()
    {
        QClipboard *clipboard = QApplication::clipboard();
        CQuillbrowView *view = m_user->ActiveWindow();
        const QStringList copy {u"Edit"_qs, u"Copy"_qs};
        const QStringList cut {u"Edit"_qs, u"Cut"_qs};
        const QStringList paste {u"Edit"_qs, u"Paste"_qs};
        // The page tells its edit state in its own time, and an open menu takes the
        // focus from it: wait for the page, then look at the menu once.
        const auto pageAllows = [&](int nID) {
            return m_user->WaitFor([&] { return view->IsEditCommandEnabled(nID); });
        };

        // The page: its selection is what Copy takes.
        QVERIFY(!m_user->IsMenuItemEnabled(copy));
        QVERIFY(m_user->ChooseMenu({u"Edit"_qs, u"Select All"_qs}));
        QVERIFY(pageAllows(ID_EDIT_COPY));
        QVERIFY(m_user->IsMenuItemEnabled(copy));
        QVERIFY(m_user->ChooseMenu(copy));
        QVERIFY(m_user->WaitFor([&] { return clipboard->text().contains(u"apple banana"_qs); }));

        // The address bar: its own text, whatever the page has selected.
        m_user->PressKey(Qt::Key_D, Qt::AltModifier);
        QVERIFY(Choose(copy, [&] { return clipboard->text() == Url(u"/fruit"_qs); }));
        m_user->PressKey(Qt::Key_End);
        QVERIFY(!m_user->IsMenuItemEnabled(copy));
        QVERIFY(!m_user->IsMenuItemEnabled(cut));
        QVERIFY(Choose(
            paste, [&] { return m_user->AddressText() == Url(u"/fruit"_qs) + Url(u"/fruit"_qs); }));

        // The find bar's text is the window's while it has the focus.
        m_user->PressKey(Qt::Key_F, Qt::ControlModifier);
        QVERIFY(m_user->WaitFor([&] { return view->FindBar()->Edit()->hasFocus(); }));
        clipboard->setText(u"cherry"_qs);
        QVERIFY(Choose(paste, [&] { return view->FindBar()->Edit()->text() == u"cherry"_qs; }));
        // Pasted text is searched for like typed text. The answer is awaited as a user
        // would see it: the page takes a search only after keys sent later, and a search
        // arriving after the Tab below would drop the caret from the field it focused.
        QVERIFY(m_user->WaitFor([&] { return view->FindBar()->StatusText() == u"1 of 1"_qs; }));

        // A field of the page.
        m_user->PressKey(Qt::Key_Escape);
        m_user->PressKey(Qt::Key_Tab);
        QVERIFY(m_user->WaitFor([&] {
            return CUserSession::RunInPage(view, u"document.activeElement.id"_qs).toString()
                == u"field"_qs;
        }));
        clipboard->setText(u"pear"_qs);
        QVERIFY(pageAllows(ID_EDIT_PASTE));
        QVERIFY(m_user->IsMenuItemEnabled(paste));
        QVERIFY(m_user->ChooseMenu(paste));
        const auto field = [&] {
            return CUserSession::RunInPage(view, u"document.getElementById('field').value"_qs)
                .toString();
        };
        QVERIFY(m_user->WaitFor([&] { return field() == u"pear"_qs; }));
        QVERIFY(m_user->ChooseMenu({u"Edit"_qs, u"Select All"_qs}));
        QVERIFY(pageAllows(ID_EDIT_CUT));
        QVERIFY(m_user->IsMenuItemEnabled(cut));
        clipboard->clear();
        QVERIFY(m_user->ChooseMenu(cut));
        QVERIFY(m_user->WaitFor([&] { return field().isEmpty(); }));
        // The page hands the cut text to the clipboard apart from its answers to scripts.
        QVERIFY(m_user->WaitFor([&] { return clipboard->text() == u"pear"_qs; }));
    }

    void viewSourceOpensAWindowOfItsOwn()
    {
        QVERIFY(m_user->ChooseMenu({u"View"_qs, u"View Source..."_qs}));
        CQuillbrowView *source
            = m_user->WaitForWindowShowing(u"view-source:"_qs + Url(u"/fruit"_qs));
        QVERIFY(source);
        QCOMPARE(m_user->Windows().size(), 2);
        QCOMPARE(m_user->ActiveWindow(), source);
        QVERIFY(CUserSession::RunInPage(source, u"document.body.innerText"_qs)
                    .toString()
                    .contains(u"<p>apple banana"_qs));
    }

    void propertiesSayWhatTheServerGave()
    {
        QVERIFY(m_user->Visit(Url(u"/dated"_qs)));
        QMap<QString, QString> shown;
        CPropertiesDlg::SetNextScript([&](CPropertiesDlg &dlg) {
            QSignalSpy completed(&dlg, &CPropertiesDlg::completed);
            QVERIFY(dlg.IsComplete() || completed.wait(CPropertiesDlg::kTimeoutMs + 5000));
            for (const QString &field : {u"Title"_qs, u"Address"_qs, u"Type"_qs, u"Size"_qs,
                                         u"Modified"_qs, u"Expires"_qs})
                shown.insert(field, dlg.Field(field));
            QTest::keyClick(&dlg, Qt::Key_Return);
        });
        QVERIFY(Choose({u"File"_qs, u"Properties..."_qs}, [&] { return !shown.isEmpty(); }));
        QCOMPARE(shown.value(u"Title"_qs), u"Dated"_qs);
        QCOMPARE(shown.value(u"Address"_qs), Url(u"/dated"_qs));
        QCOMPARE(shown.value(u"Type"_qs), u"text/html; charset=utf-8"_qs);
        QCOMPARE(shown.value(u"Size"_qs), u"%1 bytes"_qs.arg(kDatedPage.size()));
        const QDateTime modified(QDate(1994, 11, 15), QTime(12, 45, 26), Qt::UTC);
        QCOMPARE(shown.value(u"Modified"_qs),
                 QLocale().toString(modified.toLocalTime(), QLocale::LongFormat));
        QCOMPARE(shown.value(u"Expires"_qs), u"Not available"_qs);
        QVERIFY(m_user->WaitFor([] { return !QApplication::activeModalWidget(); }));
    }

    void pageCommandsNeedAWindow()
    {
        QVERIFY(m_user->ChooseMenu({u"File"_qs, u"Close"_qs}));
        QVERIFY(m_user->WaitFor([&] { return m_user->Windows().isEmpty(); }));
        const QList<QStringList> items {
            {u"File"_qs, u"Save As..."_qs},     {u"File"_qs, u"Page Setup..."_qs},
            {u"File"_qs, u"Print..."_qs},       {u"File"_qs, u"Print Preview..."_qs},
            {u"File"_qs, u"Properties..."_qs},  {u"Edit"_qs, u"Cut"_qs},
            {u"Edit"_qs, u"Copy"_qs},           {u"Edit"_qs, u"Paste"_qs},
            {u"Edit"_qs, u"Select All"_qs},     {u"Edit"_qs, u"Find in this page..."_qs},
            {u"View"_qs, u"View Source..."_qs}, {u"View"_qs, u"Text Size"_qs, u"Medium"_qs},
        };
        for (const QStringList &item : items) {
            QVERIFY2(m_user->MenuItem(item), qPrintable(item.join(u" > ")));
            QVERIFY2(!m_user->IsMenuItemEnabled(item), qPrintable(item.join(u" > ")));
        }
    }
};

QUILLBROW_E2E_TEST_MAIN(TestE2EPageCommands)
#include "tst_e2e_pagecmds.moc"
