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

QList<quint32> Ids(const QList<CBandRecord> &records)
{
    QList<quint32> ids;
    for (const CBandRecord &r : records)
        ids.append(r.wID);
    return ids;
}

} // namespace

class tst_CMainReBar : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void recordFieldOffsets();
    void fromBytes_data();
    void fromBytes();
    void forcedValues();
    void defaultLayoutRows();
    void hiddenBandComesBackHidden();
    void childHiddenDirectlyFreesItsSpace();
    void windowsBarHeight();
    void hugeStoredWidthStillFits();
    void rightClickAsksForMenu();
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
    QTest::failOnWarning(QRegularExpression(QStringLiteral("^(?!This plugin does not support )")));
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

void tst_CMainReBar::recordFieldOffsets()
{
    CBandRecord r;
    quint32 *fields[]
        = {&r.cbSize,  &r.fMask,      &r.fStyle,     &r.clrFore,    &r.clrBack, &r.lpText,  &r.cch,
           &r.iImage,  &r.visible,    &r.cxMinChild, &r.cyMinChild, &r.cx,      &r.hbmBack, &r.wID,
           &r.cyChild, &r.cyMaxChild, &r.cyIntegral, &r.cxIdeal,    &r.lParam,  &r.cxHeader};
    for (quint32 i = 0; i < 20; ++i)
        *fields[i] = 0xA1B2C300 + i;

    const QByteArray bytes = CBandRecord::ToBytes({r});
    QCOMPARE(bytes.size(), 80);
    for (int i = 0; i < 20; ++i)
        QCOMPARE(qFromLittleEndian<quint32>(bytes.constData() + 4 * i), 0xA1B2C300 + quint32(i));
    QCOMPARE(qFromLittleEndian<quint32>(bytes.constData() + 32), r.visible);
    QCOMPARE(qFromLittleEndian<quint32>(bytes.constData() + 52), r.wID);

    // Four records in a changed order come back as written.
    QList<CBandRecord> stored = Defaults();
    stored.move(3, 0);
    stored[2].visible = 0;
    stored[1].cx = 777;
    const QByteArray value = CBandRecord::ToBytes(stored);
    QCOMPARE(value.size(), CBandRecord::kStoredSize);
    QCOMPARE(CBandRecord::FromBytes(value, Defaults()), stored);
}

void tst_CMainReBar::fromBytes_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QList<quint32>>("ids");
    QTest::addColumn<bool>("isDefault");

    QList<CBandRecord> reordered = Defaults();
    reordered.move(3, 0); // Windows Bar first
    const QByteArray full = CBandRecord::ToBytes(reordered);

    QTest::newRow("empty") << QByteArray() << QList<quint32> {1007, 1008, 1009, 1010} << true;
    QTest::newRow("garbage") << QByteArray(320, '\x5a') << QList<quint32> {1007, 1008, 1009, 1010}
                             << true;
    // Two whole records and half of the third: the missing bands take their defaults.
    QTest::newRow("short") << full.left(200) << QList<quint32> {1010, 1007, 1008, 1009} << false;
    QTest::newRow("long") << full + QByteArray(80, '\x01')
                          << QList<quint32> {1010, 1007, 1008, 1009} << false;

    QList<CBandRecord> twice = reordered;
    twice[2].wID = 1010;
    QTest::newRow("same band twice")
        << CBandRecord::ToBytes(twice) << QList<quint32> {1007, 1008, 1009, 1010} << true;

    QList<CBandRecord> badSize = reordered;
    badSize[1].cbSize = 76;
    QTest::newRow("wrong record size")
        << CBandRecord::ToBytes(badSize) << QList<quint32> {1010, 1007, 1008, 1009} << false;

    QList<CBandRecord> badId = reordered;
    badId[0].wID = 59392;
    QTest::newRow("unknown band id")
        << CBandRecord::ToBytes(badId) << QList<quint32> {1010, 1007, 1008, 1009} << false;
}

