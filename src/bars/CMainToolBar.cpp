#include "CMainToolBar.h"

#include "CCustomizeToolbarDlg.h"
#include "CStringIds.h"
#include "CStringTable.h"
#include "CToolbarImages.h"

#include <QAction>
#include <QDataStream>
#include <QIODevice>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionToolButton>
#include <QToolButton>

#include <utility>

namespace {

// A new palette or style: images drawn for the old one look wrong.
bool IsLookChange(QEvent::Type type)
{
    return type == QEvent::PaletteChange || type == QEvent::StyleChange;
}

struct SButtonInfo
{
    int nId;
    int nImage;
    CMainToolBar::EButtonStyle style;
};

using EStyle = CMainToolBar::EButtonStyle;

constexpr SButtonInfo kDefaultButtons[] = {
    {ID_FILE_NEW_BLANK, 0, EStyle::DropDown}, // New Blank
    {ID_GO_BACK, 7, EStyle::DropDown}, // Back
    {ID_GO_FORWARD, 8, EStyle::DropDown}, // Forward
    {ID_GO_STOP, 9, EStyle::Button}, // Stop
    {ID_VIEW_REFRESH, 11, EStyle::Button}, // Refresh
    {ID_GO_HOME, 13, EStyle::Button}, // Home
    {ID_GO_SEARCH, 14, EStyle::Button}, // Search
    {ID_TOOLBAR_FAVORITES, 15, EStyle::WholeDropDown}, // Favorites
    {ID_TOOLBAR_TEXT_SIZE, 16, EStyle::WholeDropDown}, // Text Size
    {ID_VIEW_FULL_SCREEN, 20, EStyle::Button}, // Full Screen
    {ID_FILE_CLOSE_ALL, 3, EStyle::Button}, // Close All
    {ID_FILE_CLOSE, 2, EStyle::Button}, // Close
};

constexpr SButtonInfo kExtraButtons[] = {
    {ID_FILE_OPEN, 1, EStyle::Button}, // Open
    {ID_EDIT_CUT, 4, EStyle::Button}, // Cut
    {ID_EDIT_COPY, 5, EStyle::Button}, // Copy
    {ID_EDIT_PASTE, 6, EStyle::Button}, // Paste
    {ID_GO_STOP_ALL, 10, EStyle::Button}, // Stop All
    {ID_VIEW_REFRESH_ALL, 12, EStyle::Button}, // Refresh All
    {ID_TOOLS_NEWS, 17, EStyle::Button}, // News
    {ID_TOOLS_MAIL, 18, EStyle::Button}, // Mail
    {ID_FILE_PRINT, 19, EStyle::Button}, // Print
};

const SButtonInfo *FindButton(int nId)
{
    for (const SButtonInfo &b : kDefaultButtons) {
        if (b.nId == nId)
            return &b;
    }
    for (const SButtonInfo &b : kExtraButtons) {
        if (b.nId == nId)
            return &b;
    }
    return nullptr;
}

constexpr quint32 kStateMagic = 0x51544231; // "QTB1"
// More entries than this cannot come from a real toolbar; such a value is junk.
constexpr qint32 kMaxStoredButtons = 256;

// A toolbar button that opens its drop-down menu itself rather than through
// QToolButton's own menu, which would have to exist before the click.
class CToolBarButton : public QToolButton
{
public:
    CToolBarButton(int nId, std::function<void(int)> openMenu, QWidget *parent)
        : QToolButton(parent)
        , m_nId(nId)
        , m_openMenu(std::move(openMenu))
    { }

    int Id() const { return m_nId; }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        m_bMenuPress = false;
        if (event->button() == Qt::LeftButton && OpensMenuAt(event->position().toPoint())) {
            event->accept();
            m_bMenuPress = true;
            m_openMenu(m_nId);
            return;
        }
        QToolButton::mousePressEvent(event);
    }

    // The button is held down while its menu shows; the release of the press that
    // opened the menu must not count as a click on the button.
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (std::exchange(m_bMenuPress, false) && event->button() == Qt::LeftButton) {
            event->accept();
            return;
        }
        QToolButton::mouseReleaseEvent(event);
    }

