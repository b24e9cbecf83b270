#include "CSplashWnd.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

CSpriteSpan SpriteSpan(int x, int w)
{
    if (x < SplashBand::kLeft) {
        const int srcX = SplashBand::kLeft - x;
        return {srcX, w - srcX};
    }
    if (x + w > SplashBand::kRight)
        return {0, SplashBand::kRight - x};
    return {0, w};
}

int NextStep(int x, int w, int nStep)
{
    return x >= SplashBand::kRight || x + w < SplashBand::kLeft ? -nStep : nStep;
}

CSplashWnd::CSplashWnd(const std::atomic<bool> &bDone, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , m_bDone(bDone)
    // Drawn from res/images/*.svg when the program is built.
    , m_bmpBackground(QStringLiteral(":/quillbrow/splash.png"))
    , m_bmpSprite(QStringLiteral(":/quillbrow/splash-bar.png"))
{
    setAttribute(Qt::WA_DeleteOnClose);
    // The program must end with its frame even while the first page still loads.
    setAttribute(Qt::WA_QuitOnClose, false);
    // The frame behind takes the keyboard; the splash only shows.
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Every pixel is painted from the picture.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowTitle(QStringLiteral("Quillbrow"));

    m_x = SplashBand::kLeft;
    m_y = SplashBand::kCentreY - m_bmpSprite.height() / 2;
    const QSize size = m_bmpBackground.size();
    setFixedSize(size);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - size.width()) / 2,
             area.y() + (area.height() - size.height()) / 2);
    }
    m_timer.start(kTimerPeriodMs, Qt::PreciseTimer, this);
}

CSplashWnd::~CSplashWnd() = default;

void CSplashWnd::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect area = event->rect();
    painter.drawPixmap(area, m_bmpBackground, area);
    if (area.intersects(SpriteRect()))
        DrawSprite(painter);
}

void CSplashWnd::DrawSprite(QPainter &painter) const
{
    const CSpriteSpan span = SpriteSpan(m_x, m_bmpSprite.width());
    if (span.width > 0)
        painter.drawPixmap(m_x + span.srcX, m_y, m_bmpSprite, span.srcX, 0, span.width,
                           m_bmpSprite.height());
}

void CSplashWnd::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_timer.timerId())
        OnTimer();
    else
        QWidget::timerEvent(event);
}

void CSplashWnd::OnTimer()
{
    if (m_bFinished)
        return;
    if (m_bDone) {
        m_bFinished = true;
        m_timer.stop();
        emit finished();
        close();
        return;
    }
    // The old place shows the picture again, the new one the bar.
    update(SpriteRect());
    m_x += m_nStep;
    m_nStep = NextStep(m_x, m_bmpSprite.width(), m_nStep);
    update(SpriteRect());
}
