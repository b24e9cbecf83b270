#include "CConfirmDlg.h"
#include "CDownloadsWindow.h"
#include "CFileDialog.h"
#include "CMainFrame.h"
#include "CTestServer.h"
#include "CUserSession.h"

#include <QDesktopServices>
#include <QDir>
#include <QStandardPaths>
#include <QtTest>

// Files saved from pages, followed in the Downloads window and the status bar.
class TestE2EDownloads : public QObject
{
    Q_OBJECT

    static constexpr qsizetype kBigSize = 5 * 1024 * 1024;

    CTestServer m_server;
    std::unique_ptr<CUserSession> m_user;
    QString m_downloads;
    QList<QUrl> m_opened;

    QString Url(const QString &path) const { return m_server.Url(path).toString(); }

    // A body whose bytes depend on their offset, so a piece missing or doubled in the
    // middle shows.
    static QByteArray Body()
    {
        QByteArray body(kBigSize, Qt::Uninitialized);
        for (qsizetype i = 0; i < body.size(); ++i)
            body[i] = char('a' + (i / 1000 + i) % 26);
        return body;
    }

    void RouteFile(const QString &path, const QByteArray &name, bool bHold)
    {
        CTestServer::Response file;
        file.contentType = "application/octet-stream";
        file.body = Body();
        file.headers.append({"Content-Disposition", "attachment; filename=" + name});
        file.bHold = bHold;
        m_server.Route(path, file);
    }

    CDownloadsWindow *OpenDownloads()
    {
        m_user->PressKey(Qt::Key_Y, Qt::ControlModifier | Qt::ShiftModifier);
        CUserSession::WaitFor([] { return CUserSession::FindWindow(u"DownloadsWindow"_qs); });
        return qobject_cast<CDownloadsWindow *>(CUserSession::FindWindow(u"DownloadsWindow"_qs));
    }

    // The row of the file named name, empty while there is none.
    static QStringList Row(CDownloadsWindow *window, const QString &name)
    {
        const auto rows = window->RowTexts();
        for (const QStringList &row : rows) {
            if (row.value(CDownloadsWindow::ColName) == name)
                return row;
        }
        return {};
    }

    static bool WaitForState(CDownloadsWindow *window, const QString &name, const QString &state)
    {
        return CUserSession::WaitFor(
            [&] { return Row(window, name).value(CDownloadsWindow::ColState) == state; });
    }

    // Starts the download of path through the address bar, saved as target.
    void StartDownload(const QString &path, const QString &target)
    {
        CFileDialog::SetNextAnswer(target);
        m_user->TypeAddress(Url(path));
        QVERIFY(m_user->WaitFor([] { return !CFileDialog::HasPendingAnswers(); }));
    }

    static QStringList FilesIn(const QString &folder)
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden);
    }

