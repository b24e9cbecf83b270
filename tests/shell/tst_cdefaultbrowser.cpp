#include "CDefaultBrowser.h"
#include "CDesktopApps.h"

#include <QtTest>

using namespace DefaultBrowser;

static QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

static void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

class TestCDefaultBrowser : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;
    QString MimeAppsPath() const { return m_root.filePath(u"config/mimeapps.list"_qs); }
    QString DesktopPath() const
    {
        return m_root.filePath(u"data/applications/quillbrow.desktop"_qs);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_root.filePath(u"config"_qs)));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_root.filePath(u"data"_qs)));
        // Keeps the machine's own applications and defaults out of the lookup.
        qputenv("XDG_DATA_DIRS", QFile::encodeName(m_root.filePath(u"system"_qs)));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(m_root.filePath(u"system"_qs)));
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    }
    void init()
    {
        QTest::failOnWarning(QRegularExpression(u".*"_qs));
        for (const QString &dir : {u"config"_qs, u"data"_qs}) {
            QDir(m_root.filePath(dir)).removeRecursively();
            QVERIFY(QDir().mkpath(m_root.filePath(dir)));
        }
        WriteBytes(m_root.filePath(u"data/applications/other.desktop"_qs),
                   "[Desktop Entry]\nType=Application\nName=Other\nExec=other %u\n");
    }

    void claimAndCheck()
    {
        const QString program = u"/opt/My Apps/a\\b$c\"d%/quillbrow"_qs;
        QVERIFY(!IsDefaultBrowser(program));
        QVERIFY(MakeDefaultBrowser(program));
        // The command must come back through the quoting, the %-doubling and the file's escapes.
        QVERIFY(IsDefaultBrowser(program));
        QVERIFY2(!IsDefaultBrowser(u"/opt/Moved/quillbrow"_qs), "program was moved");
    }

    // The user's entry hides the installed one, so it must say what the installed one
    // says; only the program's path differs, and the desktop's own checker accepts it.
    void claimWritesTheInstalledEntry()
    {
        const QString program = u"/opt/My Apps/quillbrow"_qs;
        QVERIFY(MakeDefaultBrowser(program));
        const auto written = DesktopApps::ReadDesktopEntry(DesktopPath());
        const auto installed = DesktopApps::ReadDesktopEntry(
            QStringLiteral(QUILLBROW_SOURCE_DIR "/res/quillbrow.desktop"));
        QVERIFY(written && installed);
        QCOMPARE(installed->exec, u"quillbrow %u"_qs);
        QCOMPARE(written->exec, BuildOpenCommand(program));
        QCOMPARE(written->name, installed->name);
        QCOMPARE(written->icon, installed->icon);
        QCOMPARE(written->mimeTypes, installed->mimeTypes);
        for (const QString &type : ClaimedMimeTypes())
            QVERIFY2(written->mimeTypes.contains(type), qPrintable(type));

        QStringList writtenLines = QString::fromUtf8(ReadBytes(DesktopPath())).split(u'\n');
        QStringList installedLines
            = QString::fromUtf8(
                  ReadBytes(QStringLiteral(QUILLBROW_SOURCE_DIR "/res/quillbrow.desktop")))
                  .split(u'\n');
        QCOMPARE(writtenLines.size(), installedLines.size());
        for (qsizetype i = 0; i < writtenLines.size(); ++i) {
            if (installedLines[i].startsWith(u"Exec=quillbrow"_qs))
                QCOMPARE(writtenLines[i],
                         installedLines[i].replace(u"Exec=quillbrow"_qs,
                                                   u"Exec=\"/opt/My Apps/quillbrow\""_qs));
            else
                QCOMPARE(writtenLines[i], installedLines[i]);
        }

        const QString validator = QStandardPaths::findExecutable(u"desktop-file-validate"_qs);
        if (validator.isEmpty())
            QSKIP("desktop-file-validate is not installed (scripts/deps installs it)");
        QProcess check;
        check.start(validator, {DesktopPath()});
        QVERIFY(check.waitForFinished(30000));
        QCOMPARE(check.readAllStandardOutput() + check.readAllStandardError(), QByteArray());
        QCOMPARE(check.exitCode(), 0);
    }

    // What another program or the user changed after the claim.
    void checkLooksAtHtmlAndExecOnly_data()
    {
        QTest::addColumn<QString>("mimeAppsName"); // a file in the config folder
        QTest::addColumn<QByteArray>("mimeApps"); // empty: as the claim wrote it
        QTest::addColumn<QByteArray>("desktop"); // empty: as the claim wrote it; "-": removed
        QTest::addColumn<bool>("expected");
        const QString own = u"mimeapps.list"_qs;
        const QByteArray group("[Default Applications]\n");
        QTest::newRow("as claimed") << own << QByteArray() << QByteArray() << true;
        QTest::newRow("another program took http only")
            << own << group + "text/html=quillbrow.desktop;\nx-scheme-handler/http=other.desktop;\n"
            << QByteArray() << true;
        QTest::newRow("another program took text/html")
            << own << group + "text/html=other.desktop;\nx-scheme-handler/http=quillbrow.desktop;\n"
            << QByteArray() << false;
        QTest::newRow("this desktop's own file names another program")
            << u"gnome-mimeapps.list"_qs << group + "text/html=other.desktop;\n"
            << QByteArray() << false;
        QTest::newRow("another desktop's file does not count")
            << u"kde-mimeapps.list"_qs << group + "text/html=other.desktop;\n"
            << QByteArray() << true;
        QTest::newRow("letter case does not count")
            << own << QByteArray()
            << QByteArray("[Desktop Entry]\nType=Application\nExec = /OPT/Quill/QUILLBROW %U\n")
            << true;
        QTest::newRow("an action's Exec is not the program's")
            << own << QByteArray()
            << QByteArray("[Desktop Entry]\nType=Application\nExec=/usr/bin/other %u\n\n"
                          "[Desktop Action new-window]\nExec=/opt/quill/quillbrow %u\n")
            << false;
        QTest::newRow("desktop file removed") << own << QByteArray() << QByteArray("-") << false;
        QTest::newRow("no default named, though it claims the type")
            << own << QByteArray("[Added Associations]\ntext/html=quillbrow.desktop;\n")
            << QByteArray() << false;
    }
    void checkLooksAtHtmlAndExecOnly()
    {
        QFETCH(QString, mimeAppsName);
        QFETCH(QByteArray, mimeApps);
        QFETCH(QByteArray, desktop);
        const QString program = u"/opt/quill/quillbrow"_qs;
        QVERIFY(MakeDefaultBrowser(program));
        if (!mimeApps.isEmpty())
            WriteBytes(m_root.filePath(u"config/"_qs + mimeAppsName), mimeApps);
        if (desktop == "-")
            QVERIFY(QFile::remove(DesktopPath()));
        else if (!desktop.isEmpty())
            WriteBytes(DesktopPath(), desktop);
        QTEST(IsDefaultBrowser(program), "expected");
    }

    void claimReachesThisDesktopsOwnFile()
    {
        const QString own = m_root.filePath(u"config/gnome-mimeapps.list"_qs);
        WriteBytes(own, "[Default Applications]\ntext/html=other.desktop;\nimage/png=viewer;\n");
        QVERIFY(MakeDefaultBrowser(u"/opt/quill/quillbrow"_qs));
        QVERIFY(IsDefaultBrowser(u"/opt/quill/quillbrow"_qs));
        QVERIFY(ReadBytes(own).contains("image/png=viewer;\n"));
        // Another desktop's file is left as it is.
        QVERIFY(!QFile::exists(m_root.filePath(u"config/kde-mimeapps.list"_qs)));
    }

    void keepsTheUsersFile()
    {
        // Latin-1 in a comment: not UTF-8, and still the user's bytes to keep.
        const QByteArray head("# caf\xe9\n[Default Applications]\n");
        const QByteArray tail("\n# mine\n[Added Associations]\ntext/html=firefox.desktop;");
        WriteBytes(MimeAppsPath(),
                   head + "text/html=firefox.desktop;chromium.desktop;\napplication/pdf=e;\n"
                       + tail);
        QVERIFY(MakeDefaultBrowser(u"/opt/quill/quillbrow"_qs));
        QCOMPARE(ReadBytes(MimeAppsPath()),
                 head
                     + "text/html=quillbrow.desktop;\napplication/pdf=e;\n"
                       "x-scheme-handler/http=quillbrow.desktop;\n"
                       "x-scheme-handler/https=quillbrow.desktop;\n"
                       "x-scheme-handler/ftp=quillbrow.desktop;\n"
                       "x-scheme-handler/gopher=quillbrow.desktop;\n"
                     + tail);
        QVERIFY(IsDefaultBrowser(u"/opt/quill/quillbrow"_qs));
    }

    void groupAddedAfterTheLastLine()
    {
        const QString before = u"[Added Associations]\ntext/plain=e;"_qs;
        QCOMPARE(UpdateMimeApps(before, {u"text/html"_qs}, u"q.desktop"_qs),
                 before + u"\n\n[Default Applications]\ntext/html=q.desktop;\n"_qs);
    }
};

QTEST_GUILESS_MAIN(TestCDefaultBrowser)
#include "tst_cdefaultbrowser.moc"