private:
    bool OpensMenuAt(const QPoint &pos) const
    {
        if (popupMode() == QToolButton::InstantPopup)
            return true;
        if (popupMode() != QToolButton::MenuButtonPopup)
            return false;
        QStyleOptionToolButton option;
        initStyleOption(&option);
        return style()
            ->subControlRect(QStyle::CC_ToolButton, &option, QStyle::SC_ToolButtonMenu, this)
            .contains(pos);
    }

    int m_nId;
    std::function<void(int)> m_openMenu;
    bool m_bMenuPress = false;
};

} // namespace

CMainToolBar::CMainToolBar(ActionFor actionFor, DropDownMenu dropDownMenu, QWidget *parent)
    : QToolBar(parent)
    , m_actionFor(std::move(actionFor))
    , m_dropDownMenu(std::move(dropDownMenu))
{
    setObjectName(QStringLiteral("ToolBar"));
    setIconSize(QSize(CToolbarImages::kWidth, CToolbarImages::kHeight));
    setMovable(false);
    setFloatable(false);
    SetButtons(DefaultButtons());
}

QList<int> CMainToolBar::DefaultButtons()
{
    QList<int> ids;
    for (const SButtonInfo &b : kDefaultButtons)
        ids.append(b.nId);
    return ids;
}

QList<int> CMainToolBar::ExtraButtons()
{
    QList<int> ids;
    for (const SButtonInfo &b : kExtraButtons)
        ids.append(b.nId);
    return ids;
}

int CMainToolBar::ImageOf(int nId)
{
    const SButtonInfo *pInfo = FindButton(nId);
    return pInfo ? pInfo->nImage : -1;
}

CMainToolBar::EButtonStyle CMainToolBar::StyleOf(int nId)
{
    const SButtonInfo *pInfo = FindButton(nId);
    return pInfo ? pInfo->style : EButtonStyle::Button;
}

QString CMainToolBar::ToolTipOf(int nId)
{
    const QString text = LoadString(nId);
    const qsizetype nBreak = text.indexOf(QLatin1Char('\n'));
    return nBreak > 0 ? text.mid(nBreak + 1) : text;
}

QList<int> CMainToolBar::Buttons() const
{
    QList<int> ids;
    for (const QToolButton *pButton : m_buttons)
        ids.append(static_cast<const CToolBarButton *>(pButton)->Id());
    return ids;
}

void CMainToolBar::SetButtons(const QList<int> &ids)
{
    QList<int> wanted;
    for (int nId : ids) {
        if (FindButton(nId) && !wanted.contains(nId))
            wanted.append(nId);
    }
    if (wanted == Buttons())
        return;

    // A widget action deletes its button with it; later, since the call may come from
    // one of these buttons' own signals.
    for (QAction *pAction : std::as_const(m_buttonActions)) {
        removeAction(pAction);
        pAction->deleteLater();
    }
    m_buttonActions.clear();
    m_buttons.clear();
    for (int nId : wanted) {
        QToolButton *pButton = CreateButton(nId);
        m_buttonActions.append(addWidget(pButton));
        m_buttons.append(pButton);
    }
    emit buttonsChanged();
}

void CMainToolBar::ResetToDefault()
{
    SetButtons(DefaultButtons());
}

