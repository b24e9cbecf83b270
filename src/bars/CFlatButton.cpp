#include "CFlatButton.h"

#include <QBitmap>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace {
constexpr int kImageCount = 4;
}

CFlatButton::CFlatButton(QWidget *parent)
    : QAbstractButton(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
}

bool CFlatButton::LoadBitmaps(const QPixmap &strip, bool bResize)
{
    // Sizes are in device-independent pixels so a strip drawn for a high-density
    // screen still makes a button of the intended size.
    const QSizeF size = strip.deviceIndependentSize();
    const int nWidth = int(size.width()) / kImageCount;
    if (nWidth <= 0 || size.height() <= 0)
        return false;

    QPixmap source = strip;
    if (!source.hasAlphaChannel())
        source.setMask(source.createMaskFromColor(QColor(255, 0, 255), Qt::MaskInColor));

    const qreal dpr = source.devicePixelRatio();
    const int nDeviceWidth = source.width() / kImageCount;
    m_images.clear();
    for (int i = 0; i < kImageCount; ++i) {
        QPixmap image = source.copy(i * nDeviceWidth, 0, nDeviceWidth, source.height());
        image.setDevicePixelRatio(dpr);
        m_images.append(image);
    }
    m_nImageWidth = nWidth;
    m_nImageHeight = int(size.height());

    if (bResize)
        resize(m_nImageWidth, m_nImageHeight);
    updateGeometry();
    update();
    return true;
}

void CFlatButton::SetState(int nState)
{
    if (nState == m_nState)
        return;
    m_nState = nState;
    repaint();
}

QSize CFlatButton::sizeHint() const
{
    return ImageSize();
}

void CFlatButton::paintEvent(QPaintEvent *)
{
    if (!underMouse())
        m_nState = Normal;
    // A disabled widget gets no mouse events, so the state left from then would
    // otherwise outlive the re-enabling.
    if (!isEnabled())
        m_nState = Disabled;
    else if (m_nState == Disabled)
        m_nState = Normal;
    if (m_images.size() != kImageCount)
        return;

    const int x = (width() - m_nImageWidth) / 2;
    const int y = (height() - m_nImageHeight) / 2;
    QPainter painter(this);
    if (m_nState == Disabled) {
        // The strip's own disabled picture is never shown: the normal one is
        // greyed the way the style greys any disabled icon.
        QStyleOption option;
        option.initFrom(this);
        painter.drawPixmap(
            x, y, style()->generatedIconPixmap(QIcon::Disabled, m_images.at(Normal), &option));
    } else {
        painter.drawPixmap(x, y, m_images.at(m_nState));
    }
}

void CFlatButton::enterEvent(QEnterEvent *event)
{
    QAbstractButton::enterEvent(event);
    if (!(event->buttons() & Qt::LeftButton))
        SetState(Hot);
}

void CFlatButton::leaveEvent(QEvent *event)
{
    QAbstractButton::leaveEvent(event);
    if (!isDown())
        SetState(Normal);
}

void CFlatButton::mouseMoveEvent(QMouseEvent *event)
{
    // While the left button is held the picture stays as it was pressed, wherever
    // the mouse goes.
    if (!(event->buttons() & Qt::LeftButton))
        SetState(rect().contains(event->position().toPoint()) ? Hot : Normal);
    QAbstractButton::mouseMoveEvent(event);
}

void CFlatButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        SetState(Pressed);
    QAbstractButton::mousePressEvent(event);
}

void CFlatButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        SetState(rect().contains(event->position().toPoint()) ? Hot : Normal);
    // The base class emits clicked() for a release inside, and only then.
    QAbstractButton::mouseReleaseEvent(event);
}
