#include "CAnimation.h"
#include "CBandRecord.h"
#include "CMainReBar.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QtEndian>

#include <memory>

namespace {

constexpr int kReBarWidth = 1000;

// A band child with a fixed preferred size, standing in for a real bar.
class CStubBar : public QWidget
{
public:
    explicit CStubBar(QSize hint)
        : m_hint(hint)
    { }
    QSize sizeHint() const override { return m_hint; }

private:
    QSize m_hint;
};

QList<CBandRecord> Defaults()
{
    return CBandRecord::DefaultLayout(30, 26, 12);
}

// The default records with the Windows Bar first.
QList<CBandRecord> Reordered()
{
    QList<CBandRecord> records = Defaults();
    records.move(3, 0);
    return records;
}

} // namespace

class tst_CMainReBar : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void roundTrip();
    void fromBytes_data();
    void fromBytes();
    void forcedValues();
    void defaultLayout();
    void hugeStoredWidths();
    void stoppedAnimationShowsFirstFrame();

private:
    // A shown rebar kReBarWidth pixels wide with stub bars and a real animation.
    void MakeReBar(const QList<CBandRecord> &layout);
    QWidget *Child(int nId) const { return m_reBar->BandChild(nId); }

    std::unique_ptr<CMainReBar> m_reBar;
};

void tst_CMainReBar::init()
{
    // The offscreen platform reports window-system calls it cannot carry out.
    QTest::failOnWarning(QRegularExpression(u"^(?!This plugin does not support )"_qs));
}

void tst_CMainReBar::MakeReBar(const QList<CBandRecord> &layout)
{
    m_reBar = std::make_unique<CMainReBar>();
    m_reBar->SetBandChild(1007, new CStubBar(QSize(360, 28)));
    m_reBar->SetBandChild(1008, new CStubBar(QSize(300, 24)));
    m_reBar->SetBandChild(1009, new CAnimation);
    m_reBar->SetBandChild(1010, new CStubBar(QSize(200, 23)));
    m_reBar->ApplyLayout(layout);
    m_reBar->resize(kReBarWidth, m_reBar->sizeHint().height());
    m_reBar->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_reBar.get()));
}

void tst_CMainReBar::roundTrip()
{
    // Four records in a changed order come back as written, with the id and the
    // visible flag where values of earlier versions hold them.
    QList<CBandRecord> stored = Reordered();
    stored[1].visible = 0;
    stored[1].cx = 777;
    const QByteArray value = CBandRecord::ToBytes(stored);
    QCOMPARE(value.size(), 320);
    QCOMPARE(qFromLittleEndian<quint32>(value.constData() + 52), 1010u);
    QCOMPARE(qFromLittleEndian<quint32>(value.constData() + 32), 1u);
    QCOMPARE(qFromLittleEndian<quint32>(value.constData() + 80 + 32), 0u);
    QCOMPARE(qFromLittleEndian<quint32>(value.constData() + 80 + 44), 777u);
    QCOMPARE(CBandRecord::FromBytes(value, Defaults()), stored);
}

void tst_CMainReBar::fromBytes_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("reordered"); // else the whole default layout

    const QByteArray full = CBandRecord::ToBytes(Reordered());
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("garbage") << QByteArray(320, '\x5a') << false;
    // Two whole records and half of the third: the missing bands take their defaults.
    QTest::newRow("short") << full.left(200) << true;
    QTest::newRow("long") << full + QByteArray(80, '\x01') << true;
    QList<CBandRecord> records = Reordered();
    records[2].wID = 1010;
    QTest::newRow("same band twice") << CBandRecord::ToBytes(records) << false;
    records = Reordered();
    records[1].cbSize = 76;
    QTest::newRow("wrong record size") << CBandRecord::ToBytes(records) << true;
    records = Reordered();
    records[0].wID = 59392;
    QTest::newRow("unknown band id") << CBandRecord::ToBytes(records) << true;
}

void tst_CMainReBar::fromBytes()
{
    QFETCH(QByteArray, value);
    QFETCH(bool, reordered);
    QCOMPARE(CBandRecord::FromBytes(value, Defaults()), reordered ? Reordered() : Defaults());
}

