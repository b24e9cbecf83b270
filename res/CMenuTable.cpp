#include "CMenuTable.h"

#include "CStringTable.h"

#include <QCoreApplication>
#include <QHash>

#define TR(text) QT_TRANSLATE_NOOP("Quillbrow", text)

namespace {
CMenuDef Item(int nID, const char *text)
{
    return CMenuDef {nID, text, {}, {}};
}

CMenuDef Popup(const char *text, QList<CMenuDef> items, const QString &name = QString())
{
    return CMenuDef {0, text, std::move(items), name};
}

const CMenuDef kSeparator {};
} // namespace

QString CMenuDef::Text() const
{
    return text ? QCoreApplication::translate("Quillbrow", text) : QString();
}

const QList<CMenuDef> &MainMenuBar()
{
    static const QList<CMenuDef> menus = {
        Popup(TR("&File"),
              {Popup(TR("&New"),
                     {Item(32774, TR("&Blank")), Item(32775, TR("&Home")),
                      Item(32773, TR("&Current"))},
                     QStringLiteral("NewMenu")),
               Item(57601, TR("&Open...")), Item(57602, TR("&Close")),
               Popup(TR("Close A&ll"),
                     {Item(32776, TR("&Close All")), Item(32805, TR("Close &All Except Current"))}),
               kSeparator, Item(57604, TR("Save &As...")), kSeparator,
               Item(57605, TR("Page Set&up...")), Item(57609, TR("Print Pre&view...")),
               Item(57607, TR("&Print...")), kSeparator, Item(32777, TR("P&roperties...")),
               Item(32778, TR("&Work Offline")), kSeparator, Item(57665, TR("E&xit"))},
              QStringLiteral("FileMenu")),
        Popup(TR("&Edit"),
              {Item(57635, TR("Cu&t")), Item(57634, TR("&Copy")), Item(57637, TR("&Paste")),
               kSeparator, Item(57642, TR("&Select All")), kSeparator,
               Item(57636, TR("&Find in this page..."))},
              QStringLiteral("EditMenu")),
        Popup(TR("&View"),
              {Popup(TR("&Toobars"),
                     {Item(59392, TR("&Standard Buttons")), Item(32806, TR("&Address Bar")),
                      Item(32814, TR("&Windows Bar")), kSeparator,
                      Item(32813, TR("Customize &Toolbar...")),
                      Item(32818, TR("&Clear Addresses...")), kSeparator,
                      Item(59393, TR("&Status Bar"))},
                     QStringLiteral("ToolbarsMenu")),
               kSeparator, Item(32787, TR("&Refresh")), Item(32788, TR("Refresh &All")), kSeparator,
               Popup(TR("T&ext Size"),
                     {Item(32791, TR("Lar&gest")), Item(32792, TR("&Larger")),
                      Item(32794, TR("&Medium")), Item(32795, TR("&Smaller")),
                      Item(32796, TR("Sm&allest"))},
                     QStringLiteral("TextSizeMenu")),
               Item(32820, TR("A&dd to AutoClose...")), kSeparator,
               Item(32789, TR("&View Source...")), kSeparator, Item(32797, TR("&Full Screen"))},
              QStringLiteral("ViewMenu")),
        Popup(TR("&Go"),
              {Item(32779, TR("&Back")), Item(32780, TR("&Forward")), kSeparator,
               Item(32781, TR("&Stop")), Item(32782, TR("Stop &All")), kSeparator,
               Item(32783, TR("&Home")), Item(32784, TR("S&earch"))},
              QStringLiteral("GoMenu")),
        Popup(TR("F&avorites"),
              {Item(32803, TR("&Add to Favorites...")),
               Item(32804, TR("&Organize your Favorites...")), kSeparator,
               Item(32826, TR("Import &Favorites...")), Item(32827, TR("&Export Favorites..."))},
              QStringLiteral("FavoritesMenu")),
        Popup(TR("&Tools"),
              {Item(32807, TR("&Mail...")), Item(32808, TR("&News...")),
               Item(32809, TR("&Synchronize...")), kSeparator,
               Item(32798, TR("Quillbrow &Options...")), Item(32799, TR("&Internet Options..."))},
              QStringLiteral("ToolsMenu")),
        Popup(TR("&Windows"),
              {Item(57650, TR("&Casade Windows")), Item(57651, TR("Title Windows &Horizontally")),
               Item(57652, TR("Title Window &Vertically")), Item(57649, TR("&Arrange Icons")),
               kSeparator, Item(32829, TR("&Previous")), Item(32830, TR("&Next"))},
              QStringLiteral("WindowsMenu")),
        Popup(TR("&Help"),
              {Item(32800, TR("&Quillbrow Help...")), Item(32828, TR("Quillbrow &Web Site...")),
               kSeparator, Item(57664, TR("&About Quillbrow..."))},
              QStringLiteral("HelpMenu")),
    };
    return menus;
}

