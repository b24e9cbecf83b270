#include "CDefaultBrowser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace DefaultBrowser;

class TestCDefaultBrowser : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void buildOpenCommand_data();
    void buildOpenCommand();
    void claimAndCheck();
    void checkLooksAtHtmlAndExecOnly();
    void keepsTheUsersFile();
    void updateMimeApps_data();
    void updateMimeApps();
    void defaultForType();

private:
    QString mimeAppsPath() const { return m_root.filePath(QStringLiteral("config/mimeapps.list")); }
    QString desktopPath() const
    {
        return m_root.filePath(QStringLiteral("data/applications/quillbrow.desktop"));
    }
    static QByteArray readBytes(const QString &path);
    static void writeBytes(const QString &path, const QByteArray &bytes);

    QTemporaryDir m_root;
};

void TestCDefaultBrowser::initTestCase()
{
    QVERIFY(m_root.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_root.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_root.filePath(QStringLiteral("data"))));
    // Keeps a quillbrow.desktop installed on this machine out of the lookup.
    qputenv("XDG_DATA_DIRS", QFile::encodeName(m_root.filePath(QStringLiteral("system"))));
}

void TestCDefaultBrowser::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    for (const QString &dir : {QStringLiteral("config"), QStringLiteral("data")}) {
        QDir(m_root.filePath(dir)).removeRecursively();
        QVERIFY(QDir().mkpath(m_root.filePath(dir)));
    }
}

QByteArray TestCDefaultBrowser::readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestCDefaultBrowser::writeBytes(const QString &path, const QByteArray &bytes)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

void TestCDefaultBrowser::buildOpenCommand_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("command");

    QTest::newRow("plain") << QStringLiteral("/usr/bin/quillbrow")
                           << QStringLiteral("/usr/bin/quillbrow %u");
    QTest::newRow("space") << QStringLiteral("/opt/My Apps/quillbrow")
                           << QStringLiteral("\"/opt/My Apps/quillbrow\" %u");
    QTest::newRow("quote and dollar")
        << QStringLiteral("/opt/a\"b$c/q") << QStringLiteral("\"/opt/a\\\"b\\$c/q\" %u");
    QTest::newRow("percent") << QStringLiteral("/opt/100%/q") << QStringLiteral("/opt/100%%/q %u");
}

void TestCDefaultBrowser::buildOpenCommand()
{
    QFETCH(QString, path);
    QFETCH(QString, command);
    QCOMPARE(BuildOpenCommand(path), command);
}

void TestCDefaultBrowser::claimAndCheck()
{
    const QString program = QStringLiteral("/opt/My Apps/a\\b$c/quillbrow");
    QVERIFY(!IsDefaultBrowser(program));
    QVERIFY(MakeDefaultBrowser(program));
    // The command must come back through the quoting and the file's escapes.
    QVERIFY(IsDefaultBrowser(program));
    QVERIFY2(!IsDefaultBrowser(QStringLiteral("/opt/Moved/quillbrow")), "program was moved");
    QCOMPARE(readBytes(desktopPath()),
             QByteArray("[Desktop Entry]\nType=Application\nName=Quillbrow\n"
                        "Exec=\"/opt/My Apps/a\\\\\\\\b\\\\$c/quillbrow\" %u\n"
                        "MimeType=text/html;x-scheme-handler/http;x-scheme-handler/https;"
                        "x-scheme-handler/ftp;x-scheme-handler/gopher;\n"
                        "Categories=Network;WebBrowser;\nTerminal=false\n"));

    QVERIFY(!IsDefaultBrowser());
    QVERIFY(MakeDefaultBrowser());
    QVERIFY(IsDefaultBrowser());
}

