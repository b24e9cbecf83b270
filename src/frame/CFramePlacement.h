#pragma once

#include <QByteArray>
#include <QRect>

class QWidget;

// The main frame's stored placement: a 44-byte record of eleven little-endian
// 32-bit fields, kept in the value MainFramePosition.
struct CFramePlacement
{
    enum EShowState { Hide = 0, Normal = 1, Minimized = 2, Maximized = 3 };
    static constexpr int kSize = 44;

    qint32 length = kSize;
    qint32 flags = 0;
    qint32 showCmd = Normal;
    qint32 minX = 0, minY = 0;
    qint32 maxX = 0, maxY = 0;
    qint32 left = 0, top = 0, right = 0, bottom = 0;

    // At most the first 44 bytes, into a zeroed record: a short value leaves the
    // missing fields zero, a longer one gives only its first 44 bytes.
    static CFramePlacement FromBytes(const QByteArray &data);
    QByteArray ToBytes() const;

    // Empty when the stored corners give no positive size that fits an int.
    QRect NormalRect() const;
    void SetNormalRect(const QRect &rect);

    // The frame's placement as it stands.
    static CFramePlacement Capture(const QWidget *pFrame);
    // Moves and shows the frame as stored: minimized comes back normal, maximized
    // keeps its own geometry. A rectangle that is empty or lies on no screen is not
    // applied, so a broken record can never put the frame out of reach.
    void Apply(QWidget *pFrame) const;
};
