#include "CCommandLine.h"
#include "CEarlyHandOver.h"
#include "CStringIds.h"
#include "CStringTable.h"

#include <QtTest>

class TestCCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QList<QByteArray>>("args");
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("fileName");

        using L = QList<QByteArray>;
        const int open = CCommandLineInfo::FileOpen;
        QTest::newRow("nothing: start page") << L {} << int(CCommandLineInfo::FileNew) << QString();
        QTest::newRow("first plain argument wins")
            << L {"a.example", "b.example"} << open << u"a.example"_qs;
        QTest::newRow("unknown option: empty window")
            << L {"--private"} << int(CCommandLineInfo::Nothing) << QString();
        QTest::newRow("unknown option and address")
            << L {"--private", "x.example"} << open << u"x.example"_qs;
        QTest::newRow("after -- a dash is an address") << L {"--", "-x"} << open << u"-x"_qs;
        QTest::newRow("empty and blank arguments skipped")
            << L {"", "  "} << int(CCommandLineInfo::FileNew) << QString();
        QTest::newRow("not UTF-8") << L {"http://h/\xfe"} << open << u"http://h/%FE"_qs;
    }
    void parse()
    {
        QFETCH(QList<QByteArray>, args);
        const CCommandLineInfo info = ParseCommandLine(args);
        QTEST(int(info.m_nShellCommand), "command");
        QTEST(info.m_strFileName, "fileName");
    }

    void graphics_data()
    {
        QTest::addColumn<QList<QByteArray>>("args");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("bad");
        QTest::addColumn<QString>("fileName");

        using L = QList<QByteArray>;
        using M = GraphicsBackend::EMode;
        QTest::newRow("none: auto")
            << L {"x.example"} << int(M::Auto) << QStringList() << u"x.example"_qs;
        QTest::newRow("software, then the address")
            << L {"--graphics=software", "x.example"} << int(M::Software) << QStringList()
            << u"x.example"_qs;
        QTest::newRow("gpu in capitals")
            << L {"--graphics=GPU"} << int(M::Gpu) << QStringList() << QString();
        QTest::newRow("the last one counts") << L {"--graphics=gpu", "--graphics=auto"}
                                             << int(M::Auto) << QStringList() << QString();
        QTest::newRow("unknown value: auto, reported")
            << L {"--graphics=fast"} << int(M::Auto) << QStringList {u"--graphics=fast"_qs}
            << QString();
        QTest::newRow("a bad value keeps the good one before it")
            << L {"--graphics=software", "--graphics="} << int(M::Software)
            << QStringList {u"--graphics="_qs} << QString();
        QTest::newRow("no value") << L {"--graphics"} << int(M::Auto)
                                  << QStringList {u"--graphics"_qs} << QString();
        QTest::newRow("not the option: unknown")
            << L {"--graphicsx=gpu"} << int(M::Auto) << QStringList() << QString();
        QTest::newRow("after -- an address")
            << L {"--", "--graphics=gpu"} << int(M::Auto) << QStringList() << u"--graphics=gpu"_qs;
    }
    void graphics()
    {
        QFETCH(QList<QByteArray>, args);
        const CCommandLineInfo info = ParseCommandLine(args);
        QTEST(int(info.m_nGraphics), "mode");
        QTEST(info.m_badValues, "bad");
        QTEST(info.m_strFileName, "fileName");
        // A known option, even with a bad value, opens the start page as no option would.
        const bool bUnknown = args.contains("--graphicsx=gpu");
        QCOMPARE(info.m_unknownOptions.isEmpty(), !bUnknown);
        if (info.m_strFileName.isEmpty())
            QCOMPARE(int(info.m_nShellCommand),
                     int(bUnknown ? CCommandLineInfo::Nothing : CCommandLineInfo::FileNew));
    }

    void relativeFileBecomesAbsolute()
    {
        QTemporaryDir dir;
        QFile page(dir.filePath(u"page.html"_qs));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.close();
        const QString old = QDir::currentPath();
        QDir::setCurrent(dir.path());
        const CCommandLineInfo info = ParseCommandLine({"page.html"});
        QDir::setCurrent(old);
        QCOMPARE(info.m_strFileName, QFileInfo(page).absoluteFilePath());
    }

    void helpAndVersionBeforeTheDisplay()
    {
        QByteArray prog("quillbrow"), help("--help"), dashes("--"), version("-v"), addr("x");
        char *withHelp[] = {prog.data(), addr.data(), help.data()};
        char *helpAfterDashes[] = {prog.data(), dashes.data(), help.data()};
        char *withVersion[] = {prog.data(), version.data()};
        QVERIFY(WantsHelpOrVersion(3, withHelp));
        QVERIFY(!WantsHelpOrVersion(3, helpAfterDashes));
        QVERIFY(WantsHelpOrVersion(2, withVersion));
        QVERIFY(ParseCommandLine({"--version"}).m_bShowVersion);
    }

    // One version: what --version prints, the About dialog's string and the number the
    // build gives the package are the same text.
    void oneVersion()
    {
        QCOMPARE(VersionText(), u"Quillbrow 1.01c\n"_qs);
        QCOMPARE(SourceString(IDS_VERSION), QStringLiteral(QUILLBROW_VERSION));
    }

    // Only arguments that need no application object to be read may take the early
    // hand-over; Qt's own single-dash options must reach QApplication first.
    void plainArguments_data()
    {
        QTest::addColumn<QList<QByteArray>>("args");
        QTest::addColumn<bool>("plain");
        using L = QList<QByteArray>;
        QTest::newRow("none") << L {} << true;
        QTest::newRow("address and our options")
            << L {"--graphics=gpu", "http://h/", "--private"} << true;
        QTest::newRow("a lone dash is a name") << L {"-"} << true;
        QTest::newRow("Qt's option") << L {"-platform", "offscreen", "http://h/"} << false;
        QTest::newRow("Qt's option after an address") << L {"http://h/", "-style=x"} << false;
        QTest::newRow("dashed name after --") << L {"--", "-platform"} << true;
    }
    void plainArguments()
    {
        QFETCH(QList<QByteArray>, args);
        QTEST(EarlyHandOver::ArgumentsArePlain(args), "plain");
    }
};

QTEST_GUILESS_MAIN(TestCCommandLine)
#include "tst_ccommandline.moc"
