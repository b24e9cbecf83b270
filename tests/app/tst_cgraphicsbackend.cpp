#include "CGraphicsBackend.h"
#include "CTestServer.h"

#include <QtTest>

using GraphicsBackend::CGlInfo;
using GraphicsBackend::EMode;

Q_DECLARE_METATYPE(EMode)

// The choice of Qt Quick backend: the rule over what was detected, and the real
// program started with each way of forcing it.
class TestCGraphicsBackend : public QObject
{
    Q_OBJECT

    QList<QProcess *> m_processes;

    // The real program with the graphics log on; its standard error collects in the
    // returned buffer.
    QProcess *Launch(const QStringList &args, const QString &quickBackend = QString())
    {
        auto *process = new QProcess(this);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // The engine's report says whether it composites for Qt Quick's software backend.
        env.insert(u"QT_LOGGING_RULES"_qs,
                   u"quillbrow.graphics.debug=true;qt.webenginecontext.info=true"_qs);
        env.remove(u"QT_QUICK_BACKEND"_qs);
        env.remove(u"QMLSCENE_DEVICE"_qs);
        if (!quickBackend.isEmpty())
            env.insert(u"QT_QUICK_BACKEND"_qs, quickBackend);
        process->setProcessEnvironment(env);
        process->setProcessChannelMode(QProcess::SeparateChannels);
        process->start(QStringLiteral(QUILLBROW_BINARY), args);
        m_processes << process;
        return process;
    }

    static void WriteSettings()
    {
        const QString dir = qEnvironmentVariable("XDG_CONFIG_HOME") + u"/Tarvo"_qs;
        QDir().mkpath(dir);
        QFile file(dir + u"/Quillbrow.conf"_qs);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        // Each start is a copy of its own, so no start hands over to the one before.
        file.write("[Settings]\nCheckDefaultBrowser=0\nMultipleInstance=1\n");
    }

private slots:
    void init() { WriteSettings(); }
    void cleanup()
    {
        for (QProcess *process : std::as_const(m_processes)) {
            process->kill();
            process->waitForFinished(10000);
        }
        qDeleteAll(m_processes);
        m_processes.clear();
    }

    void parseMode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("mode"); // -1: refused

