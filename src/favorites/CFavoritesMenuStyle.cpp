#include "CFavoritesMenuStyle.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>

namespace {
QStyle *CopyOfApplicationStyle()
{
    return QStyleFactory::create(QApplication::style()->name());
}

// A yellow folder with a tab, on a 16-unit grid.
void DrawFolder(QPainter &p)
{
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(6.0, 3.5);
    back.lineTo(7.5, 5.0);
    back.lineTo(14.5, 5.0);
    back.lineTo(14.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.setPen(QPen(QColor(0x8a, 0x6d, 0x10), 1.0));
    p.setBrush(QColor(0xe8, 0xbd, 0x3a));
    p.drawPath(back);
    QPainterPath front;
    front.moveTo(1.5, 13.5);
    front.lineTo(3.0, 7.0);
    front.lineTo(15.5, 7.0);
    front.lineTo(14.5, 13.5);
    front.closeSubpath();
    p.setBrush(QColor(0xfb, 0xdc, 0x6e));
    p.drawPath(front);
}

// A white page with a folded corner and a blue globe on it.
void DrawPage(QPainter &p)
{
    QPainterPath page;
    page.moveTo(2.5, 0.5);
    page.lineTo(10.0, 0.5);
    page.lineTo(13.5, 4.0);
    page.lineTo(13.5, 15.5);
    page.lineTo(2.5, 15.5);
    page.closeSubpath();
    p.setPen(QPen(QColor(0x60, 0x60, 0x60), 1.0));
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.drawPolyline(QPolygonF({{10.0, 0.5}, {10.0, 4.0}, {13.5, 4.0}}));
    const QRectF globe(5.5, 6.5, 8.0, 8.0);
    p.setPen(QPen(QColor(0x1c, 0x5f, 0xb0), 1.0));
    p.setBrush(QColor(0x6f, 0xb1, 0xf0));
    p.drawEllipse(globe);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(globe.adjusted(2.2, 0, -2.2, 0));
    p.drawLine(QPointF(globe.left(), globe.center().y()),
               QPointF(globe.right(), globe.center().y()));
}

QIcon DrawnIcon(void (*draw)(QPainter &))
{
    QIcon icon;
    for (const int nScale : {1, 2}) {
        QPixmap pixmap(CFavoritesMenuStyle::kIconSize * nScale,
                       CFavoritesMenuStyle::kIconSize * nScale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(nScale, nScale);
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
} // namespace

CFavoritesMenuStyle::CFavoritesMenuStyle()
    : QProxyStyle(CopyOfApplicationStyle())
{ }

const QIcon &CFavoritesMenuStyle::FolderIcon()
{
    static const QIcon icon = QIcon::fromTheme(QStringLiteral("folder"), DrawnIcon(DrawFolder));
    return icon;
}

const QIcon &CFavoritesMenuStyle::PageIcon()
{
    static const QIcon icon = QIcon::fromTheme(QStringLiteral("text-html"), DrawnIcon(DrawPage));
    return icon;
}

bool CFavoritesMenuStyle::IsFavoriteItem(const QStyleOptionMenuItem &option)
{
    const qint64 key = option.icon.cacheKey();
    return (option.menuItemType == QStyleOptionMenuItem::Normal
            || option.menuItemType == QStyleOptionMenuItem::SubMenu)
        && (key == FolderIcon().cacheKey() || key == PageIcon().cacheKey());
}

QSize CFavoritesMenuStyle::MeasureItem(const QFontMetrics &metrics, const QString &text,
                                       int nCheckMarkWidth)
{
    // The text as drawn: a mnemonic's '&' takes no room ("&&" is one '&').
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'&' && i + 1 < text.size())
            ++i;
        shown += text.at(i);
    }
    return QSize(nCheckMarkWidth + metrics.horizontalAdvance(shown), kItemHeight);
}

int CFavoritesMenuStyle::CheckMarkWidth() const
{
    return baseStyle()->pixelMetric(PM_IndicatorWidth);
}

QSize CFavoritesMenuStyle::sizeFromContents(ContentsType type, const QStyleOption *option,
                                            const QSize &size, const QWidget *widget) const
{
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (type != CT_MenuItem || !item || !IsFavoriteItem(*item))
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    const int nCheck = CheckMarkWidth();
    QSize result = MeasureItem(QFontMetrics(m_measureFont), item->text, nCheck);
    // A menu gives the items it does not draw itself a check mark's width more than
    // they ask for, which the name drawn 25 pixels in needs; a folder also needs
    // room for its arrow.
    result.rwidth() += nCheck;
    if (item->menuItemType == QStyleOptionMenuItem::SubMenu)
        result.rwidth() += kIconSize;
    return result;
}

void CFavoritesMenuStyle::DrawItem(QPainter *painter, const QStyleOptionMenuItem &option,
                                   const QWidget *widget) const
{
    const bool bSelected = option.state & State_Selected;
    const QColor background
        = option.palette.color(bSelected ? QPalette::Highlight : QPalette::Window);
    const QColor text
        = option.palette.color(bSelected ? QPalette::HighlightedText : QPalette::WindowText);
    const QRect rect = option.rect;
    painter->save();
    painter->fillRect(rect, background);
    if (!option.text.isEmpty()) {
        const QRect iconRect(rect.left() + kIconLeft, rect.top() + kIconTop, kIconSize, kIconSize);
        option.icon.paint(painter, iconRect, Qt::AlignCenter, QIcon::Normal);
        int nFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextExpandTabs;
        nFlags |= proxy()->styleHint(SH_UnderlineShortcut, &option, widget) ? Qt::TextShowMnemonic
                                                                            : Qt::TextHideMnemonic;
        painter->setPen(text);
        painter->setFont(option.font);
        painter->drawText(rect.adjusted(kTextLeft, 0, 0, 0), nFlags, option.text);
    }
    if (option.menuItemType == QStyleOptionMenuItem::SubMenu) {
        QStyleOption arrow = option;
        arrow.rect = QRect(rect.right() - kIconSize + 1, rect.top(), kIconSize, rect.height());
        arrow.palette.setColor(QPalette::ButtonText, text);
        arrow.palette.setColor(QPalette::WindowText, text);
        arrow.palette.setColor(QPalette::Text, text);
        baseStyle()->drawPrimitive(PE_IndicatorArrowRight, &arrow, painter, widget);
    }
    painter->restore();
}

void CFavoritesMenuStyle::drawControl(ControlElement element, const QStyleOption *option,
                                      QPainter *painter, const QWidget *widget) const
{
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (element == CE_MenuItem && item && IsFavoriteItem(*item)) {
        DrawItem(painter, *item, widget);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

int CFavoritesMenuStyle::styleHint(StyleHint hint, const QStyleOption *option,
                                   const QWidget *widget, QStyleHintReturn *returnData) const
{
    if (hint == SH_Menu_Scrollable)
        return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}
