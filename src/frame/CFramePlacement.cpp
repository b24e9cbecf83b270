#include "CFramePlacement.h"

#include <limits>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QtEndian>

#include <array>
#include <cstring>

namespace {
std::array<qint32 *, 11> Fields(CFramePlacement &p)
{
    return {&p.length, &p.flags, &p.showCmd, &p.minX,  &p.minY,  &p.maxX,
            &p.maxY,   &p.left,  &p.top,     &p.right, &p.bottom};
}

bool OnSomeScreen(const QRect &rect)
{
    const auto screens = QGuiApplication::screens();
    for (const QScreen *screen : screens) {
        if (screen->availableGeometry().intersects(rect))
            return true;
    }
    return false;
}
} // namespace

CFramePlacement CFramePlacement::FromBytes(const QByteArray &data)
{
    unsigned char raw[kSize] = {};
    std::memcpy(raw, data.constData(), std::min<qsizetype>(data.size(), kSize));
    CFramePlacement p;
    int i = 0;
    for (qint32 *field : Fields(p))
        *field = qFromLittleEndian<qint32>(raw + 4 * i++);
    return p;
}

QByteArray CFramePlacement::ToBytes() const
{
    QByteArray out(kSize, '\0');
    CFramePlacement copy = *this;
    int i = 0;
    for (qint32 *field : Fields(copy))
        qToLittleEndian<qint32>(*field, out.data() + 4 * i++);
    return out;
}

QRect CFramePlacement::NormalRect() const
{
    // A damaged record may hold any numbers. Sizes are worked out wide, and one that
    // is not a positive int gives no rectangle, so no coordinate leaves int range.
    const qint64 width = qint64(right) - left;
    const qint64 height = qint64(bottom) - top;
    constexpr qint64 kMax = std::numeric_limits<int>::max();
    if (width <= 0 || height <= 0 || width > kMax || height > kMax)
        return {};
    return QRect(left, top, int(width), int(height));
}

void CFramePlacement::SetNormalRect(const QRect &rect)
{
    left = rect.left();
    top = rect.top();
    right = rect.left() + rect.width();
    bottom = rect.top() + rect.height();
}

CFramePlacement CFramePlacement::Capture(const QWidget *pFrame)
{
    CFramePlacement p;
    if (pFrame->isMaximized())
        p.showCmd = Maximized;
    else if (pFrame->isMinimized())
        p.showCmd = Minimized;
    else
        p.showCmd = Normal;
    const QRect normal
        = pFrame->normalGeometry().isValid() ? pFrame->normalGeometry() : pFrame->geometry();
    p.SetNormalRect(normal);
    return p;
}

void CFramePlacement::Apply(QWidget *pFrame) const
{
    const QRect rect = NormalRect();
    const bool bUsable = rect.width() > 0 && rect.height() > 0 && rect.width() < 100000
        && rect.height() < 100000 && OnSomeScreen(rect);
    if (showCmd != Maximized && bUsable)
        pFrame->setGeometry(rect);
    // Only the maximized state is taken over: minimized comes back normal, and a
    // hidden or unknown state would leave the user without a window.
    if (showCmd == Maximized)
        pFrame->showMaximized();
    else
        pFrame->showNormal();
}