        QTest::newRow("auto") << u"auto"_qs << int(EMode::Auto);
        QTest::newRow("software") << u"software"_qs << int(EMode::Software);
        QTest::newRow("GPU in capitals") << u"GPU"_qs << int(EMode::Gpu);
        QTest::newRow("empty") << QString() << -1;
        QTest::newRow("a prefix is not enough") << u"soft"_qs << -1;
        QTest::newRow("padded") << u" gpu"_qs << -1;
    }
    void parseMode()
    {
        QFETCH(QString, text);
        QFETCH(int, mode);
        const auto parsed = GraphicsBackend::ParseMode(text);
        QCOMPARE(parsed ? int(*parsed) : -1, mode);
    }

    void softwareRenderers_data()
    {
        QTest::addColumn<QString>("renderer");
        QTest::addColumn<bool>("software");

        QTest::newRow("llvmpipe") << u"llvmpipe (LLVM 15.0.6, 256 bits)"_qs << true;
        QTest::newRow("softpipe") << u"softpipe"_qs << true;
        QTest::newRow("swrast") << u"Software Rasterizer"_qs << true;
        QTest::newRow("SwiftShader")
            << u"ANGLE (Google, Vulkan 1.3.0 (SwiftShader Device (Subzero)), SwiftShader driver)"_qs
            << true;
        // A real GPU whose driver also names LLVM, as its shader compiler.
        QTest::newRow("radeonsi")
            << u"AMD Radeon RX 580 Series (polaris10, LLVM 15.0.6, DRM 3.49, 6.1.0-13-amd64)"_qs
            << false;
        QTest::newRow("Intel") << u"Mesa Intel(R) UHD Graphics 620 (KBL GT2)"_qs << false;
        QTest::newRow("NVIDIA") << u"NVIDIA GeForce GTX 1080/PCIe/SSE2"_qs << false;
        QTest::newRow("virgl") << u"virgl (Intel(R) UHD Graphics 620)"_qs << false;
        QTest::newRow("unknown: empty") << QString() << false;
    }
    void softwareRenderers()
    {
        QFETCH(QString, renderer);
        QTEST(GraphicsBackend::IsSoftwareRenderer(renderer), "software");
    }

    void rule_data()
    {
        QTest::addColumn<EMode>("mode");
        QTest::addColumn<bool>("environment");
        QTest::addColumn<bool>("context");
        QTest::addColumn<QString>("renderer");
        QTest::addColumn<bool>("software");
        QTest::addColumn<bool>("probed");

        const QString gpu = u"Mesa Intel(R) UHD Graphics 620 (KBL GT2)"_qs;
        const QString llvmpipe = u"llvmpipe (LLVM 15.0.6, 256 bits)"_qs;
        QTest::newRow("auto, real GPU: OpenGL stays")
            << EMode::Auto << false << true << gpu << false << true;
        QTest::newRow("auto, llvmpipe: software")
            << EMode::Auto << false << true << llvmpipe << true << true;
        QTest::newRow("auto, no context: software")
            << EMode::Auto << false << false << QString() << true << true;
        QTest::newRow("auto, context without a renderer name: OpenGL stays")
            << EMode::Auto << false << true << QString() << false << true;
        // Forced either way, nothing is probed: the user's word is enough.
        QTest::newRow("software asked on a GPU")
            << EMode::Software << false << true << gpu << true << false;
        QTest::newRow("gpu asked on llvmpipe")
            << EMode::Gpu << false << true << llvmpipe << false << false;
        // QT_QUICK_BACKEND decides for Qt itself; we add nothing.
        QTest::newRow("environment over auto on llvmpipe")
            << EMode::Auto << true << true << llvmpipe << false << false;
        QTest::newRow("environment over software asked")
            << EMode::Software << true << true << gpu << false << false;
    }
    void rule()
    {
        QFETCH(EMode, mode);
        QFETCH(bool, environment);
        QFETCH(bool, context);
        QFETCH(QString, renderer);
        bool bProbed = false;
        const bool bSoftware = GraphicsBackend::ChoosesSoftware(mode, environment, [&] {
            bProbed = true;
            return CGlInfo {context, renderer};
        });
        QTEST(bSoftware, "software");
        QTEST(bProbed, "probed");
    }

    // Each way of choosing, in the real program: the log says what was chosen, the
    // engine draws accordingly, and a page still loads and runs its script.
    void programChooses_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("quickBackend");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<int>("software"); // -1: whatever this machine's OpenGL asks for

        QTest::newRow("software") << QStringList {u"--graphics=software"_qs} << QString()
                                  << QByteArray("software backend, as asked") << 1;
        QTest::newRow("gpu") << QStringList {u"--graphics=gpu"_qs} << QString()
                             << QByteArray("default backend, as asked") << 0;
        QTest::newRow("auto probes")
            << QStringList() << QString() << QByteArray("backend for OpenGL renderer") << -1;
        QTest::newRow("environment wins")
            << QStringList {u"--graphics=gpu"_qs} << u"software"_qs
            << QByteArray("backend left to the environment (QT_QUICK_BACKEND=software)") << 1;
        QTest::newRow("bad value: said, then auto")
            << QStringList {u"--graphics=fast"_qs} << QString()
            << QByteArray("--graphics=fast: the mode is auto, software or gpu") << -1;
    }
    void programChooses()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, quickBackend);
        QFETCH(QByteArray, expected);
        QFETCH(int, software);

        CTestServer server;
        QVERIFY(server.Start());
        server.RoutePage(u"/page"_qs, u"Page"_qs,
                         u"<script>window.onload = () => fetch('/loaded');</script>"_qs);
        server.Route(u"/loaded"_qs, {});
        QProcess *program = Launch(args << server.Url(u"/page"_qs).toString(), quickBackend);
        QTRY_VERIFY_WITH_TIMEOUT(server.RequestCount(u"/loaded"_qs) == 1
                                     || program->state() == QProcess::NotRunning,
                                 60000);
        const QByteArray log = program->readAllStandardError();
        QVERIFY2(server.RequestCount(u"/loaded"_qs) == 1, log.constData());
        QVERIFY2(log.contains(expected), log.constData());
        if (!args.contains(u"--graphics=fast"_qs))
            QVERIFY2(!log.contains("the mode is"), log.constData());
        if (software >= 0) {
            const QByteArray engine
                = software ? "Using Supported QSG Backend: no" : "Using Supported QSG Backend: yes";
            QVERIFY2(log.contains(engine), log.constData());
        }
    }
};

QTEST_GUILESS_MAIN(TestCGraphicsBackend)
#include "tst_cgraphicsbackend.moc"