void TestCDefaultBrowser::checkLooksAtHtmlAndExecOnly()
{
    const QString program = QStringLiteral("/opt/quill/quillbrow");
    QVERIFY(MakeDefaultBrowser(program));

    QByteArray mimeApps = readBytes(mimeAppsPath());
    const QString other = QStringLiteral("other.desktop");
    writeBytes(mimeAppsPath(),
               UpdateMimeApps(QString::fromUtf8(mimeApps),
                              {QStringLiteral("x-scheme-handler/http")}, other)
                   .toUtf8());
    QVERIFY2(IsDefaultBrowser(program), "only http changed");
    writeBytes(
        mimeAppsPath(),
        UpdateMimeApps(QString::fromUtf8(mimeApps), {QStringLiteral("text/html")}, other).toUtf8());
    QVERIFY2(!IsDefaultBrowser(program), "another program took text/html");
    writeBytes(mimeAppsPath(), mimeApps);
    QVERIFY(IsDefaultBrowser(program));

    writeBytes(desktopPath(),
               "[Desktop Entry]\nType=Application\nExec = /OPT/Quill/QUILLBROW %U\n");
    QVERIFY2(IsDefaultBrowser(program), "letter case does not count");

    writeBytes(desktopPath(),
               "[Desktop Entry]\nExec=/usr/bin/other %u\n\n"
               "[Desktop Action new-window]\nExec=/opt/quill/quillbrow %u\n");
    QVERIFY2(!IsDefaultBrowser(program), "an action's Exec is not the program's");

    QFile::remove(desktopPath());
    QVERIFY(!IsDefaultBrowser(program));

    // The desktop file back in place, but only the http scheme claimed.
    QVERIFY(MakeDefaultBrowser(program));
    writeBytes(mimeAppsPath(),
               "[Default Applications]\nx-scheme-handler/http=quillbrow.desktop;\n");
    QVERIFY(!IsDefaultBrowser(program));
}

void TestCDefaultBrowser::keepsTheUsersFile()
{
    // Latin-1 in a comment: not UTF-8, and still the user's bytes to keep.
    const QByteArray before = "# caf\xe9\n"
                              "[Added Associations]\n"
                              "text/html=firefox.desktop;\n"
                              "\n"
                              "[Default Applications]\n"
                              "text/html=firefox.desktop;chromium.desktop;\n"
                              "application/pdf=evince.desktop;";
    writeBytes(mimeAppsPath(), before);
    QVERIFY(MakeDefaultBrowser(QStringLiteral("/opt/quill/quillbrow")));
    QCOMPARE(readBytes(mimeAppsPath()),
             QByteArray("# caf\xe9\n"
                        "[Added Associations]\n"
                        "text/html=firefox.desktop;\n"
                        "\n"
                        "[Default Applications]\n"
                        "text/html=quillbrow.desktop;\n"
                        "application/pdf=evince.desktop;\n"
                        "x-scheme-handler/http=quillbrow.desktop;\n"
                        "x-scheme-handler/https=quillbrow.desktop;\n"
                        "x-scheme-handler/ftp=quillbrow.desktop;\n"
                        "x-scheme-handler/gopher=quillbrow.desktop;\n"));
    QVERIFY(IsDefaultBrowser(QStringLiteral("/opt/quill/quillbrow")));
}

void TestCDefaultBrowser::updateMimeApps_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");

    const QString claimed
        = QStringLiteral("text/html=q.desktop;\nx-scheme-handler/http=q.desktop;\n");
    const QString group = QStringLiteral("[Default Applications]\n");
    QTest::newRow("group missing, no final newline")
        << QStringLiteral("[Added Associations]\ntext/plain=e;")
        << QStringLiteral("[Added Associations]\ntext/plain=e;\n\n") + group + claimed;
    QTest::newRow("no final newline after the group")
        << group + QStringLiteral("text/plain=e;\n\n# next\n[Other]\nk=v")
        << group + QStringLiteral("text/plain=e;\n") + claimed
            + QStringLiteral("\n# next\n[Other]\nk=v");
    QTest::newRow("entries replaced in place")
        << group + QStringLiteral("x-scheme-handler/http=f;\n# mine\ntext/html = f;g;\n")
        << group
            + QStringLiteral("x-scheme-handler/http=q.desktop;\n# mine\ntext/html=q.desktop;\n");
    QTest::newRow("CRLF") << QStringLiteral("[Default Applications]\r\ntext/html=f;\r\n")
                          << QStringLiteral("[Default Applications]\r\ntext/html=q.desktop;\r\n"
                                            "x-scheme-handler/http=q.desktop;\n");
}

void TestCDefaultBrowser::updateMimeApps()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    const QStringList types {QStringLiteral("text/html"), QStringLiteral("x-scheme-handler/http")};
    QCOMPARE(UpdateMimeApps(before, types, QStringLiteral("q.desktop")), after);
}

void TestCDefaultBrowser::defaultForType()
{
    const QString group = QStringLiteral("[Default Applications]\n");
    QCOMPARE(DefaultForType(group + QStringLiteral("text/html = ; a.desktop ;b.desktop;"),
                            QStringLiteral("text/html")),
             QStringLiteral("a.desktop"));
    QCOMPARE(DefaultForType(QStringLiteral("[Added Associations]\ntext/html=a.desktop;\n") + group,
                            QStringLiteral("text/html")),
             QString());
}

QTEST_GUILESS_MAIN(TestCDefaultBrowser)
#include "tst_cdefaultbrowser.moc"
