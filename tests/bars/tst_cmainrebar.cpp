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

// Minimum child widths of the default layout above.
constexpr int kToolBarMin = 30;
constexpr int kAddressMin = 300;

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
    void resizeByGripper_data();
    void resizeByGripper();
    void moveWithinRow();
    void moveToAnotherRow_data();
    void moveToAnotherRow();
    void joinRowOnGripper();
    void doubleClickToggles();
    void fixedSizeBandNotResized();
    void captureAfterMove();
    void splitCursorOverGripper();

private:
    // A shown rebar kReBarWidth pixels wide with stub bars and a real animation.
    void MakeReBar(const QList<CBandRecord> &layout);
    QWidget *Child(int nId) const { return m_reBar->BandChild(nId); }
    QPoint Grip(int nId) const { return m_reBar->GripperRect(nId).center(); }
    // The rows as shown, "1007 1008 1009 / 1010".
    QString RowsText() const;
    // Presses the band's gripper, moves the pointer through the points, releases.
    void Drag(int nId, const QList<QPoint> &path);
    void DoubleClick(int nId) { QTest::mouseDClick(m_reBar.get(), Qt::LeftButton, {}, Grip(nId)); }

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

QString tst_CMainReBar::RowsText() const
{
    QStringList rows;
    for (const QList<int> &row : m_reBar->BandRows()) {
        QStringList ids;
        for (int nId : row)
            ids << QString::number(nId);
        rows << ids.join(u' ');
    }
    return rows.join(u" / "_qs);
}