const CMenuDef &CaptionPopup()
{
    static const CMenuDef menu = Popup(
        TR("Caption"),
        {Item(32803, TR("&Add to Favorites...")), Item(32820, TR("A&dd to AutoClose...\tF8")),
         kSeparator, Item(32779, TR("&Back\tAlt+Left Arrow")),
         Item(32780, TR("&Forward\tAlt+Right Arrow")), Item(32781, TR("&Stop\tEsc")),
         Item(32787, TR("&Refresh\tF5")), kSeparator, Item(57602, TR("&Close\tCtrl+W")),
         Item(32776, TR("C&lose All")), Item(32805, TR("Close All &Except Current"))},
        QStringLiteral("CaptionMenu"));
    return menu;
}

const CMenuDef &TabPopup()
{
    static const CMenuDef menu
        = Popup(TR("Tab"),
                {Item(32819, TR("&Add to Favorites...")), Item(32825, TR("A&dd to AutoClose...")),
                 Item(32821, TR("&Back")), Item(32822, TR("&Forward")), Item(32823, TR("&Stop")),
                 Item(32824, TR("&Refresh")), Item(32815, TR("&Close")),
                 Item(32776, TR("C&lose All")), Item(32817, TR("Close All &Except This"))},
                QStringLiteral("TabMenu"));
    return menu;
}

QKeySequence CommandKeys(int nID)
{
    static const QHash<int, QKeySequence> keys = {
        {32774, QKeySequence(Qt::CTRL | Qt::Key_N)},
        {57601, QKeySequence(Qt::CTRL | Qt::Key_O)},
        {57602, QKeySequence(Qt::CTRL | Qt::Key_W)},
        {57607, QKeySequence(Qt::CTRL | Qt::Key_P)},
        {57635, QKeySequence(Qt::CTRL | Qt::Key_X)},
        {57634, QKeySequence(Qt::CTRL | Qt::Key_C)},
        {57637, QKeySequence(Qt::CTRL | Qt::Key_V)},
        {57642, QKeySequence(Qt::CTRL | Qt::Key_A)},
        {57636, QKeySequence(Qt::CTRL | Qt::Key_F)},
        {32787, QKeySequence(Qt::Key_F5)},
        {32788, QKeySequence(Qt::SHIFT | Qt::Key_F5)},
        {32820, QKeySequence(Qt::Key_F8)},
        {32797, QKeySequence(Qt::Key_F11)},
        {32779, QKeySequence(Qt::ALT | Qt::Key_Left)},
        {32780, QKeySequence(Qt::ALT | Qt::Key_Right)},
        {32781, QKeySequence(Qt::Key_Escape)},
        {32782, QKeySequence(Qt::SHIFT | Qt::Key_Escape)},
        {32783, QKeySequence(Qt::ALT | Qt::Key_Home)},
        {32829, QKeySequence(Qt::Key_F9)},
        {32830, QKeySequence(Qt::Key_F10)},
    };
    return keys.value(nID);
}

QString CommandPrompt(int nID)
{
    return LoadString(nID).section(QLatin1Char('\n'), 0, 0);
}

QString CommandToolTip(int nID)
{
    const QString text = LoadString(nID);
    const qsizetype nBreak = text.indexOf(QLatin1Char('\n'));
    return nBreak > 0 ? text.mid(nBreak + 1) : QString();
}

QList<int> MenuCommandIds()
{
    QList<int> ids;
    std::function<void(const QList<CMenuDef> &)> walk = [&](const QList<CMenuDef> &items) {
        for (const CMenuDef &item : items) {
            if (item.IsPopup())
                walk(item.items);
            else if (item.nID && !ids.contains(item.nID))
                ids.append(item.nID);
        }
    };
    walk(MainMenuBar());
    walk(CaptionPopup().items);
    walk(TabPopup().items);
    return ids;
}
