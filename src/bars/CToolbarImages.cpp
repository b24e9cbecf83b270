#include "CToolbarImages.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

namespace {

bool g_bPreferTheme = true;

const QColor kOutline(0x3c, 0x3c, 0x3c);
const QColor kFolderLine(0x9a, 0x6a, 0x10);
const QColor kGreenLine(0x1d, 0x6b, 0x1d);

// Theme icons that show what our image shows. Images missing here are drawn by us
// or composed from another image, so their pairs (Stop and Stop All, Refresh and
// Refresh All) keep one look.
const char *ThemeName(int n)
{
    switch (n) {
    case 0:
        return "document-new";
    case 1:
        return "document-open";
    case 2:
        return "folder";
    case 4:
        return "edit-cut";
    case 5:
        return "edit-copy";
    case 6:
        return "edit-paste";
    case 7:
        return "go-previous";
    case 8:
        return "go-next";
    case 9:
        return "process-stop";
    case 12:
        return "view-refresh";
    case 13:
        return "go-home";
    case 19:
        return "document-print";
    case 20:
        return "view-fullscreen";
    default:
        return nullptr;
    }
}

QLinearGradient Vertical(double top, double bottom, const QColor &c0, const QColor &c1)
{
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, c0);
    g.setColorAt(1, c1);
    return g;
}

void DrawPage(QPainter &p, const QRectF &r, double fold, bool bLines)
{
    QPainterPath page;
    page.moveTo(r.topLeft());
    page.lineTo(r.right() - fold, r.top());
    page.lineTo(r.right(), r.top() + fold);
    page.lineTo(r.bottomRight());
    page.lineTo(r.bottomLeft());
    page.closeSubpath();
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Vertical(r.top(), r.bottom(), Qt::white, QColor(0xe8, 0xee, 0xf4)));
    p.drawPath(page);

    QPolygonF corner({QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold),
                      QPointF(r.right(), r.top() + fold)});
    p.setBrush(QColor(0xd4, 0xd8, 0xdc));
    p.drawPolygon(corner);

    if (bLines) {
        p.setPen(QPen(QColor(0x6a, 0x8c, 0xb4), 1));
        for (double y = r.top() + fold + 2.5; y < r.bottom() - 1.5; y += 2.5)
            p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
    }
}

void DrawFolder(QPainter &p)
{
    QPainterPath back;
    back.moveTo(2.5, 17.5);
    back.lineTo(2.5, 4.5);
    back.lineTo(8, 4.5);
    back.lineTo(10, 6.5);
    back.lineTo(19.5, 6.5);
    back.lineTo(19.5, 17.5);
    back.closeSubpath();
    p.setPen(QPen(kFolderLine, 1));
    p.setBrush(QColor(0xe3, 0xac, 0x2c));
    p.drawPath(back);
    p.setBrush(Vertical(8, 17.5, QColor(0xff, 0xe3, 0x86), QColor(0xf2, 0xbb, 0x3a)));
    p.drawRect(QRectF(2.5, 8.5, 17, 9));
}

void DrawOpenFolder(QPainter &p)
{
    QPainterPath back;
    back.moveTo(2.5, 17.5);
    back.lineTo(2.5, 3.5);
    back.lineTo(8, 3.5);
    back.lineTo(10, 5.5);
    back.lineTo(17.5, 5.5);
    back.lineTo(17.5, 9.5);
    p.setPen(QPen(kFolderLine, 1));
    p.setBrush(QColor(0xe3, 0xac, 0x2c));
    p.drawPath(back);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5.5, 6.5, 9, 6));
    const QPolygonF front(
        {QPointF(2.5, 17.5), QPointF(6, 9.5), QPointF(21, 9.5), QPointF(17.5, 17.5)});
    p.setBrush(Vertical(9.5, 17.5, QColor(0xff, 0xe3, 0x86), QColor(0xf2, 0xbb, 0x3a)));
    p.drawPolygon(front);
}

