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
        return 1;
    }
    quint32 OnNavigate() override { return 1; }

    quint64 m_nId = 0x1122334455667788;
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
    return LE<quint32>(payload.size()) + payload;
}

QByteArray CopyDataFrame(quint32 nTag, const QByteArray &data)
{
    return Frame(char(InstanceChannel::CopyData) + LE<quint32>(nTag) + data);
}

// The frame id a Find gets back, 0 when nothing answers.
quint64 FindId(const QString &path)
{
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(5000))
        return 0;
    socket.write(Frame("\x01"));
    if (!QTest::qWaitFor([&] { return socket.bytesAvailable() >= 12; }))
        return 0;
    return qFromLittleEndian<quint64>(socket.read(12).constData() + 4);
}

enum EEnding { Open, Close, Silent }; // Silent: the server's idle time runs out

} // namespace

class tst_CInstanceChannel : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir; // every server removes its socket when it goes
    const QString m_path = m_dir.filePath(u"q.socket"_qs);
    const QString m_otherPath = m_dir.filePath(u"other.socket"_qs);
    std::unique_ptr<CFakeReceiver> m_pReceiver;
    std::unique_ptr<CInstanceServer> m_pServer;

private slots:
    void init()
    {
        m_pReceiver = std::make_unique<CFakeReceiver>();
        m_pServer = std::make_unique<CInstanceServer>(m_pReceiver.get());
        QVERIFY(m_pServer->Listen(m_path));
    }
    void cleanup() { m_pServer.reset(); }

    void splitAndMergedFrames()
    {
        // A byte at a time, round robin, up to the last byte of each first frame, so every
        // server-side buffer holds a partial frame; then the rest in one write.
        QLocalSocket clients[3];
        Copies sent;
        QList<QByteArray> streams;
        for (quint32 i = 0; i < 3; ++i) {
            clients[i].connectToServer(m_path);
            // The first carries the shortest copy-data there may be (a tag and nothing
            // else), the last the longest frame there may be.
            sent.append({i,
                         i == 0       ? QByteArray()
                             : i == 1 ? QByteArray("address 1")
                                      : QByteArray(InstanceChannel::kMaxFrame - 5, '\xff')});
            streams.append(CopyDataFrame(i, sent.last().second) + Frame("\x01") + Frame("\x03"));
        }
        const qsizetype nSplit = CopyDataFrame(0, sent[0].second).size() - 1;
        for (qsizetype nByte = 0; nByte <= nSplit; ++nByte) {
            for (int i = 0; i < 3; ++i) {
                clients[i].write(nByte < nSplit ? streams[i].mid(nByte, 1) : streams[i].mid(nByte));
                clients[i].flush();
                QCoreApplication::processEvents();
            }
        }
        const QByteArray replies
            = Frame(LE<quint32>(1)) + Frame(LE(m_pReceiver->m_nId)) + Frame(LE<quint32>(1));
        for (QLocalSocket &client : clients) {
            QTRY_COMPARE(client.bytesAvailable(), replies.size());
            QCOMPARE(client.readAll(), replies);
        }
        std::sort(m_pReceiver->m_copies.begin(), m_pReceiver->m_copies.end());
        QCOMPARE(m_pReceiver->m_copies, sent);
    }

    void malformedFrameDropsOnlyThatClient_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("ending");
        QTest::newRow("zero length") << LE<quint32>(0) << int(Open);
        QTest::newRow("one past the limit")
            << LE(InstanceChannel::kMaxFrame + 1) + "x" << int(Open);
        QTest::newRow("unknown kind") << Frame("\x04") << int(Open);
        // The tag is four bytes: one short is refused (a tag and no address is fine).
        QTest::newRow("copy-data, tag one byte short") << Frame("\x02\x01\x02\x03") << int(Open);
        QTest::newRow("truncated, then closed")
            << LE<quint32>(20) + QByteArray("\x02\0\0\0\0ab", 7) << int(Close);
        QTest::newRow("silent inside a frame") << CopyDataFrame(0, "abc").left(6) << int(Silent);
    }
    void malformedFrameDropsOnlyThatClient()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, ending);
        // Otherwise far beyond QTRY's wait, so only the silent row can time out.
        CInstanceServer server(m_pReceiver.get(), nullptr, ending == Silent ? 200 : 60000);
        QVERIFY(server.Listen(m_otherPath));
        QSignalSpy dropped(&server, &CInstanceServer::clientDropped);
        QLocalSocket socket;
        socket.connectToServer(m_otherPath);
        socket.write(bytes);
        socket.flush();
        if (ending == Close)
            socket.disconnectFromServer();
        QTRY_COMPARE(dropped.size(), 1);
        QTRY_COMPARE(socket.state(), QLocalSocket::UnconnectedState);
        QCOMPARE(socket.readAll(), QByteArray()); // unanswered
        QVERIFY(m_pReceiver->m_copies.isEmpty());
        QCOMPARE(FindId(m_otherPath), m_pReceiver->m_nId);
    }

    void staleSocketReplacedLiveOwnerKept()
    {
        // Bound and closed without unlinking, as a killed copy leaves it.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr {};
        addr.sun_family = AF_UNIX;
        qstrncpy(addr.sun_path, QFile::encodeName(m_otherPath).constData(), sizeof addr.sun_path);
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
        ::close(fd);
        QCOMPARE(FindId(m_otherPath), quint64(0));
        CFakeReceiver other;
        other.m_nId = 42;
        CInstanceServer second(&other);
        QVERIFY(second.Listen(m_otherPath));
        QCOMPARE(FindId(m_otherPath), quint64(42));

        QVERIFY(!second.Listen(m_path));
        QCOMPARE(FindId(m_path), m_pReceiver->m_nId);
    }
};

QTEST_GUILESS_MAIN(tst_CInstanceChannel)
#include "tst_cinstancechannel.moc"
