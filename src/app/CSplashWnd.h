#pragma once

#include <QBasicTimer>
#include <QPixmap>
#include <QWidget>

#include <atomic>

// The band near the bottom of the splash picture in which the bar is seen sliding.
namespace SplashBand {
constexpr int kLeft = 17; // first column inside the band
constexpr int kRight = 434; // first column past it
constexpr int kCentreY = 256;
} // namespace SplashBand

// Which columns of a bar w pixels wide, its left edge at x, lie inside the band:
// srcX is the first column of the bar drawn, width how many (none when not above 0).
// The drawn part goes to x + srcX.
struct CSpriteSpan
{
    int srcX = 0;
    int width = 0;
};
CSpriteSpan SpriteSpan(int x, int w);

// The step for the next tick once the bar is at x: turned round when the bar has
// left the band on the side it was moving to.
int NextStep(int x, int w, int nStep);

// The splash screen: a borderless picture centred on the screen with a small bar
// sliding to and fro in its band until the first window's first page has completed.
// A timer on the GUI thread moves the bar and repaints only the few pixels it covers,
// so the start-up work between ticks goes on undisturbed. On the first tick after
// bDone is set the window closes itself and says so with finished().
class CSplashWnd : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kTimerPeriodMs = 10;

    explicit CSplashWnd(const std::atomic<bool> &bDone, QWidget *parent = nullptr);
    ~CSplashWnd() override;

    // Where the bar's top-left corner is, in window pixels.
    QPoint SpritePos() const { return {m_x, m_y}; }
    QSize SpriteSize() const { return m_bmpSprite.size(); }
    const QPixmap &Background() const { return m_bmpBackground; }
    const QPixmap &Sprite() const { return m_bmpSprite; }

    // One tick of the timer: close when done, else move the bar one step.
    void OnTimer();

signals:
    void finished();

protected:
    void paintEvent(QPaintEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    void DrawSprite(QPainter &painter) const;
    QRect SpriteRect() const { return QRect(QPoint(m_x, m_y), m_bmpSprite.size()); }

    const std::atomic<bool> &m_bDone;
    QPixmap m_bmpBackground;
    QPixmap m_bmpSprite;
    int m_x = 0;
    int m_y = 0;
    int m_nStep = 1;
    QBasicTimer m_timer;
    bool m_bFinished = false;
};
