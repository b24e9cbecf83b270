#include "CInstanceChannel.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QtEndian>

#include <algorithm>
#include <memory>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

class CFakeReceiver : public IInstanceReceiver
{
public:
    quint64 OnFindInstance() override { return m_nId; }
    quint32 OnCopyData(quint32 nTag, const QByteArray &data) override
    {
        m_copies.append({nTag, data});
        return m_nCopyReply;
    }
    quint32 OnNavigate() override
    {
        ++m_nNavigates;
        return 1;
    }

    quint64 m_nId = 0x1122334455667788;
    quint32 m_nCopyReply = 1;
    QList<QPair<quint32, QByteArray>> m_copies;
    int m_nNavigates = 0;
};

template<typename T> QByteArray LittleEndian(T value)
{
    QByteArray bytes(sizeof(T), Qt::Uninitialized);
    qToLittleEndian<T>(value, bytes.data());
    return bytes;
}

QByteArray Frame(const QByteArray &payload)
{
    return LittleEndian<quint32>(quint32(payload.size())) + payload;
}

QByteArray CopyDataFrame(quint32 nTag, const QByteArray &data)
{
    return Frame(char(InstanceChannel::CopyData) + LittleEndian<quint32>(nTag) + data);
}

// Client calls block, so they run on a worker thread while this thread serves.
template<typename Fn> void RunClient(Fn fn)
{
    std::unique_ptr<QThread> thread(QThread::create(std::move(fn)));
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    thread->start();
    loop.exec();
}

quint64 FindId(const QString &path, int nTimeoutMs = 5000)
{
    quint64 nId = 0;
    RunClient([&] {
        CInstanceClient client(nTimeoutMs);
        if (client.FindExistingInstance(path))
            nId = client.FrameId();
    });
    return nId;
}

} // namespace

class tst_CInstanceChannel : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_pDir;
    QString m_path, m_otherPath;
    std::unique_ptr<CFakeReceiver> m_pReceiver;
    std::unique_ptr<CInstanceServer> m_pServer;

