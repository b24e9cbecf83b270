#include "CInstanceChannel.h"

#include <QLocalSocket>
#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
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

// Someone who is not the user running the tests.
constexpr uid_t kOtherUid = 65534;

mode_t ModeOf(const QString &path)
{
    struct stat st = {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

sockaddr_un AddressOf(const QByteArray &path)
{
    sockaddr_un addr {};
    addr.sun_family = AF_UNIX;
    qstrncpy(addr.sun_path, path.constData(), sizeof addr.sun_path);
    return addr;
}

// Runs body as kOtherUid in a child process and returns its exit code, or -1 when
// the child could not become that user. The child may only make system calls: the
// test process has threads, and only such calls are safe after fork.
template<typename Body> pid_t ForkAsOtherUser(Body body)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgid(kOtherUid) != 0 || ::setuid(kOtherUid) != 0)
            ::_exit(255);
        ::_exit(body());
    }
    return pid;
}

// The child's exit code; the event loop runs meanwhile, since the child may be
// waiting on a server of this process.
int ExitCodeOf(pid_t pid)
{
    int status = 0;
    if (!QTest::qWaitFor([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, 20000)) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A temporary folder every user may enter and write, as a careless setup leaves one.
bool OpenToAll(const QTemporaryDir &dir)
{
    return dir.isValid() && ::chmod(QFile::encodeName(dir.path()).constData(), 0777) == 0;
}

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

    void lockedPathWaitsForItsHolder()
    {
        // Another copy holds the lock between its probe and its bind: this one gives up
        // rather than race it, and takes the path once the holder has gone (as a killed
        // copy's lock goes with it).
        const QByteArray lockPath = QFile::encodeName(m_otherPath + u".lock"_qs);
        const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        QVERIFY(fd >= 0);
        QCOMPARE(::flock(fd, LOCK_EX), 0);
        CInstanceServer server(m_pReceiver.get());
        QVERIFY(!server.Listen(m_otherPath));
        ::close(fd);
        QVERIFY(server.Listen(m_otherPath));
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

    void socketAndFolderAreOwnerOnly()
    {
        CInstanceServer server(m_pReceiver.get());
        QVERIFY(server.Listen());
        const QString path = InstanceChannel::ServerPath();
        QCOMPARE(server.ServerPath(), path);
        QVERIFY(S_ISSOCK(ModeOf(path)));
        QCOMPARE(ModeOf(path) & (S_IRWXG | S_IRWXO), 0u);
        QVERIFY(InstanceChannel::IsPrivateFolder(QFileInfo(path).path()));
    }

    void privateFolderChoice_data()
    {
        QTest::addColumn<QString>("runtime"); // made under the test's folder unless empty
        QTest::addColumn<int>("runtimeMode");
        QTest::addColumn<int>("ownFolderMode"); // of <temp>/quillbrow-<uid>; 0: missing
        QTest::addColumn<QString>("expected"); // "runtime", "own" or empty
        QTest::newRow("runtime folder owner-only") << u"run"_qs << 0700 << 0 << u"runtime"_qs;
        QTest::newRow("runtime folder readable by the group")
            << u"run"_qs << 0740 << 0 << u"own"_qs;
        QTest::newRow("runtime folder open to all") << u"run"_qs << 01777 << 0 << u"own"_qs;
        QTest::newRow("no runtime folder") << QString() << 0 << 0 << u"own"_qs;
        QTest::newRow("own folder already there") << QString() << 0 << 0700 << u"own"_qs;
        QTest::newRow("own folder opened by hand") << QString() << 0 << 0755 << QString();
    }
    void privateFolderChoice()
    {
        QFETCH(QString, runtime);
        QFETCH(int, runtimeMode);
        QFETCH(int, ownFolderMode);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString temp = dir.filePath(u"tmp"_qs);
        QVERIFY(QDir().mkpath(temp));
        const QString own = temp + u"/quillbrow-%1"_qs.arg(geteuid());
        if (ownFolderMode != 0) {
            QVERIFY(QDir().mkpath(own));
            QCOMPARE(::chmod(QFile::encodeName(own).constData(), mode_t(ownFolderMode)), 0);
        }
        QString runtimePath;
        if (!runtime.isEmpty()) {
            runtimePath = dir.filePath(runtime);
            QVERIFY(QDir().mkpath(runtimePath));
            QCOMPARE(::chmod(QFile::encodeName(runtimePath).constData(), mode_t(runtimeMode)), 0);
        }
        const QString chosen = InstanceChannel::PrivateFolder(runtimePath, temp);
        QCOMPARE(chosen,
                 expected == u"runtime"_qs   ? runtimePath
                     : expected == u"own"_qs ? own
                                             : QString());
        if (!chosen.isEmpty())
            QCOMPARE(ModeOf(chosen) & 0777, 0700u);
    }

    void linkedOrForeignFoldersAreRefused()
    {
        QTemporaryDir dir;
        const QString real = dir.filePath(u"real"_qs);
        QVERIFY(QDir().mkdir(real));
        QCOMPARE(::chmod(QFile::encodeName(real).constData(), 0700), 0);
        QVERIFY(InstanceChannel::IsPrivateFolder(real));
        // A link to a private folder is still a link: whoever made it can point it
        // elsewhere later.
        QVERIFY(QFile::link(real, dir.filePath(u"link"_qs)));
        QVERIFY(!InstanceChannel::IsPrivateFolder(dir.filePath(u"link"_qs)));
        if (geteuid() != 0)
            QSKIP("giving a folder to another user needs root");
        QCOMPARE(::chown(QFile::encodeName(real).constData(), kOtherUid, kOtherUid), 0);
        QVERIFY(!InstanceChannel::IsPrivateFolder(real));
        // Another user's folder where ours should be is not taken over.
        const QString temp = dir.filePath(u"tmp"_qs);
        const QString own = temp + u"/quillbrow-%1"_qs.arg(geteuid());
        QVERIFY(QDir().mkpath(own));
        QCOMPARE(::chmod(QFile::encodeName(own).constData(), 0700), 0);
        QCOMPARE(::chown(QFile::encodeName(own).constData(), kOtherUid, kOtherUid), 0);
        QCOMPARE(InstanceChannel::PrivateFolder(QString(), temp), QString());
    }

    void otherUserIsTurnedAway()
    {
        if (geteuid() != 0)
            QSKIP("becoming a second user needs root");
        QTemporaryDir dir;
        QVERIFY(OpenToAll(dir));
        const QString path = dir.filePath(u"q.socket"_qs);
        CInstanceServer server(m_pReceiver.get());
        QVERIFY(server.Listen(path));
        QSignalSpy dropped(&server, &CInstanceServer::clientDropped);
        const sockaddr_un addr = AddressOf(QFile::encodeName(path));
        // Exit code: 100 refused by the file system, else the reply's size.
        const auto findAsOtherUser = [addr] {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            if (::connect(fd, reinterpret_cast<const sockaddr *>(&addr), sizeof addr) != 0)
                return errno == EACCES ? 100 : 101;
            const char find[] = {1, 0, 0, 0, InstanceChannel::Find};
            if (::write(fd, find, sizeof find) != ssize_t(sizeof find))
                return 102;
            char reply[64];
            const ssize_t n = ::read(fd, reply, sizeof reply);
            // A reset is a close that left the request unread.
            return n >= 0 ? int(n) : errno == ECONNRESET ? 0 : 103;
        };

        // The socket file as made lets no one else in.
        QCOMPARE(ExitCodeOf(ForkAsOtherUser(findAsOtherUser)), 100);
        QVERIFY(dropped.isEmpty());

        // Opened by hand, it still answers no one else: the connection closes unanswered.
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0777), 0);
        QCOMPARE(ExitCodeOf(ForkAsOtherUser(findAsOtherUser)), 0);
        QCOMPARE(dropped.size(), 1);
        QCOMPARE(dropped[0][0].toString(), u"peer is user %1"_qs.arg(kOtherUid));
        // The user's own copies still get through.
        QCOMPARE(FindId(path), m_pReceiver->m_nId);
    }

    void clientLeavesAnotherUsersServer()
    {
        if (geteuid() != 0)
            QSKIP("becoming a second user needs root");
        QTemporaryDir dir;
        QVERIFY(OpenToAll(dir));
        const QByteArray path = QFile::encodeName(dir.filePath(u"planted.socket"_qs));
        const QByteArray bound = QFile::encodeName(dir.filePath(u"planted.tmp"_qs));
        const sockaddr_un addr = AddressOf(bound);
        // Listens, then moves the socket into place, so the path never holds a socket
        // that refuses. Exit code: the bytes the client sent before it left.
        const pid_t pid = ForkAsOtherUser([&] {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            ::umask(0);
            if (::bind(fd, reinterpret_cast<const sockaddr *>(&addr), sizeof addr) != 0
                || ::listen(fd, 1) != 0 || ::rename(bound.constData(), path.constData()) != 0)
                return 101;
            pollfd wait = {fd, POLLIN, 0};
            if (::poll(&wait, 1, 15000) != 1)
                return 102;
            wait.fd = ::accept(fd, nullptr, nullptr);
            if (wait.fd < 0 || ::poll(&wait, 1, 15000) != 1)
                return 103;
            char bytes[64];
            const ssize_t n = ::read(wait.fd, bytes, sizeof bytes);
            return n < 0 ? 104 : int(n);
        });
        QTRY_VERIFY(QFileInfo::exists(QFile::decodeName(path)));
        CInstanceClient client(2000);
        QVERIFY(!client.FindExistingInstance(QFile::decodeName(path)));
        QCOMPARE(ExitCodeOf(pid), 0);
    }
};

QTEST_GUILESS_MAIN(tst_CInstanceChannel)
#include "tst_cinstancechannel.moc"
