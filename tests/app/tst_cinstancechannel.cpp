#include "CInstanceChannel.h"

#include <QLocalSocket>
#include <QtTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using Copies = QList<QPair<quint32, QByteArray>>;

class CFakeReceiver : public IInstanceReceiver
{
public:
    quint64 OnFindInstance() override { return m_nId; }
    quint32 OnCopyData(quint32 nTag, const QByteArray &data) override
    {
        m_copies.append({nTag, data});
        return m_nCopyReply;
    }
    quint32 OnNavigate() override { return 1; }

    quint64 m_nId = 0x1122334455667788;
    quint32 m_nCopyReply = 1;
    Copies m_copies;
};

template<typename T> QByteArray LE(T value)
{
    QByteArray bytes(sizeof(T), Qt::Uninitialized);
    qToLittleEndian<T>(value, bytes.data());
    return bytes;
}

QByteArray Frame(const QByteArray &payload)
{
    return LE<quint32>(quint32(payload.size())) + payload;
}

QByteArray CopyDataFrame(quint32 nTag, const QByteArray &data)
{
    return Frame(char(InstanceChannel::CopyData) + LE<quint32>(nTag) + data);
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

quint64 FindId(const QString &path)
{
    quint64 nId = 0;
    RunClient([&] {
        CInstanceClient client;
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

    // Sends bytes as a misbehaving client would: it alone is dropped, unanswered.
    void ExpectDropped(CInstanceServer *pServer, const QByteArray &bytes, bool bThenClose)
    {
        QSignalSpy dropped(pServer, &CInstanceServer::clientDropped);
        QLocalSocket socket;
        socket.connectToServer(pServer->ServerPath());
        socket.write(bytes);
        socket.flush();
        if (bThenClose)
            socket.disconnectFromServer();
        QTRY_COMPARE(dropped.size(), 1);
        QTRY_COMPARE(socket.state(), QLocalSocket::UnconnectedState);
        QCOMPARE(socket.readAll(), QByteArray());
        QVERIFY(m_pReceiver->m_copies.isEmpty());
        QCOMPARE(FindId(pServer->ServerPath()), m_pReceiver->m_nId);
    }

private slots:
    void init()
    {
        m_pDir = std::make_unique<QTemporaryDir>();
        m_path = m_pDir->filePath(u"q.socket"_qs);
        m_otherPath = m_pDir->filePath(u"other.socket"_qs);
        m_pReceiver = std::make_unique<CFakeReceiver>();
        m_pServer = std::make_unique<CInstanceServer>(m_pReceiver.get());
        QVERIFY(m_pServer->Listen(m_path));
    }
    void cleanup() { m_pServer.reset(); }

    void serverPathWithoutRuntimeFolder()
    {
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        qunsetenv("XDG_RUNTIME_DIR");
        const QString path = InstanceChannel::ServerPath();
        qputenv("XDG_RUNTIME_DIR", saved);
        QCOMPARE(path, QDir::tempPath() + u"/quillbrow-%1.socket"_qs.arg(getuid()));
    }

    void exchangeOfTheLargestFrame()
    {
        const quint32 nTag = 0xA1B2C3D4;
        const QByteArray data
            = QByteArray("\xff\x00\x80", 3) + QByteArray(InstanceChannel::kMaxFrame - 8, 'a');
        m_pReceiver->m_nCopyReply = 0xDEADBEEF;
        quint64 nId = 0;
        quint32 nCopyReply = 0, nNavigateReply = 0;
        RunClient([&] {
            CInstanceClient client;
            if (client.FindExistingInstance(m_path))
                nId = client.FrameId();
            nCopyReply = client.SendCopyData(nTag, data);
            nNavigateReply = client.SendNavigate();
        });
        QCOMPARE(nId, m_pReceiver->m_nId);
        QCOMPARE(nCopyReply, 0xDEADBEEFu);
        QCOMPARE(nNavigateReply, 1u);
        QCOMPARE(m_pReceiver->m_copies, (Copies {{nTag, data}}));
    }

    void splitAndMergedFrames()
    {
        // A byte at a time, round robin, up to the last byte of each first frame, so every
        // server-side buffer holds a partial frame; then the rest in one write.
        std::vector<std::unique_ptr<QLocalSocket>> clients;
        Copies sent;
        QList<QByteArray> streams;
        for (quint32 i = 0; i < 3; ++i) {
            clients.push_back(std::make_unique<QLocalSocket>());
            clients.back()->connectToServer(m_path);
            sent.append({i, QByteArray("address ") + char('0' + i)});
            streams.append(CopyDataFrame(i, sent.last().second) + Frame("\x01") + Frame("\x03"));
        }
        const qsizetype nSplit = CopyDataFrame(0, sent[0].second).size() - 1;
        for (qsizetype nByte = 0; nByte <= nSplit; ++nByte) {
            for (size_t i = 0; i < clients.size(); ++i) {
                clients[i]->write(nByte < nSplit ? streams[i].mid(nByte, 1)
                                                 : streams[i].mid(nByte));
                clients[i]->flush();
                QCoreApplication::processEvents();
            }
        }
        const QByteArray replies
            = Frame(LE<quint32>(1)) + Frame(LE(m_pReceiver->m_nId)) + Frame(LE<quint32>(1));
        for (const auto &pClient : clients) {
            QTRY_COMPARE(pClient->bytesAvailable(), replies.size());
            QCOMPARE(pClient->readAll(), replies);
        }
        std::sort(m_pReceiver->m_copies.begin(), m_pReceiver->m_copies.end());
        QCOMPARE(m_pReceiver->m_copies, sent);
    }

    void malformedFrameDropsOnlyThatClient_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("bThenClose");
        QTest::newRow("zero length") << LE<quint32>(0) << false;
        QTest::newRow("one past the limit") << LE(InstanceChannel::kMaxFrame + 1) + "x" << false;
        QTest::newRow("unknown kind") << Frame("\x04") << false;
        QTest::newRow("copy-data, short tag") << Frame("\x02\x01\x02") << false;
        QTest::newRow("truncated, then closed")
            << LE<quint32>(20) + QByteArray("\x02\0\0\0\0ab", 7) << true;
    }
    void malformedFrameDropsOnlyThatClient()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, bThenClose);
        ExpectDropped(m_pServer.get(), bytes, bThenClose);
    }

    void silentPartialFrameTimesOut()
    {
        CInstanceServer quick(m_pReceiver.get(), nullptr, 200);
        QVERIFY(quick.Listen(m_otherPath));
        ExpectDropped(&quick, CopyDataFrame(0, "abc").left(6), false);
    }

    void staleSocketIsReplaced()
    {
        // Bound and closed without unlinking, as a killed copy leaves it.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr {};
        addr.sun_family = AF_UNIX;
        qstrncpy(addr.sun_path, QFile::encodeName(m_otherPath).constData(), sizeof addr.sun_path);
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
        ::close(fd);
        QCOMPARE(FindId(m_otherPath), quint64(0));
        QVERIFY(m_pServer->Listen(m_otherPath));
        QCOMPARE(FindId(m_otherPath), m_pReceiver->m_nId);
    }

    void liveServerKeepsItsPath()
    {
        CFakeReceiver other;
        CInstanceServer second(&other);
        QVERIFY(!second.Listen(m_path));
        m_pReceiver->m_nId = 42;
        QCOMPARE(FindId(m_path), quint64(42));
    }
};

QTEST_GUILESS_MAIN(tst_CInstanceChannel)
#include "tst_cinstancechannel.moc"