private slots:
    void init()
    {
        m_pDir = std::make_unique<QTemporaryDir>();
        m_path = m_pDir->filePath(QStringLiteral("q.socket"));
        m_otherPath = m_pDir->filePath(QStringLiteral("other.socket"));
        m_pReceiver = std::make_unique<CFakeReceiver>();
        m_pServer = std::make_unique<CInstanceServer>(m_pReceiver.get());
        QVERIFY(m_pServer->Listen(m_path));
    }
    void cleanup() { m_pServer.reset(); }

    void serverPath_data()
    {
        QTest::addColumn<QString>("runtimeDir");
        QTest::addColumn<bool>("bUsed");
        QTest::newRow("folder") << QStringLiteral("%1") << true;
        QTest::newRow("unset") << QString() << false;
        QTest::newRow("missing folder") << QStringLiteral("%1/missing") << false;
        QTest::newRow("a file") << QStringLiteral("%1/q.socket") << false;
    }
    void serverPath()
    {
        QFETCH(QString, runtimeDir);
        QFETCH(bool, bUsed);
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        if (runtimeDir.isNull())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", runtimeDir.arg(m_pDir->path()).toLocal8Bit());
        const QString path = InstanceChannel::ServerPath();
        qputenv("XDG_RUNTIME_DIR", saved);
        QCOMPARE(path,
                 QStringLiteral("%1/quillbrow-%2.socket")
                     .arg(bUsed ? m_pDir->path() : QDir::tempPath())
                     .arg(getuid()));
    }

    void exchange_data()
    {
        QTest::addColumn<quint32>("nTag");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<quint32>("nReply");
        QTest::newRow("address") << 0u << QByteArray("http://example.test/", 21) << 1u;
        QTest::newRow("empty address") << 0u << QByteArray(1, '\0') << 0u;
        QTest::newRow("binary, other tag")
            << 0xA1B2C3D4u << QByteArray("\xff\x00\x80\x01", 4) << 0xDEADBEEFu;
        QTest::newRow("largest frame")
            << 0u << QByteArray(InstanceChannel::kMaxFrame - 5, 'a') << 1u;
    }
    void exchange()
    {
        QFETCH(quint32, nTag);
        QFETCH(QByteArray, data);
        QFETCH(quint32, nReply);
        m_pReceiver->m_nCopyReply = nReply;
        QSignalSpy handled(m_pServer.get(), &CInstanceServer::messageHandled);

        bool bFound = false;
        quint64 nId = 0;
        quint32 nCopyReply = 0, nNavigateReply = 0;
        RunClient([&] {
            CInstanceClient client;
            bFound = client.FindExistingInstance(m_path);
            nId = client.FrameId();
            nCopyReply = client.SendCopyData(nTag, data);
            nNavigateReply = client.SendNavigate();
        });

        QVERIFY(bFound);
        QCOMPARE(nId, m_pReceiver->m_nId);
        QCOMPARE(nCopyReply, nReply);
        QCOMPARE(nNavigateReply, 1u);
        QCOMPARE(m_pReceiver->m_copies, (QList<QPair<quint32, QByteArray>> {{nTag, data}}));
        QCOMPARE(m_pReceiver->m_nNavigates, 1);
        QCOMPARE(static_cast<QList<QList<QVariant>>>(handled),
                 (QList<QList<QVariant>> {{1}, {2}, {3}}));
    }

    void framesInOneWrite()
    {
        m_pReceiver->m_nCopyReply = 7;
        QLocalSocket socket;
        socket.connectToServer(m_path);
        socket.write(Frame("\x01") + CopyDataFrame(0, "a") + Frame("\x03"));

        const QByteArray expected = Frame(LittleEndian(m_pReceiver->m_nId))
            + Frame(LittleEndian<quint32>(7)) + Frame(LittleEndian<quint32>(1));
        QTRY_COMPARE(socket.bytesAvailable(), qint64(expected.size()));
        QCOMPARE(socket.readAll(), expected);
    }

    void clientsSendingByteByByte()
    {
        std::vector<std::unique_ptr<QLocalSocket>> clients;
        QList<QPair<quint32, QByteArray>> sent;
        for (quint32 i = 0; i < 4; ++i) {
            clients.push_back(std::make_unique<QLocalSocket>());
            clients.back()->connectToServer(m_path);
            sent.append({i, QByteArray("address ") + char('0' + i)});
        }
        // Round robin, a byte at a time, so every server-side buffer holds a partial frame.
        const qsizetype nFrameSize = CopyDataFrame(0, sent[0].second).size();
        for (qsizetype nByte = 0; nByte < nFrameSize; ++nByte) {
            for (size_t i = 0; i < clients.size(); ++i) {
                clients[i]->write(CopyDataFrame(sent[i].first, sent[i].second).mid(nByte, 1));
                clients[i]->flush();
                QCoreApplication::processEvents();
            }
        }

        for (const auto &pClient : clients) {
            QTRY_COMPARE(pClient->bytesAvailable(), 8);
            QCOMPARE(pClient->readAll(), Frame(LittleEndian<quint32>(1)));
        }
        std::sort(m_pReceiver->m_copies.begin(), m_pReceiver->m_copies.end());
        QCOMPARE(m_pReceiver->m_copies, sent);
    }

    void malformedFrameDropsOnlyThatClient_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("bThenClose");
        const auto length = [](quint32 n) {
            return LittleEndian<quint32>(n);
        };
        QTest::newRow("zero length") << length(0) << false;
        QTest::newRow("one past the limit")
            << length(InstanceChannel::kMaxFrame + 1) + "x" << false;
        QTest::newRow("100 MB announced") << length(100 << 20) + QByteArray(1000, 'x') << false;
        QTest::newRow("garbage") << QByteArray("GET / HTTP/1.1\r\n\r\n") << false;
        QTest::newRow("unknown kind") << Frame("\x04") << false;
        QTest::newRow("copy-data, short tag") << Frame("\x02\x01\x02") << false;
        QTest::newRow("truncated, then closed")
            << length(20) + QByteArray("\x02\0\0\0\0ab", 7) << true;
    }
    void malformedFrameDropsOnlyThatClient()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, bThenClose);
        QSignalSpy dropped(m_pServer.get(), &CInstanceServer::clientDropped);

        QLocalSocket socket;
        socket.connectToServer(m_path);
        socket.write(bytes);
        socket.flush();
        if (bThenClose)
            socket.disconnectFromServer();
        QTRY_COMPARE(dropped.size(), 1);
        QTRY_COMPARE(socket.state(), QLocalSocket::UnconnectedState);
        QCOMPARE(socket.readAll(), QByteArray());
        QVERIFY(m_pReceiver->m_copies.isEmpty());

        QCOMPARE(FindId(m_path), m_pReceiver->m_nId);
        QCOMPARE(dropped.size(), 1);
    }

    void silentPartialFrameTimesOut()
    {
        QSignalSpy dropped(m_pServer.get(), &CInstanceServer::clientDropped);
        QLocalSocket socket;
        socket.connectToServer(m_path);
        socket.write(CopyDataFrame(0, "abc").left(6));
        QTRY_COMPARE_WITH_TIMEOUT(dropped.size(), 1, 20000);
        QTRY_COMPARE(socket.state(), QLocalSocket::UnconnectedState);
    }

    void leftoverPathIsReplaced_data()
    {
        QTest::addColumn<bool>("bSocket");
        QTest::newRow("socket of a killed copy") << true;
        QTest::newRow("plain file") << false;
    }
    void leftoverPathIsReplaced()
    {
        QFETCH(bool, bSocket);
        if (bSocket) {
            // Bound and closed without unlinking, as a killed copy leaves it.
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un addr {};
            addr.sun_family = AF_UNIX;
            qstrncpy(addr.sun_path, QFile::encodeName(m_otherPath).constData(),
                     sizeof addr.sun_path);
            QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
            ::close(fd);
        } else {
            QFile file(m_otherPath);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(FindId(m_otherPath), quint64(0));
        QVERIFY(m_pServer->Listen(m_otherPath));
        QCOMPARE(FindId(m_otherPath), m_pReceiver->m_nId);
    }

    void liveServerKeepsItsPath()
    {
        CFakeReceiver other;
        CInstanceServer second(&other);
        QVERIFY(!second.Listen(m_path));
        QVERIFY(!second.IsListening());
        QVERIFY(m_pServer->IsListening());
        m_pReceiver->m_nId = 42;
        QCOMPARE(FindId(m_path), quint64(42));
    }

    void clientWithoutServer()
    {
        QElapsedTimer timer;
        timer.start();
        CInstanceClient client(5000);
        QVERIFY(!client.FindExistingInstance(m_otherPath));
        QCOMPARE(client.SendCopyData(0, QByteArray(1, '\0')), 0u);
        QCOMPARE(client.SendNavigate(), 0u);
        QVERIFY2(timer.elapsed() < 1000, "a missing server must not cost the timeout");
    }

    void clientRejectsBadReplies_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<quint64>("nId");
        QTest::newRow("good") << Frame(LittleEndian<quint64>(5)) << quint64(5);
        QTest::newRow("id zero") << Frame(LittleEndian<quint64>(0)) << quint64(0);
        QTest::newRow("too long") << Frame(QByteArray(65, '\1')) << quint64(0);
        QTest::newRow("silence") << QByteArray() << quint64(0);
    }
    void clientRejectsBadReplies()
    {
        QFETCH(QByteArray, reply);
        QFETCH(quint64, nId);
        QLocalServer fake;
        QVERIFY(fake.listen(m_otherPath));
        connect(&fake, &QLocalServer::newConnection, this, [&] {
            QLocalSocket *pSocket = fake.nextPendingConnection();
            connect(pSocket, &QLocalSocket::readyRead, pSocket, [pSocket, reply] {
                pSocket->readAll();
                pSocket->write(reply);
            });
        });
        QCOMPARE(FindId(m_otherPath, 300), nId);
    }
};

QTEST_GUILESS_MAIN(tst_CInstanceChannel)
#include "tst_cinstancechannel.moc"