void DrawScissors(QPainter &p)
{
    const auto blade = [&p](QPointF from, QPointF to) {
        p.setPen(QPen(kOutline, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(from, to);
        p.setPen(QPen(QColor(0xd8, 0xdc, 0xe0), 1.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(from, to);
    };
    blade(QPointF(7, 1.5), QPointF(13.6, 13));
    blade(QPointF(15, 1.5), QPointF(8.4, 13));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xc0, 0x28, 0x28), 1.8));
    p.drawEllipse(QPointF(7.2, 15.6), 2.8, 2.8);
    p.drawEllipse(QPointF(14.8, 15.6), 2.8, 2.8);
    p.setPen(Qt::NoPen);
    p.setBrush(kOutline);
    p.drawEllipse(QPointF(11, 8.4), 1.1, 1.1);
}

void DrawClipboard(QPainter &p)
{
    p.setPen(QPen(QColor(0x6b, 0x45, 0x1e), 1));
    p.setBrush(Vertical(3, 19, QColor(0xd2, 0x9a, 0x5c), QColor(0xa8, 0x6c, 0x32)));
    p.drawRoundedRect(QRectF(2.5, 3.5, 13, 15), 1.5, 1.5);
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(0xb8, 0xbc, 0xc0));
    p.drawRoundedRect(QRectF(6, 1.5, 6, 3.5), 1, 1);
    DrawPage(p, QRectF(9.5, 7.5, 10, 11), 3, true);
}

QPolygonF LeftArrow()
{
    return QPolygonF({QPointF(1.5, 10), QPointF(10, 1.5), QPointF(10, 6), QPointF(20.5, 6),
                      QPointF(20.5, 14), QPointF(10, 14), QPointF(10, 18.5)});
}

void DrawArrow(QPainter &p, bool bRight)
{
    QPolygonF arrow = LeftArrow();
    if (bRight) {
        for (QPointF &pt : arrow)
            pt.setX(22 - pt.x());
    }
    p.setPen(QPen(kGreenLine, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Vertical(1.5, 18.5, QColor(0x8e, 0xdc, 0x6c), QColor(0x2c, 0x96, 0x2c)));
    p.drawPolygon(arrow);
}

QPolygonF Octagon(QPointF c, double r)
{
    QPolygonF poly;
    for (int i = 0; i < 8; ++i) {
        const double a = (22.5 + 45.0 * i) * std::numbers::pi / 180.0;
        poly << QPointF(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
    }
    return poly;
}

void DrawStop(QPainter &p)
{
    const QPointF c(11, 10);
    p.setPen(QPen(QColor(0x8a, 0x15, 0x10), 1));
    p.setBrush(Vertical(1, 19, QColor(0xf2, 0x6a, 0x5c), QColor(0xc0, 0x20, 0x18)));
    p.drawPolygon(Octagon(c, 9));
    p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-3.5, -3.5), c + QPointF(3.5, 3.5));
    p.drawLine(c + QPointF(-3.5, 3.5), c + QPointF(3.5, -3.5));
}

// Two arcs chasing each other round a circle, each ending in an arrowhead whose
// tip lies on the circle further on, so the head follows the curve.
void DrawCircularArrows(QPainter &p, QPointF c, double r, double width)
{
    const QColor green(0x34, 0xa8, 0x34);
    const double span = 105.0;
    const double headSpan = 45.0;
    const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
    // Qt's angles run counter-clockwise with y pointing down.
    const auto onCircle = [&](double degrees, double radius) {
        const double a = degrees * std::numbers::pi / 180.0;
        return c + radius * QPointF(std::cos(a), -std::sin(a));
    };
    for (double start : {40.0, 220.0}) {
        QPainterPath arc;
        arc.arcMoveTo(box, start);
        arc.arcTo(box, start, span);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kGreenLine, width + 1.4, Qt::SolidLine, Qt::FlatCap));
        p.drawPath(arc);
        p.setPen(QPen(green, width, Qt::SolidLine, Qt::FlatCap));
        p.drawPath(arc);

        const double end = start + span;
        const double head = width * 1.3;
        const QPolygonF tip(
            {onCircle(end, r + head), onCircle(end, r - head), onCircle(end + headSpan, r)});
        p.setPen(QPen(kGreenLine, 0.8, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.setBrush(green);
        p.drawPolygon(tip);
    }
}

