#pragma once

#include <QTimer>
#include <QWidget>

// The busy animation at the right end of the first rebar row: a small globe whose
// meridians turn while a page loads. Stopped, it rests on its first frame, which
// is also how it looks before it ever played.
class CAnimation : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kFrameCount = 10;
    static constexpr int kFrameInterval = 100; // milliseconds

    explicit CAnimation(QWidget *parent = nullptr);

    // true starts repeating from the current frame (a running animation goes on);
    // false stops and shows frame 0.
    void Play(bool bPlay);
    bool IsPlaying() const { return m_timer.isActive(); }
    int CurrentFrame() const { return m_nFrame; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void frameChanged(int nFrame);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void SetFrame(int nFrame);
    void OnTimer();

    QTimer m_timer;
    int m_nFrame = 0;
};
