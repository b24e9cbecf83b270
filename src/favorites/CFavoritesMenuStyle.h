#pragma once

#include <QFont>
#include <QIcon>
#include <QProxyStyle>

class QStyleOptionMenuItem;

// The look of the Favorites menu's folder and link items: a 16 by 16 folder or web
// page icon 3 pixels in and 1 down, the name 25 pixels in, vertically centred on
// one line ("&" still marks the mnemonic), on the palette's menu colours or, while
// highlighted, its highlight colours; every item 20 pixels high. An item is as wide
// as a check mark plus its name measured in the address bar's font. Other items of
// the same menus (the fixed commands, "Open All") keep the base style's look.
// Favorites menus also scroll instead of spreading over several columns.
class CFavoritesMenuStyle : public QProxyStyle
{
    Q_OBJECT
public:
    static constexpr int kItemHeight = 20;
    static constexpr int kIconLeft = 3;
    static constexpr int kIconTop = 1;
    static constexpr int kTextLeft = 25;
    static constexpr int kIconSize = 16;

    // Over a fresh copy of the application's style, owned by this one.
    CFavoritesMenuStyle();

    // The font items are measured in (the address bar's).
    void SetMeasureFont(const QFont &font) { m_measureFont = font; }
    QFont MeasureFont() const { return m_measureFont; }

    // An item's size by the rule above, for a text as the menu holds it ("&" included).
    static QSize MeasureItem(const QFontMetrics &metrics, const QString &text, int nCheckMarkWidth);
    // The width of a menu check mark in the base style.
    int CheckMarkWidth() const;

    // Draws one item into option.rect.
    void DrawItem(QPainter *painter, const QStyleOptionMenuItem &option,
                  const QWidget *widget) const;

    // The two icons: the theme's where it has them, else drawn here.
    static const QIcon &FolderIcon();
    static const QIcon &PageIcon();
    // Whether an item shows one of the two icons, so is drawn here.
    static bool IsFavoriteItem(const QStyleOptionMenuItem &option);

    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override;
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override;

private:
    QFont m_measureFont;
};