void DrawHouse(QPainter &p)
{
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(0x8a, 0x4a, 0x30));
    p.drawRect(QRectF(13.5, 2.5, 2.5, 5));
    p.setBrush(Vertical(9, 19, QColor(0xfa, 0xee, 0xcc), QColor(0xe0, 0xc8, 0x90)));
    p.drawRect(QRectF(4.5, 9, 13, 9.5));
    p.setBrush(QColor(0x9a, 0x5a, 0x2a));
    p.drawRect(QRectF(8.5, 12, 4, 6.5));
    p.setBrush(QColor(0x8c, 0xc8, 0xf0));
    p.drawRect(QRectF(13.5, 11, 2.5, 2.5));
    p.setPen(QPen(QColor(0x80, 0x1c, 0x10), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Vertical(1, 10, QColor(0xf0, 0x60, 0x40), QColor(0xb8, 0x30, 0x1c)));
    p.drawPolygon(QPolygonF({QPointF(1.5, 10.5), QPointF(11, 1.5), QPointF(20.5, 10.5)}));
}

void DrawGlobe(QPainter &p, QPointF c, double r)
{
    QRadialGradient sea(c + QPointF(-r * 0.35, -r * 0.4), r * 1.4);
    sea.setColorAt(0, QColor(0xa8, 0xd8, 0xff));
    sea.setColorAt(0.55, QColor(0x2e, 0x7d, 0xd6));
    sea.setColorAt(1, QColor(0x12, 0x3f, 0x8c));
    p.setPen(QPen(QColor(0x0d, 0x2c, 0x63), 1));
    p.setBrush(sea);
    p.drawEllipse(c, r, r);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 150), 0.8));
    p.drawEllipse(c, r * 0.45, r);
    p.drawLine(c - QPointF(r, 0), c + QPointF(r, 0));
    p.drawLine(c - QPointF(0, r), c + QPointF(0, r));
}

void DrawSearch(QPainter &p)
{
    DrawGlobe(p, QPointF(8.5, 8.5), 7);
    p.setPen(QPen(QColor(0x40, 0x30, 0x20), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(17.2, 15.7), QPointF(20, 18.5));
    p.setPen(QPen(kOutline, 1.6));
    p.setBrush(QColor(255, 255, 255, 110));
    p.drawEllipse(QPointF(14.5, 13), 4, 4);
}

void DrawStar(QPainter &p, QPointF c, double rOuter, double rInner)
{
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const double a = (-90.0 + 36.0 * i) * std::numbers::pi / 180.0;
        const double r = (i % 2) ? rInner : rOuter;
        star << QPointF(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
    }
    p.setPen(QPen(QColor(0xa8, 0x6a, 0x00), 0.9, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Vertical(c.y() - rOuter, c.y() + rOuter, QColor(0xff, 0xf0, 0x70),
                        QColor(0xf0, 0xa0, 0x00)));
    p.drawPolygon(star);
}

void DrawExclamation(QPainter &p, QPointF c, double r)
{
    p.setPen(QPen(QColor(0x8a, 0x15, 0x10), 0.9));
    p.setBrush(QColor(0xe0, 0x30, 0x24));
    p.drawEllipse(c, r, r);
    p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(0, -r * 0.55), c + QPointF(0, r * 0.15));
    p.drawPoint(c + QPointF(0, r * 0.55));
}

// A capital A as strokes, so it looks the same whatever fonts are installed.
void DrawLetterA(QPainter &p, double left, double top, double width, double bottom, double pen)
{
    QPainterPath a;
    a.moveTo(left, bottom);
    a.lineTo(left + width / 2, top);
    a.lineTo(left + width, bottom);
    const double y = top + (bottom - top) * 0.62;
    const double inset = width * (1 - 0.62) / 2;
    a.moveTo(left + inset, y);
    a.lineTo(left + width - inset, y);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), pen, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.drawPath(a);
}

void DrawTextSize(QPainter &p)
{
    DrawLetterA(p, 2, 1.5, 9, 12.5, 1.9);
    DrawLetterA(p, 13, 5.5, 6.5, 12.5, 1.5);
    const QColor blue(0x20, 0x5c, 0xc0);
    p.setPen(QPen(blue, 1.4));
    p.drawLine(QPointF(5, 16.5), QPointF(17, 16.5));
    p.setPen(Qt::NoPen);
    p.setBrush(blue);
    p.drawPolygon(QPolygonF({QPointF(2, 16.5), QPointF(6, 13.5), QPointF(6, 19.5)}));
    p.drawPolygon(QPolygonF({QPointF(20, 16.5), QPointF(16, 13.5), QPointF(16, 19.5)}));
}