QByteArray CMainToolBar::SaveState() const
{
    QByteArray state;
    QDataStream out(&state, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    const QList<int> ids = Buttons();
    out << kStateMagic << qint32(ids.size());
    for (int nId : ids)
        out << qint32(nId);
    return state;
}

bool CMainToolBar::RestoreState(const QByteArray &state)
{
    const auto ids = DecodeState(state);
    if (!ids)
        return false;
    SetButtons(*ids);
    return true;
}

std::optional<QList<int>> CMainToolBar::DecodeState(const QByteArray &state)
{
    QDataStream in(state);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 nMagic = 0;
    qint32 nCount = 0;
    in >> nMagic >> nCount;
    if (in.status() != QDataStream::Ok || nMagic != kStateMagic || nCount < 0
        || nCount > kMaxStoredButtons)
        return std::nullopt;
    QList<int> ids;
    for (qint32 i = 0; i < nCount; ++i) {
        qint32 nId = 0;
        in >> nId;
        ids.append(nId);
    }
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return std::nullopt;
    return ids;
}

QToolButton *CMainToolBar::Button(int nId) const
{
    for (QToolButton *pButton : m_buttons) {
        if (static_cast<CToolBarButton *>(pButton)->Id() == nId)
            return pButton;
    }
    return nullptr;
}

QSize CMainToolBar::ButtonSize() const
{
    if (!m_buttons.isEmpty())
        return m_buttons.first()->sizeHint();
    QToolButton plain;
    plain.setAutoRaise(true);
    plain.setIconSize(iconSize());
    plain.setIcon(CToolbarImages::Icon(0, palette()));
    return plain.sizeHint();
}

void CMainToolBar::ReloadImages()
{
    for (QToolButton *pButton : m_buttons)
        pButton->setIcon(
            CToolbarImages::Icon(ImageOf(static_cast<CToolBarButton *>(pButton)->Id()), palette()));
}

void CMainToolBar::Customize()
{
    CCustomizeToolbarDlg dlg(this, window());
    dlg.exec();
}

QMenu *CMainToolBar::ShowDropDown(int nId)
{
    QToolButton *pButton = Button(nId);
    QMenu *pMenu = pButton && m_dropDownMenu ? m_dropDownMenu(nId) : nullptr;
    if (!pMenu)
        return nullptr;
    // The button stays pressed while its menu is open.
    pButton->setDown(true);
    const QPointer<QToolButton> pGuard(pButton);
    connect(
        pMenu, &QMenu::aboutToHide, this,
        [pGuard] {
            if (pGuard)
                pGuard->setDown(false);
        },
        Qt::SingleShotConnection);
    pMenu->popup(pButton->mapToGlobal(pButton->rect().bottomLeft()));
    return pMenu;
}

void CMainToolBar::changeEvent(QEvent *event)
{
    QToolBar::changeEvent(event);
    if (IsLookChange(event->type()))
        ReloadImages();
}

void CMainToolBar::paintEvent(QPaintEvent *)
{
    // Transparent: the rebar's background shows between the flat buttons.
}

QToolButton *CMainToolBar::CreateButton(int nId)
{
    auto *pButton = new CToolBarButton(
        nId, [this](int n) { ShowDropDown(n); }, this);
    pButton->setAutoRaise(true);
    pButton->setFocusPolicy(Qt::NoFocus);
    pButton->setIconSize(iconSize());
    pButton->setIcon(CToolbarImages::Icon(ImageOf(nId), palette()));
    const QString text = LoadString(nId);
    pButton->setToolTip(ToolTipOf(nId));
    pButton->setStatusTip(text.section(QLatin1Char('\n'), 0, 0));
    pButton->setText(ToolTipOf(nId));

    switch (StyleOf(nId)) {
    case EButtonStyle::DropDown:
        pButton->setPopupMode(QToolButton::MenuButtonPopup);
        break;
    case EButtonStyle::WholeDropDown:
        pButton->setPopupMode(QToolButton::InstantPopup);
        break;
    case EButtonStyle::Button:
        break;
    }
    if (StyleOf(nId) != EButtonStyle::Button) {
        // QToolButton draws its arrow only when it has a menu; this empty one is never
        // shown, the button opens the frame's menu itself.
        pButton->setMenu(new QMenu(pButton));
    }

    QAction *pAction = m_actionFor ? m_actionFor(nId) : nullptr;
    if (!pAction)
        return pButton;
    const QPointer<QAction> pGuard(pAction);
    const auto sync = [pButton, pGuard] {
        if (!pGuard)
            return;
        pButton->setEnabled(pGuard->isEnabled());
        pButton->setCheckable(pGuard->isCheckable());
        pButton->setChecked(pGuard->isChecked());
    };
    sync();
    connect(pAction, &QAction::changed, pButton, sync);
    connect(pAction, &QAction::toggled, pButton, sync);
    if (StyleOf(nId) != EButtonStyle::WholeDropDown) {
        connect(pButton, &QToolButton::clicked, pAction, [pAction, sync] {
            pAction->trigger();
            sync();
        });
    }
    return pButton;
}