void tst_CMainReBar::forcedValues()
{
    QList<CBandRecord> records = Defaults();
    for (CBandRecord &r : records) {
        r.fMask = RBBIM_ID | RBBIM_SIZE;
        r.fStyle = RBBS_BREAK;
        r.cxMinChild = 5;
    }
    CBandRecord::ApplyForcedValues(records);

    // A stored mask without the style and size bits must not undo the forcing.
    QCOMPARE(records[1].cxMinChild, 5u);
    QCOMPARE(records[2].fStyle, quint32(RBBS_FIXEDSIZE | RBBS_CHILDEDGE | RBBS_FIXEDBMP));
    QCOMPARE(records[3].cxMinChild, 100u);
    QVERIFY(records[3].fMask & RBBIM_CHILDSIZE);
    MakeReBar(records);
    QCOMPARE(Child(1009)->size(), QSize(32, 16));
    QVERIFY(Child(1010)->width() >= 100);
}

void tst_CMainReBar::defaultLayout()
{
    MakeReBar(Defaults());
    const QRect tools = Child(1007)->geometry(), address = Child(1008)->geometry();
    const QRect animation = Child(1009)->geometry(), windows = Child(1010)->geometry();
    // Row one: toolbar, address bar, animation, side by side, the animation at the
    // right end and the address bar taking what is left. Row two: the Windows Bar
    // alone, across the whole width.
    QVERIFY(tools.right() < address.left() && address.right() < animation.left());
    QCOMPARE(animation.right(), kReBarWidth - 1);
    QVERIFY(address.width() > 400);
    QVERIFY(tools.bottom() < windows.top() && animation.bottom() < windows.top());
    QVERIFY(windows.left() <= 12);
    QCOMPARE(windows.right(), kReBarWidth - 1);
    QCOMPARE(windows.height(), 23);

    // The Windows Bar's band grows with a second row of tabs.
    const int nBefore = m_reBar->sizeHint().height();
    m_reBar->SetBandMinHeight(1010, 48);
    QCOMPARE(m_reBar->sizeHint().height(), nBefore + 25);
    m_reBar->resize(kReBarWidth, m_reBar->sizeHint().height());
    QCOMPARE(Child(1010)->height(), 48);

    // The frame's own toolbar toggle hides the toolbar itself, not the band.
    Child(1007)->hide();
    QVERIFY(Child(1008)->geometry().left() <= 12);
    QCOMPARE(m_reBar->CaptureLayout().at(0).visible, 0u);
    Child(1007)->show();
    QVERIFY(Child(1008)->geometry().left() > Child(1007)->geometry().right());

    // A right click on the rebar itself asks the frame for its menu.
    QSignalSpy spy(m_reBar.get(), &CMainReBar::contextMenuRequested);
    QTest::mouseClick(m_reBar.get(), Qt::RightButton, {}, QPoint(4, 10));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toPoint(), m_reBar->mapToGlobal(QPoint(4, 10)));
}

void tst_CMainReBar::hugeStoredWidths()
{
    // Bands shrink from the right towards their minimum widths until the row fits;
    // the fixed animation keeps its size and place.
    QList<CBandRecord> layout = Defaults();
    layout[0].cx = 0xFFFFFFF0;
    layout[1].cx = 0x7FFFFFFF;
    MakeReBar(layout);
    QCOMPARE(Child(1008)->width(), 300);
    QCOMPARE(Child(1009)->geometry(), QRect(kReBarWidth - 32, 6, 32, 16));
    QVERIFY(Child(1007)->geometry().right() < Child(1008)->geometry().left());
}

void tst_CMainReBar::stoppedAnimationShowsFirstFrame()
{
    CAnimation animation;
    animation.resize(animation.sizeHint());
    const QImage firstFrame = animation.grab().toImage();
    QSignalSpy frames(&animation, &CAnimation::frameChanged);
    animation.Play(true);
    QVERIFY(frames.wait(2000));
    QVERIFY(animation.grab().toImage() != firstFrame);
    animation.Play(true); // already playing: goes on, no restart
    QVERIFY(animation.CurrentFrame() != 0);

    animation.Play(false);
    QVERIFY(!animation.IsPlaying());
    QCOMPARE(animation.CurrentFrame(), 0);
    QCOMPARE(animation.grab().toImage(), firstFrame);
}

QTEST_MAIN(tst_CMainReBar)
#include "tst_cmainrebar.moc"