void DrawNews(QPainter &p)
{
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(0xd8, 0xdc, 0xe0));
    p.drawRect(QRectF(5.5, 1.5, 15, 15));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 3.5, 15, 15));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0x30, 0x30));
    p.drawRect(QRectF(3, 5, 12, 2.5));
    p.setBrush(QColor(0x5c, 0x8c, 0xc8));
    p.drawRect(QRectF(3, 9, 5, 5));
    p.setPen(QPen(QColor(0x70, 0x70, 0x70), 1));
    for (double y = 9.5; y < 14; y += 2)
        p.drawLine(QPointF(9.5, y), QPointF(15, y));
    p.drawLine(QPointF(3, 16), QPointF(15, 16));
}

void DrawMail(QPainter &p)
{
    const QColor paper(0xf5, 0xe6, 0xc4);
    p.setPen(QPen(QColor(0x8a, 0x70, 0x40), 1));
    p.setBrush(paper.darker(112));
    p.drawRect(QRectF(1.5, 8.5, 19, 10));
    DrawPage(p, QRectF(5.5, 1.5, 11, 13), 0, true);
    p.setPen(QPen(QColor(0x8a, 0x70, 0x40), 1, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
    p.setBrush(paper);
    p.drawPolygon(QPolygonF({QPointF(1.5, 8.5), QPointF(11, 14), QPointF(20.5, 8.5),
                             QPointF(20.5, 18.5), QPointF(1.5, 18.5)}));
    p.drawLine(QPointF(1.5, 18.5), QPointF(8.5, 13));
    p.drawLine(QPointF(20.5, 18.5), QPointF(13.5, 13));
}

void DrawPrinter(QPainter &p)
{
    DrawPage(p, QRectF(6.5, 1.5, 9, 7), 0, false);
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Vertical(6, 15, QColor(0xe4, 0xe6, 0xe8), QColor(0x98, 0x9c, 0xa0)));
    p.drawRoundedRect(QRectF(1.5, 6.5, 19, 8), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0xc0, 0x30));
    p.drawEllipse(QPointF(17, 9), 1, 1);
    DrawPage(p, QRectF(5.5, 12.5, 11, 6), 0, true);
}

void DrawWindow(QPainter &p)
{
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 2.5, 19, 15));
    p.setBrush(Vertical(2.5, 7, QColor(0x5c, 0x9c, 0xf0), QColor(0x1c, 0x50, 0xb8)));
    p.drawRect(QRectF(1.5, 2.5, 19, 4.5));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(16, 4, 2.5, 1.5));
    p.setBrush(QColor(0xdc, 0xe4, 0xf0));
    p.drawRect(QRectF(3, 8.5, 16, 8));
}

