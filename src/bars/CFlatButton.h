#pragma once

#include <QAbstractButton>
#include <QList>
#include <QPixmap>

// A flat button that is nothing but a picture: one of four images cut from a
// single strip (normal, hot while the mouse is over it, pressed, disabled). It
// draws no frame or focus mark of its own; the images carry their own. A click is
// reported once, through QAbstractButton::clicked().
class CFlatButton : public QAbstractButton
{
    Q_OBJECT
public:
    enum EState { Normal = 0, Hot = 1, Pressed = 2, Disabled = 3 };

    explicit CFlatButton(QWidget *parent = nullptr);

    // Cuts strip into four images of a quarter of its width. Pixels of pure
    // magenta are transparent in a strip without an alpha channel. With bResize the
    // button takes the size of one image, keeping its top-left corner. False for a
    // strip too narrow to cut, keeping the old images.
    bool LoadBitmaps(const QPixmap &strip, bool bResize);

    void SetState(int nState);
    int GetState() const { return m_nState; }
    QSize ImageSize() const { return {m_nImageWidth, m_nImageHeight}; }
    // The picture cut for nState, whatever state the button is in now.
    QPixmap Image(int nState) const { return m_images.value(nState); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int m_nState = Normal;
    QList<QPixmap> m_images;
    int m_nImageWidth = 0;
    int m_nImageHeight = 0;
};