void tst_CMainReBar::Drag(int nId, const QList<QPoint> &path)
{
    QTest::mousePress(m_reBar.get(), Qt::LeftButton, {}, Grip(nId));
    for (const QPoint &to : path)
        QTest::mouseMove(m_reBar.get(), to);
    QTest::mouseRelease(m_reBar.get(), Qt::LeftButton, {}, path.last());
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

void tst_CMainReBar::resizeByGripper_data()
{
    // The address bar's gripper dragged by the distance that brings one of the two
    // bands to its minimum width, plus "beyond".
    QTest::addColumn<int>("direction");
    QTest::addColumn<int>("beyond");
    QTest::newRow("left, partway") << -1 << -100;
    QTest::newRow("left, toolbar at its minimum") << -1 << 0;
    QTest::newRow("left, one pixel past") << -1 << 1;
    QTest::newRow("right, partway") << 1 << -100;
    QTest::newRow("right, address bar at its minimum") << 1 << 0;
    QTest::newRow("right, one pixel past") << 1 << 1;
}

void tst_CMainReBar::resizeByGripper()
{
    QFETCH(int, direction);
    QFETCH(int, beyond);
    MakeReBar(Defaults());
    const QRect tools = Child(1007)->geometry(), address = Child(1008)->geometry();
    const QRect animation = Child(1009)->geometry();
    const int nLimit = direction < 0 ? tools.width() - kToolBarMin : address.width() - kAddressMin;
    const int nMoved = direction * std::min(nLimit, nLimit + beyond);

    const QPoint grip = Grip(1008);
    Drag(1008, {grip + QPoint(direction * (nLimit + beyond), 0)});

    // The left edge moved; the toolbar gave or took the width, nothing else changed.
    QCOMPARE(Child(1007)->width(), tools.width() + nMoved);
    QCOMPARE(Child(1008)->geometry().left(), address.left() + nMoved);
    QCOMPARE(Child(1008)->geometry().right(), address.right());
    QCOMPARE(Child(1009)->geometry(), animation);
    QCOMPARE(RowsText(), u"1007 1008 1009 / 1010"_qs);
    const QList<CBandRecord> captured = m_reBar->CaptureLayout();
    QCOMPARE(int(captured.at(0).cx), 10 + Child(1007)->width());
    QCOMPARE(int(captured.at(1).cx), 10 + Child(1008)->width());
}

void tst_CMainReBar::moveWithinRow()
{
    MakeReBar(Defaults());
    // Short of the toolbar's gripper the address bar only resizes; on it, the two
    // change places.
    Drag(1008, {QPoint(10, Grip(1008).y())});
    QCOMPARE(RowsText(), u"1007 1008 1009 / 1010"_qs);
    Drag(1008, {QPoint(9, Grip(1008).y())});
    QCOMPARE(RowsText(), u"1008 1007 1009 / 1010"_qs);
    QCOMPARE(m_reBar->GripperRect(1008).left(), 0);
    QVERIFY(Child(1007)->geometry().left() > Child(1008)->geometry().right());

    // The first band dragged on to the left end and beyond stays first.
    Drag(1008, {QPoint(2, Grip(1008).y()), QPoint(-40, Grip(1008).y())});
    QCOMPARE(RowsText(), u"1008 1007 1009 / 1010"_qs);
    QCOMPARE(m_reBar->GripperRect(1008).left(), 0);

    // Dragged right, it goes behind the toolbar once the pointer passes its gripper.
    const QRect toolsGrip = m_reBar->GripperRect(1007);
    Drag(1008, {QPoint(toolsGrip.right(), toolsGrip.center().y())});
    QCOMPARE(RowsText(), u"1008 1007 1009 / 1010"_qs);
    Drag(1008, {QPoint(toolsGrip.right() + 1, toolsGrip.center().y())});
    QCOMPARE(RowsText(), u"1007 1008 1009 / 1010"_qs);
    const QList<CBandRecord> captured = m_reBar->CaptureLayout();
    for (const CBandRecord &r : captured.first(3))
        QCOMPARE(r.fStyle & RBBS_BREAK, 0u);
}

void tst_CMainReBar::moveToAnotherRow_data()
{
    // The pointer goes to y = dy below the top of shown row "row", of the rebar for
    // row -1, or of what is below the rebar for row 9. A row reaches down to the
    // next one, the line between them included.
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("dy");
    QTest::addColumn<int>("x");
    QTest::addColumn<QString>("rows");
    QTest::newRow("Windows Bar to the end of the first row")
        << 1010 << 0 << 10 << kReBarWidth - 20 << u"1007 1008 1009 1010"_qs;
    QTest::newRow("Windows Bar before the address bar")
        << 1010 << 0 << 10 << 200 << u"1007 1010 1008 1009"_qs;
    QTest::newRow("Windows Bar first in the first row")
        << 1010 << 0 << 10 << 0 << u"1010 1007 1008 1009"_qs;
    QTest::newRow("Windows Bar to the line above its row")
        << 1010 << 1 << -1 << 200 << u"1007 1010 1008 1009"_qs;
    QTest::newRow("Windows Bar to the top of its row")
        << 1010 << 1 << 0 << 200 << u"1007 1008 1009 / 1010"_qs;
    QTest::newRow("Windows Bar just above the rebar")
        << 1010 << -1 << -1 << 100 << u"1010 / 1007 1008 1009"_qs;
    QTest::newRow("Windows Bar on the rebar's top line")
        << 1010 << -1 << 0 << 100 << u"1007 1010 1008 1009"_qs;
    QTest::newRow("Windows Bar below, alone there already")
        << 1010 << 9 << 4 << 100 << u"1007 1008 1009 / 1010"_qs;
    QTest::newRow("address bar just below the rebar")
        << 1008 << 9 << 0 << 100 << u"1007 1009 / 1010 / 1008"_qs;
    QTest::newRow("address bar on the rebar's bottom line")
        << 1008 << 9 << -1 << 100 << u"1007 1009 / 1010 1008"_qs;
    QTest::newRow("toolbar into the second row")
        << 1007 << 1 << 10 << 500 << u"1008 1009 / 1010 1007"_qs;
    QTest::newRow("toolbar above the first row, from its middle")
        << 1007 << -1 << -4 << 0 << u"1007 / 1008 1009 / 1010"_qs;
}

void tst_CMainReBar::moveToAnotherRow()
{
    QFETCH(int, id);
    QFETCH(int, row);
    QFETCH(int, dy);
    QFETCH(int, x);
    QFETCH(QString, rows);
    MakeReBar(Defaults());
    const QList<QList<int>> before = m_reBar->BandRows();
    int y = dy;
    if (row >= before.size())
        y += m_reBar->height();
    else if (row >= 0)
        y += m_reBar->GripperRect(before.at(row).first()).top();
    Drag(id, {QPoint(x, y)});
    QCOMPARE(RowsText(), rows);

    // The rows are laid out anew: each band in its row's height band, no overlaps.
    const QList<QList<int>> after = m_reBar->BandRows();
    int nBottom = -1;
    for (const QList<int> &shownRow : after) {
        int nRight = -1;
        for (int nId : shownRow) {
            const QRect rect = Child(nId)->geometry();
            QVERIFY(rect.top() > nBottom);
            QVERIFY(rect.left() > nRight);
            nRight = rect.right();
        }
        QCOMPARE(nRight, kReBarWidth - 1);
        for (int nId : shownRow)
            nBottom = std::max(nBottom, Child(nId)->geometry().bottom());
    }
}

void tst_CMainReBar::joinRowOnGripper()
{
    // Let go on a band's gripper, a band that joins the row goes before it and
    // comes at its own width; the band whose gripper it was keeps its width too.
    MakeReBar(Defaults());
    const int nTools = Child(1007)->width();
    const QRect addressGrip = m_reBar->GripperRect(1008);
    Drag(1010, {QPoint(addressGrip.right(), addressGrip.center().y())});
    QCOMPARE(RowsText(), u"1007 1010 1008 1009"_qs);
    QCOMPARE(Child(1010)->width(), 10); // its stored width; alone in its row it was wider
    QCOMPARE(Child(1007)->width(), nTools);
}

void tst_CMainReBar::doubleClickToggles()
{
    MakeReBar(Defaults());
    const int nRight = Child(1008)->geometry().right();
    const int nBoth = Child(1007)->width() + Child(1008)->width();

    // The address bar to its minimum, the toolbar to its left taking the width.
    DoubleClick(1008);
    QCOMPARE(Child(1008)->width(), kAddressMin);
    QCOMPARE(Child(1007)->width(), nBoth - kAddressMin);
    // And back to its full width, the toolbar giving all it can.
    DoubleClick(1008);
    QCOMPARE(Child(1007)->width(), kToolBarMin);
    QCOMPARE(Child(1008)->width(), nBoth - kToolBarMin);
    QCOMPARE(Child(1008)->geometry().right(), nRight);

    // The first band of a row grows and shrinks at its right end.
    DoubleClick(1007);
    QCOMPARE(Child(1007)->width(), nBoth - kAddressMin);
    QCOMPARE(Child(1008)->width(), kAddressMin);
    DoubleClick(1007);
    QCOMPARE(Child(1007)->width(), kToolBarMin);
    QCOMPARE(Child(1008)->geometry().right(), nRight);
    QCOMPARE(int(m_reBar->CaptureLayout().at(0).cx), 10 + kToolBarMin);

    // A band alone in its row has nowhere to go.
    const QRect windows = Child(1010)->geometry();
    DoubleClick(1010);
    QCOMPARE(Child(1010)->geometry(), windows);
}

void tst_CMainReBar::fixedSizeBandNotResized()
{
    MakeReBar(Defaults());
    // The animation between the address bar and the Windows Bar: the address bar
    // gives and takes, the animation shifts along at its size.
    Drag(1010, {QPoint(kReBarWidth - 20, Grip(1007).y())});
    QCOMPARE(RowsText(), u"1007 1008 1009 1010"_qs);
    const QRect animation = Child(1009)->geometry();
    const int nAddress = Child(1008)->width();
    Drag(1010, {Grip(1010) - QPoint(50, 0)});
    QCOMPARE(Child(1008)->width(), nAddress - 50);
    QCOMPARE(Child(1009)->geometry(), animation.translated(-50, 0));
    DoubleClick(1010);
    QCOMPARE(Child(1010)->width(), 10);
    DoubleClick(1010);
    QCOMPARE(Child(1008)->width(), kAddressMin);
    QCOMPARE(Child(1009)->size(), animation.size());

    // A fixed-size band with a gripper moves but keeps its width: neither a drag nor
    // a double-click on its gripper changes it.
    QList<CBandRecord> layout = Defaults();
    layout[1].fStyle |= RBBS_FIXEDSIZE;
    MakeReBar(layout);
    const QRect tools = Child(1007)->geometry(), address = Child(1008)->geometry();
    Drag(1008, {Grip(1008) - QPoint(100, 0)});
    QCOMPARE(Child(1007)->geometry(), tools);
    QCOMPARE(Child(1008)->geometry(), address);
    DoubleClick(1008);
    QCOMPARE(Child(1008)->geometry(), address);
    Drag(1008, {QPoint(0, Grip(1008).y())});
    QCOMPARE(RowsText(), u"1008 1007 1009 / 1010"_qs);
    QCOMPARE(Child(1008)->size(), address.size());
}

void tst_CMainReBar::captureAfterMove()
{
    MakeReBar(Defaults());
    Drag(1010, {QPoint(200, Grip(1007).y()), QPoint(150, Grip(1007).y())});
    QCOMPARE(RowsText(), u"1007 1010 1008 1009"_qs);
    QList<int> order;
    QHash<int, QRect> shown;
    const QList<CBandRecord> captured = m_reBar->CaptureLayout();
    for (const CBandRecord &r : captured) {
        order << int(r.wID);
        shown.insert(int(r.wID), Child(int(r.wID))->geometry());
        QCOMPARE(r.fStyle & RBBS_BREAK, 0u);
    }
    QCOMPARE(order, (QList<int> {1007, 1010, 1008, 1009}));

    // Stored and read back at the next start, the same layout comes back.
    QList<CBandRecord> stored = CBandRecord::FromBytes(CBandRecord::ToBytes(captured), Defaults());
    CBandRecord::ApplyForcedValues(stored);
    MakeReBar(stored);
    QCOMPARE(RowsText(), u"1007 1010 1008 1009"_qs);
    for (auto it = shown.cbegin(); it != shown.cend(); ++it)
        QCOMPARE(Child(it.key())->geometry(), it.value());

    // A hidden band keeps its own row; the rows are broken where they start.
    m_reBar->ShowBand(1010, false);
    Drag(1008, {QPoint(100, m_reBar->height() + 4)});
    QCOMPARE(RowsText(), u"1007 1009 / 1008"_qs);
    QList<quint32> breaks;
    for (const CBandRecord &r : m_reBar->CaptureLayout())
        breaks << (r.fStyle & RBBS_BREAK);
    QCOMPARE(breaks, (QList<quint32> {0, 0, 0, RBBS_BREAK}));
}

void tst_CMainReBar::splitCursorOverGripper()
{
    MakeReBar(Defaults());
    QTest::mouseMove(m_reBar.get(), Grip(1008));
    QTRY_COMPARE(m_reBar->cursor().shape(), Qt::SplitHCursor);
    // The animation's band has no gripper.
    QTest::mouseMove(m_reBar.get(), QPoint(Child(1009)->geometry().left() - 1, Grip(1008).y()));
    QTRY_COMPARE(m_reBar->cursor().shape(), Qt::ArrowCursor);
}

QTEST_MAIN(tst_CMainReBar)
#include "tst_cmainrebar.moc"