QPixmap Canvas(qreal dpr)
{
    QPixmap pixmap(qRound(CToolbarImages::kWidth * dpr), qRound(CToolbarImages::kHeight * dpr));
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QPixmap ThemePixmap(int n, qreal dpr)
{
    const char *name = ThemeName(n);
    if (!g_bPreferTheme || !name || !QIcon::hasThemeIcon(QLatin1String(name)))
        return {};
    const QPixmap source
        = QIcon::fromTheme(QLatin1String(name))
              .pixmap(QSize(CToolbarImages::kHeight, CToolbarImages::kHeight), dpr);
    if (source.isNull())
        return {};
    QPixmap pixmap = Canvas(dpr);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const qreal side = CToolbarImages::kHeight;
    p.drawPixmap(QRectF((CToolbarImages::kWidth - side) / 2, 0, side, side), source,
                 QRectF(source.rect()));
    return pixmap;
}

QPixmap Render(int n, qreal dpr);

// Draws image n (full colour) into a pixmap at the given ratio.
QPixmap Draw(int n, qreal dpr)
{
    QPixmap pixmap = Canvas(dpr);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    switch (n) {
    case 0:
        DrawPage(p, QRectF(4.5, 1.5, 13, 17), 4, false);
        break;
    case 1:
        DrawOpenFolder(p);
        break;
    case 2:
        DrawFolder(p);
        break;
    case 3:
        p.drawPixmap(QPointF(-1, 0), Render(2, dpr));
        DrawExclamation(p, QPointF(16.5, 14.5), 4.5);
        break;
    case 4:
        DrawScissors(p);
        break;
    case 5:
        DrawPage(p, QRectF(2.5, 1.5, 10, 12), 3, true);
        DrawPage(p, QRectF(8.5, 6.5, 11, 12), 3, true);
        break;
    case 6:
        DrawClipboard(p);
        break;
    case 7:
    case 8:
        DrawArrow(p, n == 8);
        break;
    case 9:
        DrawStop(p);
        break;
    case 10: {
        // Stop All: two stop signs, one behind the other.
        const QPixmap stop = Render(9, dpr);
        p.setOpacity(0.8);
        p.drawPixmap(QRectF(0, 0, 15.5, 14), stop, QRectF(stop.rect()));
        p.setOpacity(1);
        p.drawPixmap(QRectF(6.5, 6, 15.5, 14), stop, QRectF(stop.rect()));
        break;
    }
    case 11: {
        DrawPage(p, QRectF(2.5, 1.5, 12, 17), 4, true);
        const QPixmap arrows = Render(12, dpr);
        p.drawPixmap(QRectF(8, 6.5, 14, 13.5), arrows, QRectF(arrows.rect()));
        break;
    }
    case 12:
        DrawCircularArrows(p, QPointF(11, 10), 6.5, 2.4);
        break;
    case 13:
        DrawHouse(p);
        break;
    case 14:
        DrawSearch(p);
        break;
    case 15:
        p.drawPixmap(QPointF(-1, -1), Render(2, dpr));
        DrawStar(p, QPointF(15.5, 13.5), 6, 2.6);
        break;
    case 16:
        DrawTextSize(p);
        break;
    case 17:
        DrawNews(p);
        break;
    case 18:
        DrawMail(p);
        break;
    case 19:
        DrawPrinter(p);
        break;
    case 20:
        DrawWindow(p);
        break;
    default:
        break;
    }
    return pixmap;
}

QPixmap Render(int n, qreal dpr)
{
    QPixmap themed = ThemePixmap(n, dpr);
    return themed.isNull() ? Draw(n, dpr) : themed;
}

// The normal look: halfway to grey and a quarter of the way to the bar's face
// colour, so it recedes into the bar in light and dark palettes alike and the hot
// image stands out under the mouse.
QPixmap Muted(const QPixmap &hot, const QPalette &palette)
{
    const QRgb face = palette.color(QPalette::Active, QPalette::Button).rgb();
    const auto mute = [](int channel, int grey, int faceChannel) {
        return ((channel + grey) / 2 * 3 + faceChannel) / 4;
    };
    QImage image = hot.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = line[x];
            const int grey = qGray(c);
            line[x] = qRgba(mute(qRed(c), grey, qRed(face)), mute(qGreen(c), grey, qGreen(face)),
                            mute(qBlue(c), grey, qBlue(face)), qAlpha(c));
        }
    }
    QPixmap muted = QPixmap::fromImage(image);
    muted.setDevicePixelRatio(hot.devicePixelRatio());
    return muted;
}

bool InRange(int n)
{
    return n >= 0 && n < CToolbarImages::kCount;
}

} // namespace

QPixmap CToolbarImages::Hot(int nIndex, qreal dpr)
{
    return InRange(nIndex) ? Render(nIndex, dpr) : QPixmap();
}

QPixmap CToolbarImages::Normal(int nIndex, const QPalette &palette, qreal dpr)
{
    return InRange(nIndex) ? Muted(Render(nIndex, dpr), palette) : QPixmap();
}

QIcon CToolbarImages::Icon(int nIndex, const QPalette &palette)
{
    QIcon icon;
    if (!InRange(nIndex))
        return icon;
    for (qreal dpr : {1.0, 2.0}) {
        const QPixmap hot = Render(nIndex, dpr);
        icon.addPixmap(Muted(hot, palette), QIcon::Normal);
        icon.addPixmap(hot, QIcon::Active);
    }
    return icon;
}

void CToolbarImages::SetPreferThemeIcons(bool bPrefer)
{
    g_bPreferTheme = bPrefer;
}

bool CToolbarImages::PreferThemeIcons()
{
    return g_bPreferTheme;
}