public slots:
    void OnOpenUrl(const QUrl &url) { m_opened << url; }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.Start());
        m_server.RoutePage(u"/start"_qs, u"Start"_qs);
        RouteFile(u"/big"_qs, "big.bin", false);
        RouteFile(u"/held"_qs, "held.bin", true);
        RouteFile(u"/twice"_qs, "twice.bin", false);
        m_downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
        QVERIFY(QDir().mkpath(m_downloads));
        // The desktop's file manager and viewers, as far as the program can tell.
        QDesktopServices::setUrlHandler(u"file"_qs, this, "OnOpenUrl");
    }

    void init()
    {
        m_opened.clear();
        m_user = CUserSession::StartAt(Url(u"/start"_qs));
        QVERIFY(m_user);
    }

    void cleanup()
    {
        m_server.Release();
        m_user.reset();
        QVERIFY(CUserSession::NoAnswersLeft());
        QVERIFY(!CFileDialog::HasPendingAnswers());
        CFileDialog::ClearNextAnswers();
    }

    void savedInTheChosenFolderUnderAFreeName()
    {
        // The first question starts in the download folder.
        const QString first = m_downloads + u"/big.bin"_qs;
        StartDownload(u"/big"_qs, first);
        QCOMPARE(CFileDialog::LastDirectory(), first);
        QVERIFY(m_user->WaitFor(
            [&] { return m_user->StatusText() == u"Download finished: "_qs + first; }));
        QFile saved(first);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), Body());
        // The page stays where it was.
        QCOMPARE(m_user->AddressText(), Url(u"/start"_qs));

        // The next one starts in the folder chosen last, and never offers a name in use.
        const QString other = m_downloads + u"/other"_qs;
        QVERIFY(QDir().mkpath(other));
        StartDownload(u"/twice"_qs, other + u"/twice.bin"_qs);
        QCOMPARE(CFileDialog::LastDirectory(), m_downloads + u"/twice.bin"_qs);
        QVERIFY(m_user->WaitFor([&] { return QFile::exists(other + u"/twice.bin"_qs); }));
        StartDownload(u"/twice"_qs, other + u"/copy.bin"_qs);
        QCOMPARE(CFileDialog::LastDirectory(), other + u"/twice (1).bin"_qs);
        QVERIFY(
            m_user->WaitFor([&] { return QFileInfo(other + u"/copy.bin"_qs).size() == kBigSize; }));

        CDownloadsWindow *window = OpenDownloads();
        QVERIFY(window);
        QVERIFY(WaitForState(window, u"copy.bin"_qs, u"Completed"_qs));
        const QStringList row = Row(window, u"copy.bin"_qs);
        QCOMPARE(row.value(CDownloadsWindow::ColSize), CDownloadsWindow::FormatSize(kBigSize));
        QCOMPARE(row.value(CDownloadsWindow::ColProgress), u"100 %"_qs);
        // Newest first.
        QCOMPARE(window->RowTexts().value(0).value(CDownloadsWindow::ColName), u"copy.bin"_qs);

        QVERIFY(CUserSession::ClickButton(window, u"Open"_qs));
        QVERIFY(CUserSession::ClickButton(window, u"Open Folder"_qs));
        QCOMPARE(m_opened,
                 (QList<QUrl> {QUrl::fromLocalFile(other + u"/copy.bin"_qs),
                               QUrl::fromLocalFile(other)}));

        // A file deleted since is said to be gone, not handed to a viewer.
        QVERIFY(QFile::remove(other + u"/copy.bin"_qs));
        CConfirmDlg::SetNextAnswer(IDOK);
        QVERIFY(CUserSession::ClickButton(window, u"Open"_qs));
        QCOMPARE(CConfirmDlg::LastText(),
                 u"\"%1\" cannot be found. It may have been moved or deleted."_qs.arg(
                     QDir::toNativeSeparators(other + u"/copy.bin"_qs)));
        QCOMPARE(m_opened.size(), 2);

        // Escape puts the window away; the key opens it again as it was.
        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(m_user->WaitFor([] { return !CUserSession::FindWindow(u"DownloadsWindow"_qs); }));
        // The desktop gives the frame the keys again, as a window manager does.
        m_user->Frame()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_user->Frame()));
        QCOMPARE(OpenDownloads(), window);
        QVERIFY(!Row(window, u"copy.bin"_qs).isEmpty());
    }

    void cancelledHalfWayLeavesNoFile()
    {
        const QString folder = m_downloads + u"/cancel"_qs;
        QVERIFY(QDir().mkpath(folder));
        StartDownload(u"/held"_qs, folder + u"/held.bin"_qs);
        // The server holds back the second half.
        QVERIFY(m_user->WaitFor(
            [&] { return m_user->StatusText() == u"Downloading held.bin: 50 %"_qs; }));

        CDownloadsWindow *window = OpenDownloads();
        QVERIFY(window);
        QVERIFY(WaitForState(window, u"held.bin"_qs, u"Downloading"_qs));
        QVERIFY(window->SelectPath(folder + u"/held.bin"_qs));
        const QStringList row = Row(window, u"held.bin"_qs);
        QCOMPARE(row.value(CDownloadsWindow::ColProgress), u"50 %"_qs);
        QCOMPARE(row.value(CDownloadsWindow::ColSize),
                 u"%1 of %2"_qs.arg(CDownloadsWindow::FormatSize(kBigSize / 2),
                                    CDownloadsWindow::FormatSize(kBigSize)));
        QVERIFY(row.value(CDownloadsWindow::ColSpeed).endsWith(u"/s"_qs));

        QVERIFY(CUserSession::ClickButton(window, u"Cancel"_qs));
        QVERIFY(WaitForState(window, u"held.bin"_qs, u"Cancelled"_qs));
        QVERIFY(m_user->WaitFor([&] { return FilesIn(folder).isEmpty(); }));
        QCOMPARE(m_user->StatusText(), u"Download cancelled: held.bin"_qs);
        QVERIFY(Row(window, u"held.bin"_qs).value(CDownloadsWindow::ColSpeed).isEmpty());
    }

    void pausedAndResumedToFullSize()
    {
        const QString folder = m_downloads + u"/pause"_qs;
        QVERIFY(QDir().mkpath(folder));
        const QString target = folder + u"/held.bin"_qs;
        StartDownload(u"/held"_qs, target);
        CDownloadsWindow *window = OpenDownloads();
        QVERIFY(window);
        QVERIFY(WaitForState(window, u"held.bin"_qs, u"Downloading"_qs));
        QVERIFY(window->SelectPath(target));
        QVERIFY(CUserSession::ClickButton(window, u"Pause"_qs));
        QVERIFY(WaitForState(window, u"held.bin"_qs, u"Paused"_qs));

        // What the server sends now waits until the user resumes.
        m_server.Release();
        QVERIFY(CUserSession::ClickButton(window, u"Resume"_qs));
        QVERIFY(WaitForState(window, u"held.bin"_qs, u"Completed"_qs));
        QFile saved(target);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.size(), kBigSize);
        QCOMPARE(saved.readAll(), Body());
        QCOMPARE(FilesIn(folder), QStringList {u"held.bin"_qs});
    }

    void listedAfterRestart()
    {
        const QString folder = m_downloads + u"/restart"_qs;
        QVERIFY(QDir().mkpath(folder));
        StartDownload(u"/big"_qs, folder + u"/kept.bin"_qs);
        QVERIFY(m_user->WaitFor(
            [&] { return QFileInfo(folder + u"/kept.bin"_qs).size() == kBigSize; }));
        StartDownload(u"/held"_qs, folder + u"/dropped.bin"_qs);
        CDownloadsWindow *window = OpenDownloads();
        QVERIFY(window);
        QVERIFY(WaitForState(window, u"kept.bin"_qs, u"Completed"_qs));
        QVERIFY(WaitForState(window, u"dropped.bin"_qs, u"Downloading"_qs));

        // Ending the program ends what is still running.
        m_user.reset();
        QVERIFY(
            CUserSession::WaitFor([&] { return FilesIn(folder) == QStringList {u"kept.bin"_qs}; }));
        m_user = std::make_unique<CUserSession>();
        QVERIFY(m_user->Start({Url(u"/start"_qs)}));
        window = OpenDownloads();
        QVERIFY(window);
        QCOMPARE(Row(window, u"kept.bin"_qs).value(CDownloadsWindow::ColState), u"Completed"_qs);
        QCOMPARE(Row(window, u"dropped.bin"_qs).value(CDownloadsWindow::ColState), u"Cancelled"_qs);
        QCOMPARE(window->RowTexts().value(0).value(CDownloadsWindow::ColName), u"dropped.bin"_qs);
        QCOMPARE(window->RowTexts().value(1).value(CDownloadsWindow::ColName), u"kept.bin"_qs);
    }
};

QUILLBROW_E2E_TEST_MAIN(TestE2EDownloads)
#include "tst_e2e_downloads.moc"
