#include "CDesktopApps.h"

#include <QtTest>

using namespace DesktopApps;

namespace {
void WriteText(const QString &path, const QString &text)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

QString App(const QString &extra = QString())
{
    return u"[Desktop Entry]\nType=Application\nName=App\nExec=app %u\n"_qs + extra;
}
} // namespace

using Files = QList<QPair<QString, QString>>;
Q_DECLARE_METATYPE(Files)

class TestCDesktopApps : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;
    QString Path(const QString &relative) const { return m_root.filePath(relative); }

    void WriteFiles(const Files &files)
    {
        for (const auto &[relative, text] : files)
            WriteText(Path(relative), text);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(Path(u"ch"_qs)));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(Path(u"cd1"_qs) + u':' + Path(u"cd2"_qs)));
        qputenv("XDG_DATA_HOME", QFile::encodeName(Path(u"dh"_qs)));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(Path(u"dd1"_qs) + u':' + Path(u"dd2"_qs)));
        qputenv("XDG_CURRENT_DESKTOP", "X-Test:GNOME");
        qputenv("LC_ALL", "");
        qputenv("LC_MESSAGES", "");
        qputenv("LANG", "C");
    }
    void init()
    {
        QTest::failOnWarning(QRegularExpression(u".*"_qs));
        for (const QString &dir : QDir(m_root.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            QVERIFY(QDir(Path(dir)).removeRecursively());
    }

    void mimeAppsFilesInOrder()
    {
        // A relative folder is no folder, and desktop names are looked up in lower case.
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(u"relative:"_qs + Path(u"cd1"_qs)));
        const QStringList files = MimeAppsFiles();
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(Path(u"cd1"_qs) + u':' + Path(u"cd2"_qs)));
        QStringList expected;
        for (const QString &folder : {u"ch"_qs, u"cd1"_qs, u"dh/applications"_qs,
                                      u"dd1/applications"_qs, u"dd2/applications"_qs}) {
            expected << Path(folder + u"/x-test-mimeapps.list"_qs)
                     << Path(folder + u"/gnome-mimeapps.list"_qs)
                     << Path(folder + u"/mimeapps.list"_qs);
        }
        QCOMPARE(files, expected);
    }

    // Apps a..e are installed in the last data folder; e claims the type itself.
    void defaultApplication_data()
    {
        QTest::addColumn<Files>("files");
        QTest::addColumn<QString>("expected");
        const auto defaults = [](const QString &ids) {
            return u"[Default Applications]\nx-scheme-handler/mailto="_qs + ids + u'\n';
        };
        QTest::newRow("no mimeapps.list: the entry's own claim") << Files {} << u"e.desktop"_qs;
        QTest::newRow("user's own file")
            << Files {{u"ch/mimeapps.list"_qs, defaults(u"a.desktop;"_qs)}} << u"a.desktop"_qs;
        QTest::newRow("user's desktop file before user's own")
            << Files {{u"ch/mimeapps.list"_qs, defaults(u"a.desktop"_qs)},
                      {u"ch/gnome-mimeapps.list"_qs, defaults(u"b.desktop"_qs)}}
            << u"b.desktop"_qs;
        QTest::newRow("first desktop name first")
            << Files {{u"ch/gnome-mimeapps.list"_qs, defaults(u"b.desktop"_qs)},
                      {u"ch/x-test-mimeapps.list"_qs, defaults(u"c.desktop"_qs)}}
            << u"c.desktop"_qs;
        QTest::newRow("another desktop's file is not read")
            << Files {{u"ch/kde-mimeapps.list"_qs, defaults(u"b.desktop"_qs)},
                      {u"cd2/mimeapps.list"_qs, defaults(u"a.desktop"_qs)}}
            << u"a.desktop"_qs;
        QTest::newRow("user before system")
            << Files {{u"cd1/gnome-mimeapps.list"_qs, defaults(u"b.desktop"_qs)},
                      {u"ch/mimeapps.list"_qs, defaults(u"a.desktop"_qs)}}
            << u"a.desktop"_qs;
        QTest::newRow("config folders in their order")
            << Files {{u"cd2/mimeapps.list"_qs, defaults(u"b.desktop"_qs)},
                      {u"cd1/mimeapps.list"_qs, defaults(u"c.desktop"_qs)}}
            << u"c.desktop"_qs;
        QTest::newRow("config before data")
            << Files {{u"dh/applications/mimeapps.list"_qs, defaults(u"b.desktop"_qs)},
                      {u"cd2/mimeapps.list"_qs, defaults(u"c.desktop"_qs)}}
            << u"c.desktop"_qs;
        QTest::newRow("data home before data dirs")
            << Files {{u"dd1/applications/mimeapps.list"_qs, defaults(u"b.desktop"_qs)},
                      {u"dh/applications/mimeapps.list"_qs, defaults(u"d.desktop"_qs)}}
            << u"d.desktop"_qs;
        QTest::newRow("missing app: the next in the list")
            << Files {{u"ch/mimeapps.list"_qs, defaults(u"gone.desktop;b.desktop"_qs)},
                      {u"cd1/mimeapps.list"_qs, defaults(u"c.desktop"_qs)}}
            << u"b.desktop"_qs;
        QTest::newRow("missing app only: the next file")
            << Files {{u"ch/gnome-mimeapps.list"_qs, defaults(u"gone.desktop"_qs)},
                      {u"cd1/mimeapps.list"_qs, defaults(u"c.desktop"_qs)}}
            << u"c.desktop"_qs;
        QTest::newRow("deleted by the user (Hidden) masks the system's copy")
            << Files {{u"dh/applications/a.desktop"_qs, App(u"Hidden=true\n"_qs)},
                      {u"ch/mimeapps.list"_qs, defaults(u"a.desktop;b.desktop"_qs)}}
            << u"b.desktop"_qs;
        QTest::newRow("TryExec program absent")
            << Files {{u"dh/applications/a.desktop"_qs,
                       App(u"TryExec=/nonexistent/quillbrow-test-app\n"_qs)},
                      {u"ch/mimeapps.list"_qs, defaults(u"a.desktop;b.desktop"_qs)}}
            << u"b.desktop"_qs;
        QTest::newRow("not an application")
            << Files {{u"dh/applications/a.desktop"_qs,
                       u"[Desktop Entry]\nType=Link\nName=A\nURL=mailto:x@y\n"_qs},
                      {u"ch/mimeapps.list"_qs, defaults(u"a.desktop;b.desktop"_qs)}}
            << u"b.desktop"_qs;
        QTest::newRow("type compared without case")
            << Files {{u"ch/mimeapps.list"_qs,
                       u"[Default Applications]\nX-Scheme-Handler/MailTo=b.desktop\n"_qs}}
            << u"b.desktop"_qs;
        QTest::newRow("a default from another group does not count")
            << Files {{u"ch/mimeapps.list"_qs, u"[Other]\nx-scheme-handler/mailto=a.desktop\n"_qs}}
            << u"e.desktop"_qs;
        QTest::newRow("no default: an added association")
            << Files {{u"cd1/mimeapps.list"_qs,
                       u"[Added Associations]\nx-scheme-handler/mailto=c.desktop;d.desktop;\n"_qs}}
            << u"c.desktop"_qs;
        QTest::newRow("no default: removed in a more important file")
            << Files {{u"ch/mimeapps.list"_qs,
                       u"[Removed Associations]\nx-scheme-handler/mailto=c.desktop;\n"_qs},
                      {u"cd1/mimeapps.list"_qs,
                       u"[Added Associations]\nx-scheme-handler/mailto=c.desktop;d.desktop;\n"_qs}}
            << u"d.desktop"_qs;
        QTest::newRow("desktop-specific files add nothing")
            << Files {{u"ch/gnome-mimeapps.list"_qs,
                       u"[Added Associations]\nx-scheme-handler/mailto=c.desktop;\n"_qs}}
            << u"e.desktop"_qs;
        QTest::newRow("the entry's own claim, unless removed")
            << Files {{u"ch/mimeapps.list"_qs,
                       u"[Removed Associations]\nx-scheme-handler/mailto=e.desktop;\n"_qs}}
            << QString();
        QTest::newRow("a default need not claim the type")
            << Files {{u"dd2/applications/mimeapps.list"_qs, defaults(u"a.desktop"_qs)}}
            << u"a.desktop"_qs;
    }
    void defaultApplication()
    {
        QFETCH(Files, files);
        for (const QString &id : {u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs})
            WriteText(Path(u"dd2/applications/"_qs + id + u".desktop"_qs), App());
        WriteText(Path(u"dd2/applications/e.desktop"_qs),
                  App(u"MimeType=text/plain;x-scheme-handler/mailto;\n"_qs));
        WriteFiles(files);
        QTEST(DefaultApplicationFor(u"x-scheme-handler/mailto"_qs), "expected");
    }

    void findEntry()
    {
        WriteText(Path(u"dd1/applications/kde/mail.desktop"_qs), App(u"Name=Deep\n"_qs));
        WriteText(Path(u"dh/applications/b.desktop"_qs),
                  u"[Desktop Entry]\nType=Application\nName=Mine\nExec=first\n\n"
                  "[Desktop Action compose]\nExec=second\n"_qs);
        WriteText(Path(u"dd1/applications/b.desktop"_qs), App(u"Name=System\n"_qs));
        WriteText(Path(u"dd1/applications/x.desktop"_qs), App());

        const auto deep = FindDesktopEntry(u"kde-mail.desktop"_qs);
        QVERIFY(deep);
        QCOMPARE(deep->path, Path(u"dd1/applications/kde/mail.desktop"_qs));
        QCOMPARE(deep->id, u"kde-mail.desktop"_qs);

        // The first folder's file wins, and an action's Exec is not the entry's.
        const auto mine = FindDesktopEntry(u"b.desktop"_qs);
        QVERIFY(mine);
        QCOMPARE(mine->name, u"Mine"_qs);
        QCOMPARE(mine->exec, u"first"_qs);

        // Deleted by the user: the system's copy is deleted too.
        WriteText(Path(u"dh/applications/gone.desktop"_qs), App(u"Hidden=true\n"_qs));
        WriteText(Path(u"dd1/applications/gone.desktop"_qs), App());
        QVERIFY(!FindDesktopEntry(u"gone.desktop"_qs));

        for (const QString &bad :
             {u"../applications/x.desktop"_qs, u"applications/x.desktop"_qs, u"x"_qs, QString()})
            QVERIFY2(!FindDesktopEntry(bad), qPrintable(bad));
    }

    void entryValues_data()
    {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QStringList>("mimeTypes");
        const QString names
            = u"Name=Mail\nName[de]=Post\nName[de_AT]=Briefe\nName[sr@latin]=Pošta\n"_qs;
        QTest::newRow("C locale") << u"C"_qs << names << u"Mail"_qs << QString() << QStringList();
        QTest::newRow("language and country")
            << u"de_AT.UTF-8"_qs << names << u"Briefe"_qs << QString() << QStringList();
        QTest::newRow("language only matches the country's language")
            << u"de_CH.UTF-8"_qs << names << u"Post"_qs << QString() << QStringList();
        QTest::newRow("modifier") << u"sr_RS@latin"_qs << names << u"Pošta"_qs << QString()
                                  << QStringList();
        QTest::newRow("unknown language")
            << u"fr_FR.UTF-8"_qs << names << u"Mail"_qs << QString() << QStringList();
        QTest::newRow("string escapes")
            << u"C"_qs << u"Name=A\\sB\\\\C\nExec=\"x\\\\\\\\y\" \\t%u\n"_qs << u"A B\\C"_qs
            << u"\"x\\\\y\" \t%u"_qs << QStringList();
        QTest::newRow("list with an escaped semicolon")
            << u"C"_qs << u"Name=N\nMimeType=text/a;text/b\\;c; ;text/d\n"_qs << u"N"_qs
            << QString() << QStringList {u"text/a"_qs, u"text/b;c"_qs, u"text/d"_qs};
    }
    void entryValues()
    {
        QFETCH(QString, lang);
        QFETCH(QString, keys);
        qputenv("LANG", lang.toUtf8());
        WriteText(Path(u"e.desktop"_qs),
                  u"# comment\n[Desktop Entry]\nType=Application\n"_qs + keys);
        const auto entry = ReadDesktopEntry(Path(u"e.desktop"_qs));
        qputenv("LANG", "C");
        QVERIFY(entry);
        QTEST(entry->name, "name");
        QTEST(entry->exec, "exec");
        QTEST(entry->mimeTypes, "mimeTypes");
    }

    void parseExec_data()
    {
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<QStringList>("argv"); // empty: not a valid command

        const QList<QUrl> none;
        const QUrl mail(u"mailto:ann@example.org?subject=Two words"_qs);
        const QUrl web(u"http://127.0.0.1/a"_qs);
        const QUrl file = QUrl::fromLocalFile(u"/tmp/my file.html"_qs);
        QTest::newRow("program alone") << u"mail"_qs << none << QStringList {u"mail"_qs};
        QTest::newRow("spaces and tabs between arguments")
            << u"  mail \t -a  b "_qs << none << QStringList {u"mail"_qs, u"-a"_qs, u"b"_qs};
        QTest::newRow("quoted program path") << u"\"/opt/My Mail/mail\" --new"_qs << none
                                             << QStringList {u"/opt/My Mail/mail"_qs, u"--new"_qs};
        QTest::newRow("escapes inside quotes") << u"p \"a \\\"b\\\" \\$c \\\\d \\`e\\`\""_qs << none
                                               << QStringList {u"p"_qs, u"a \"b\" $c \\d `e`"_qs};
        QTest::newRow("other backslashes inside quotes stay")
            << u"p \"a\\nb\""_qs << none << QStringList {u"p"_qs, u"a\\nb"_qs};
        QTest::newRow("quoted empty argument stays")
            << u"p \"\""_qs << none << QStringList {u"p"_qs, QString()};
        QTest::newRow("single quotes as a shell reads them")
            << u"sh -c 'echo \"a\"  b'"_qs << none
            << QStringList {u"sh"_qs, u"-c"_qs, u"echo \"a\"  b"_qs};
        QTest::newRow("%u is the address")
            << u"mail %u"_qs << QList<QUrl> {mail}
            << QStringList {u"mail"_qs, u"mailto:ann@example.org?subject=Two%20words"_qs};
        QTest::newRow("%u without an address leaves no argument")
            << u"mail %u --x"_qs << none << QStringList {u"mail"_qs, u"--x"_qs};
        QTest::newRow("%u inside an argument")
            << u"mail --to=%u"_qs << QList<QUrl> {web}
            << QStringList {u"mail"_qs, u"--to=http://127.0.0.1/a"_qs};
        QTest::newRow("%u inside an argument, no address")
            << u"mail --to=%u"_qs << none << QStringList {u"mail"_qs, u"--to="_qs};
        QTest::newRow("%u takes the first only")
            << u"v %u"_qs << QList<QUrl> {web, file} << QStringList {u"v"_qs, web.toString()};
        QTest::newRow("%U, a local file as its path")
            << u"v %U --end"_qs << QList<QUrl> {web, file}
            << QStringList {u"v"_qs, web.toString(), u"/tmp/my file.html"_qs, u"--end"_qs};
        QTest::newRow("%F only local files") << u"v %F"_qs << QList<QUrl> {web, file}
                                             << QStringList {u"v"_qs, u"/tmp/my file.html"_qs};
        QTest::newRow("%f the first local file") << u"v %f"_qs << QList<QUrl> {web, file}
                                                 << QStringList {u"v"_qs, u"/tmp/my file.html"_qs};
        QTest::newRow("%i, %c and %k")
            << u"v %i --title=%c %k"_qs << none
            << QStringList {u"v"_qs, u"--icon"_qs, u"mail-icon"_qs, u"--title=Post Office"_qs,
                            u"/apps/post.desktop"_qs};
        QTest::newRow("a quoted code is still expanded")
            << u"v \"%c\""_qs << none << QStringList {u"v"_qs, u"Post Office"_qs};
        QTest::newRow("%% is a percent sign") << u"printf \"100%%\" %%u"_qs << QList<QUrl> {web}
                                              << QStringList {u"printf"_qs, u"100%"_qs, u"%u"_qs};
        QTest::newRow("deprecated codes dropped")
            << u"v %d %D x%n%N%v%m"_qs << none << QStringList {u"v"_qs, u"x"_qs};
        QTest::newRow("unterminated double quote") << u"v \"a"_qs << none << QStringList();
        QTest::newRow("unterminated single quote") << u"v 'a"_qs << none << QStringList();
        QTest::newRow("unknown code") << u"v %x"_qs << none << QStringList();
        QTest::newRow("lone percent at the end") << u"v 100%"_qs << none << QStringList();
        QTest::newRow("%U inside an argument")
            << u"v --all=%U"_qs << QList<QUrl> {web} << QStringList();
        QTest::newRow("%i inside an argument") << u"v x%i"_qs << none << QStringList();
        QTest::newRow("empty line") << QString() << none << QStringList();
        QTest::newRow("blanks only") << u" \t "_qs << none << QStringList();
        QTest::newRow("program name with an equals sign")
            << u"LANG=C mail"_qs << none << QStringList();
        QTest::newRow("a code that is the program and expands to nothing")
            << u"%U"_qs << none << QStringList();
    }
    void parseExec()
    {
        QFETCH(QString, exec);
        QFETCH(QList<QUrl>, urls);
        QFETCH(QStringList, argv);
        CDesktopEntry entry;
        entry.name = u"Post Office"_qs;
        entry.icon = u"mail-icon"_qs;
        entry.path = u"/apps/post.desktop"_qs;
        const auto parsed = ParseExec(exec, urls, entry);
        if (argv.isEmpty()) {
            QVERIFY2(!parsed, qPrintable(parsed ? parsed->join(u'|') : QString()));
        } else {
            QVERIFY(parsed);
            QCOMPARE(*parsed, argv);
        }
    }

    // A program that writes each of its arguments on a line of the file it is told.
    void launch()
    {
        const QString script = Path(u"bin/write args"_qs);
        WriteText(script, u"#!/bin/sh\nout=\"$1\"; shift\nprintf '%s\\n' \"$@\" >> \"$out\"\n"_qs);
        QVERIFY(
            QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QString out = Path(u"out.txt"_qs);
        CDesktopEntry entry;
        entry.name = u"Writer"_qs;
        entry.exec = u"\"%1\" \"%2\" \"two words\" %U"_qs.arg(script, out);
        const QList<QUrl> urls {QUrl(u"mailto:a@b"_qs), QUrl(u"news:comp.lang.c++"_qs)};
        QCOMPARE(Launch(entry, urls), ELaunchResult::Started);
        QTRY_COMPARE(QFile(out).size(),
                     qint64(sizeof("two words\nmailto:a@b\nnews:comp.lang.c++\n") - 1));
        QFile written(out);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray("two words\nmailto:a@b\nnews:comp.lang.c++\n"));
        written.close();
        QVERIFY(QFile::remove(out));

        // A command for one address at a time runs once for each.
        entry.exec = u"\"%1\" \"%2\" %u"_qs.arg(script, out);
        QCOMPARE(Launch(entry, urls), ELaunchResult::Started);
        QTRY_COMPARE(QFile(out).size(), qint64(sizeof("mailto:a@b\nnews:comp.lang.c++\n") - 1));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QStringList lines = QString::fromUtf8(written.readAll()).split(u'\n', Qt::SkipEmptyParts);
        lines.sort();
        QCOMPARE(lines, (QStringList {u"mailto:a@b"_qs, u"news:comp.lang.c++"_qs}));
    }

    void launchFailures()
    {
        CDesktopEntry entry;
        QCOMPARE(Launch(entry), ELaunchResult::NoCommand);
        entry.exec = u"  "_qs;
        QCOMPARE(Launch(entry), ELaunchResult::NoCommand);
        entry.exec = u"/nonexistent/quillbrow-test-mail %u"_qs;
        QCOMPARE(Launch(entry), ELaunchResult::StartFailed);
        entry.exec = u"mail \"unterminated"_qs;
        QCOMPARE(Launch(entry), ELaunchResult::StartFailed);
    }
};

QTEST_GUILESS_MAIN(TestCDesktopApps)
#include "tst_cdesktopapps.moc"
