#include "CAnimation.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

namespace {

constexpr int kWidth = 32;
constexpr int kHeight = 16;
// Meridians stand this many degrees apart; one turn of the cycle moves them by
// exactly one gap, so the last frame leads seamlessly into the first.
constexpr double kMeridianGap = 45.0;

double Radians(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

// A globe of radius r around c, its meridians turned by phase degrees.
void DrawGlobe(QPainter &p, QPointF c, double r, double phase)
{
    p.setRenderHint(QPainter::Antialiasing);

    QRadialGradient sea(c + QPointF(-r * 0.35, -r * 0.4), r * 1.4);
    sea.setColorAt(0.0, QColor(0xa8, 0xd8, 0xff));
    sea.setColorAt(0.55, QColor(0x2e, 0x7d, 0xd6));
    sea.setColorAt(1.0, QColor(0x12, 0x3f, 0x8c));
    p.setPen(Qt::NoPen);
    p.setBrush(sea);
    p.drawEllipse(c, r, r);

    QPainterPath grid;
    for (double lat : {-40.0, 0.0, 40.0}) {
        const double y = c.y() - r * std::sin(Radians(lat));
        const double half = r * std::cos(Radians(lat));
        grid.moveTo(c.x() - half, y);
        grid.lineTo(c.x() + half, y);
    }
    // Only meridians on the near side (longitude within +-90 degrees) are drawn;
    // each is half an ellipse whose width follows the sine of its longitude.
    for (double lon = phase - 2 * kMeridianGap; lon < 90.0; lon += kMeridianGap) {
        if (lon <= -90.0)
            continue;
        const double sx = std::sin(Radians(lon));
        for (int step = 0; step <= 12; ++step) {
            const double lat = Radians(-90.0 + step * 15.0);
            const QPointF pt(c.x() + r * sx * std::cos(lat), c.y() - r * std::sin(lat));
            if (step == 0)
                grid.moveTo(pt);
            else
                grid.lineTo(pt);
        }
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 150), 0.8));
    p.drawPath(grid);

    p.setPen(QPen(QColor(0x0d, 0x2c, 0x63), 1.0));
    p.drawEllipse(c, r, r);
}

} // namespace

CAnimation::CAnimation(QWidget *parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_timer.setInterval(kFrameInterval);
    connect(&m_timer, &QTimer::timeout, this, &CAnimation::OnTimer);
}

void CAnimation::Play(bool bPlay)
{
    if (bPlay) {
        if (!m_timer.isActive())
            m_timer.start();
        return;
    }
    m_timer.stop();
    SetFrame(0);
}

QSize CAnimation::sizeHint() const
{
    return QSize(kWidth, kHeight);
}

void CAnimation::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const double r = kHeight / 2.0 - 1.0;
    const QPointF centre(width() / 2.0, height() / 2.0);
    DrawGlobe(p, centre, r, m_nFrame * kMeridianGap / kFrameCount);
}

void CAnimation::SetFrame(int nFrame)
{
    if (nFrame == m_nFrame)
        return;
    m_nFrame = nFrame;
    update();
    emit frameChanged(m_nFrame);
}

void CAnimation::OnTimer()
{
    SetFrame((m_nFrame + 1) % kFrameCount);
}
