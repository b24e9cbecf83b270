#include "CFavoritesMenuStyle.h"

#include <QMenu>
#include <QPainter>
#include <QStyleOptionMenuItem>
#include <QtTest>

// How a Favorites item is measured and drawn.
class tst_CFavoritesMenuStyle : public QObject
{
    Q_OBJECT

    CFavoritesMenuStyle m_style;
    QPalette m_palette;

    QStyleOptionMenuItem Option(const QString &text, bool bFolder, bool bSelected) const
    {
        QStyleOptionMenuItem option;
        option.rect = QRect(0, 0, 160, CFavoritesMenuStyle::kItemHeight);
        option.palette = m_palette;
        option.text = text;
        option.icon = bFolder ? CFavoritesMenuStyle::FolderIcon() : CFavoritesMenuStyle::PageIcon();
        option.menuItemType
            = bFolder ? QStyleOptionMenuItem::SubMenu : QStyleOptionMenuItem::Normal;
        option.state
            = QStyle::State_Enabled | (bSelected ? QStyle::State_Selected : QStyle::State_None);
        option.font = QApplication::font();
        return option;
    }
    QImage Render(const QStyleOptionMenuItem &option) const
    {
        QImage image(option.rect.size(), QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        m_style.drawControl(QStyle::CE_MenuItem, &option, &painter, nullptr);
        return image;
    }
    // Whether some pixel of the area has the colour.
    static bool Shows(const QImage &image, const QRect &area, const QColor &color)
    {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                if (image.pixelColor(x, y) == color)
                    return true;
            }
        }
        return false;
    }
    // Whether every pixel of the area has the colour.
    static bool Only(const QImage &image, const QRect &area, const QColor &color)
    {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                if (image.pixelColor(x, y) != color)
                    return false;
            }
        }
        return true;
    }

private slots:
    void initTestCase()
    {
        m_palette.setColor(QPalette::Window, QColor(0xee, 0xee, 0xee));
        m_palette.setColor(QPalette::WindowText, QColor(0x10, 0x20, 0x30));
        m_palette.setColor(QPalette::Highlight, QColor(0x20, 0x60, 0xc0));
        m_palette.setColor(QPalette::HighlightedText, QColor(0xff, 0xff, 0xf0));
        QFont font = QApplication::font();
        font.setPointSize(font.pointSize() + 4);
        m_style.SetMeasureFont(font);
    }

    void itemSize_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << u"Quillbrow news"_qs << u"Quillbrow news"_qs;
        QTest::newRow("mnemonic") << u"&News"_qs << u"News"_qs;
        QTest::newRow("ampersand") << u"Q&&A"_qs << u"Q&A"_qs;
        QTest::newRow("empty") << QString() << QString();
    }
    void itemSize()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        const QFontMetrics metrics(m_style.MeasureFont());
        QCOMPARE(CFavoritesMenuStyle::MeasureItem(metrics, text, 13),
                 QSize(13 + metrics.horizontalAdvance(shown), 20));
    }

    void onlyFavoriteItemsAreMeasuredByTheRule()
    {
        QStyleOptionMenuItem link = Option(u"Link"_qs, false, false);
        const int nCheck = m_style.CheckMarkWidth();
        const QSize measured = CFavoritesMenuStyle::MeasureItem(QFontMetrics(m_style.MeasureFont()),
                                                                link.text, nCheck);
        // The name starts 25 pixels in; the menu gives back the check mark's width.
        QCOMPARE(m_style.sizeFromContents(QStyle::CT_MenuItem, &link, QSize(), nullptr),
                 measured + QSize(nCheck, 0));
        QStyleOptionMenuItem folder = Option(u"Link"_qs, true, false);
        QCOMPARE(m_style.sizeFromContents(QStyle::CT_MenuItem, &folder, QSize(), nullptr),
                 measured + QSize(nCheck + CFavoritesMenuStyle::kIconSize, 0));

        QStyleOptionMenuItem command = link;
        command.icon = QIcon();
        QVERIFY(m_style.sizeFromContents(QStyle::CT_MenuItem, &command, QSize(40, 10), nullptr)
                != measured + QSize(nCheck, 0));
    }

    void highlightedAndPlainItems()
    {
        const QImage selected = Render(Option(u"Alpha"_qs, false, true));
        const QImage plain = Render(Option(u"Alpha"_qs, false, false));
        const QColor highlight = m_palette.color(QPalette::Highlight);
        const QColor window = m_palette.color(QPalette::Window);
        // Background over the whole item, left of the icon and between icon and name.
        for (const QRect &area : {QRect(0, 0, 3, 20), QRect(19, 0, 6, 20), QRect(0, 17, 25, 3)}) {
            QVERIFY(Only(selected, area, highlight));
            QVERIFY(Only(plain, area, window));
        }
        // The icon at 3,1 and the name from 25 on, in the matching text colour.
        const QRect icon(3, 1, 16, 16);
        QVERIFY(!Only(selected, icon, highlight));
        QVERIFY(!Only(plain, icon, window));
        const QRect name(25, 0, 135, 20);
        QVERIFY(Shows(selected, name, m_palette.color(QPalette::HighlightedText)));
        QVERIFY(!Shows(selected, name, m_palette.color(QPalette::WindowText)));
        QVERIFY(Shows(plain, name, m_palette.color(QPalette::WindowText)));
        QVERIFY(!Shows(plain, name, highlight));
    }

    void folderItemsShowTheirArrow()
    {
        const QImage folder = Render(Option(u"News"_qs, true, false));
        const QImage link = Render(Option(u"News"_qs, false, false));
        const QRect arrow(160 - 16, 0, 16, 20);
        const QColor window = m_palette.color(QPalette::Window);
        QVERIFY(!Only(folder, arrow, window));
        QVERIFY(Only(link, arrow, window));
        QVERIFY(folder.copy(QRect(3, 1, 16, 16)) != link.copy(QRect(3, 1, 16, 16)));
    }

    void otherItemsKeepTheBaseLook()
    {
        QStyleOptionMenuItem command = Option(u"Alpha"_qs, false, true);
        command.icon = QIcon();
        QVERIFY(!CFavoritesMenuStyle::IsFavoriteItem(command));
        QVERIFY(CFavoritesMenuStyle::IsFavoriteItem(Option(u"Alpha"_qs, false, true)));
        QStyleOptionMenuItem separator = Option(QString(), false, false);
        separator.menuItemType = QStyleOptionMenuItem::Separator;
        QVERIFY(!CFavoritesMenuStyle::IsFavoriteItem(separator));
    }

    void menusScroll()
    {
        QMenu menu;
        menu.setStyle(&m_style);
        QVERIFY(menu.style()->styleHint(QStyle::SH_Menu_Scrollable, nullptr, &menu));
    }
};

QTEST_MAIN(tst_CFavoritesMenuStyle)
#include "tst_cfavoritesmenustyle.moc"