void tst_CMainReBar::fromBytes()
{
    QFETCH(QByteArray, value);
    QFETCH(QList<quint32>, ids);
    QFETCH(bool, isDefault);

    const QList<CBandRecord> records = CBandRecord::FromBytes(value, Defaults());
    QCOMPARE(Ids(records), ids);
    if (isDefault)
        QCOMPARE(records, Defaults());
    for (const CBandRecord &r : records) {
        QCOMPARE(r.cbSize, 80u);
        QVERIFY(r.fMask != 0);
    }
}

void tst_CMainReBar::forcedValues()
{
    QList<CBandRecord> records = Defaults();
    for (CBandRecord &r : records) {
        r.fMask = RBBIM_ID | RBBIM_SIZE;
        r.fStyle = RBBS_BREAK;
        r.cxMinChild = 5;
        r.cyMinChild = 5;
    }
    CBandRecord::ApplyForcedValues(records);

    QCOMPARE(records[0].fStyle, quint32(RBBS_BREAK));
    QCOMPARE(records[1].cxMinChild, 5u);
    QCOMPARE(records[2].fStyle, quint32(RBBS_FIXEDSIZE | RBBS_CHILDEDGE | RBBS_FIXEDBMP));
    QCOMPARE(records[2].cxMinChild, 32u);
    QCOMPARE(records[2].cyMinChild, 16u);
    QCOMPARE(records[3].cxMinChild, 100u);
    QCOMPARE(records[3].cyMinChild, 5u);
    // A stored mask without the style and size bits must not undo the forcing.
    QVERIFY(records[2].fMask & RBBIM_STYLE);
    QVERIFY(records[2].fMask & RBBIM_CHILDSIZE);
    QVERIFY(records[3].fMask & RBBIM_CHILDSIZE);

    MakeReBar(records);
    QCOMPARE(Child(1009)->width(), 32);
    QVERIFY(Child(1010)->width() >= 100);
}

void tst_CMainReBar::defaultLayoutRows()
{
    MakeReBar(Defaults());
    const QRect toolBar = Child(1007)->geometry();
    const QRect address = Child(1008)->geometry();
    const QRect animation = Child(1009)->geometry();
    const QRect windowsBar = Child(1010)->geometry();

    // Row one: toolbar, address bar, animation, side by side, the animation at the
    // right end and the address bar taking what is left.
    QVERIFY(toolBar.right() < address.left());
    QVERIFY(address.right() < animation.left());
    QCOMPARE(animation.right(), kReBarWidth - 1);
    QCOMPARE(animation.size(), QSize(32, 16));
    QVERIFY(address.width() > 400);
    QCOMPARE(toolBar.width(), 30 * 12 + 10 - 10); // band width less the gripper
    for (const QRect &r : {toolBar, address, animation})
        QVERIFY(r.bottom() < windowsBar.top());
    QCOMPARE(toolBar.top(), 0);

    // Row two: the Windows Bar alone, across the whole width.
    QCOMPARE(windowsBar.right(), kReBarWidth - 1);
    QVERIFY(windowsBar.left() <= 12);
    QCOMPARE(windowsBar.height(), 23);
    for (int nId : {1007, 1008, 1009, 1010})
        QVERIFY(m_reBar->IsBandVisible(nId));
}

void tst_CMainReBar::hiddenBandComesBackHidden()
{
    MakeReBar(Defaults());
    const int nTwoRows = m_reBar->sizeHint().height();
    m_reBar->ShowBand(1008, false);
    m_reBar->ShowBand(1010, false);
    QVERIFY(!m_reBar->IsBandVisible(1008));
    QVERIFY(m_reBar->sizeHint().height() < nTwoRows);
    // The animation follows the toolbar now.
    QVERIFY(Child(1009)->geometry().left() > Child(1007)->geometry().right());

    const QList<CBandRecord> captured = m_reBar->CaptureLayout();
    QCOMPARE(Ids(captured), (QList<quint32> {1007, 1008, 1009, 1010}));
    QCOMPARE(captured[0].visible, 1u);
    QCOMPARE(captured[1].visible, 0u);
    QCOMPARE(captured[3].visible, 0u);
    QCOMPARE(captured[0].fMask, CBandRecord::kStoredMask);
    QCOMPARE(captured[1].cx, Defaults()[1].cx);

    const QByteArray value = CBandRecord::ToBytes(captured);
    QCOMPARE(qFromLittleEndian<quint32>(value.constData() + 80 + 32), 0u);
    MakeReBar(CBandRecord::FromBytes(value, Defaults()));
    QVERIFY(m_reBar->IsBandVisible(1007));
    QVERIFY(!m_reBar->IsBandVisible(1008));
    QVERIFY(Child(1008)->isHidden());
    QVERIFY(!m_reBar->IsBandVisible(1010));
    QVERIFY(m_reBar->IsBandVisible(1009));

    m_reBar->ShowBand(1010, true);
    QCOMPARE(m_reBar->sizeHint().height(), nTwoRows);
}

void tst_CMainReBar::childHiddenDirectlyFreesItsSpace()
{
    // The frame's own toolbar toggle hides the toolbar itself, not the band.
    MakeReBar(Defaults());
    Child(1007)->hide();
    QVERIFY(!m_reBar->IsBandVisible(1007));
    QVERIFY(Child(1008)->geometry().left() <= 12);
    QCOMPARE(m_reBar->CaptureLayout().at(0).visible, 0u);
    Child(1007)->show();
    QVERIFY(m_reBar->IsBandVisible(1007));
    QVERIFY(Child(1008)->geometry().left() > Child(1007)->geometry().right());
}

void tst_CMainReBar::windowsBarHeight()
{
    MakeReBar(Defaults());
    const int nBefore = m_reBar->sizeHint().height();
    m_reBar->SetBandMinHeight(1010, 2 * 25 - 2);
    QCOMPARE(m_reBar->sizeHint().height(), nBefore + 25);
    m_reBar->resize(kReBarWidth, m_reBar->sizeHint().height());
    QCOMPARE(Child(1010)->height(), 48);
    QCOMPARE(m_reBar->CaptureLayout().at(3).cyMinChild, 48u);
}

void tst_CMainReBar::hugeStoredWidthStillFits()
{
    QList<CBandRecord> layout = Defaults();
    layout[0].cx = 0xFFFFFFF0;
    layout[1].cx = 0x7FFFFFFF;
    MakeReBar(layout);
    // Bands shrink from the right towards their minimum widths until the row fits;
    // the fixed animation keeps its size and place.
    QCOMPARE(Child(1008)->width(), 300);
    QCOMPARE(Child(1009)->geometry(), QRect(kReBarWidth - 32, 6, 32, 16));
    QVERIFY(Child(1007)->width() > 30);
    QVERIFY(Child(1007)->geometry().right() < Child(1008)->geometry().left());
}

void tst_CMainReBar::rightClickAsksForMenu()
{
    MakeReBar(Defaults());
    QSignalSpy spy(m_reBar.get(), &CMainReBar::contextMenuRequested);
    const QPoint gripper(4, 10);
    QTest::mouseClick(m_reBar.get(), Qt::RightButton, {}, gripper);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toPoint(), m_reBar->mapToGlobal(gripper));
    QTest::mouseClick(m_reBar.get(), Qt::LeftButton, {}, gripper);
    QCOMPARE(spy.count(), 1);
}

void tst_CMainReBar::stoppedAnimationShowsFirstFrame()
{
    CAnimation resting;
    resting.resize(resting.sizeHint());
    const QImage firstFrame = resting.grab().toImage();

    CAnimation animation;
    animation.resize(animation.sizeHint());
    QSignalSpy frames(&animation, &CAnimation::frameChanged);
    animation.Play(true);
    QVERIFY(animation.IsPlaying());
    QVERIFY(frames.wait(2000));
    QVERIFY(animation.CurrentFrame() != 0);
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
