#include "CAddressBar.h"

#include "CAddressCombo.h"
#include "CFlatButton.h"
#include "CTypedUrlList.h"

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

// A new palette or style: images drawn for the old one look wrong.
bool IsLookChange(QEvent::Type type)
{
    return type == QEvent::PaletteChange || type == QEvent::StyleChange;
}

constexpr int kMinBandHeight = 23;
constexpr int kGap = 2;
constexpr int kLabelPadding = 8;
constexpr int kImageWidth = 40;
constexpr int kImageHeight = 22;
constexpr int kPreferredComboWidth = 200;
constexpr int kMinComboWidth = 60;

enum class EFrame { None, Raised, Sunken };

// One 40x22 picture of the navigate button at x = nLeft: a curved arrow and the
// caption "Go", on a raised or sunken frame where asked.
void DrawNavigateImage(QPainter &p, const QPalette &palette, int nLeft, const QColor &arrow,
                       const QColor &caption, EFrame frame)
{
    const QRect box(nLeft, 0, kImageWidth, kImageHeight);
    if (frame != EFrame::None) {
        const QColor topLeft
            = palette.color(frame == EFrame::Raised ? QPalette::Light : QPalette::Dark);
        const QColor bottomRight
            = palette.color(frame == EFrame::Raised ? QPalette::Dark : QPalette::Light);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(topLeft);
        p.drawLine(box.topLeft(), box.topRight());
        p.drawLine(box.topLeft(), box.bottomLeft());
        p.setPen(bottomRight);
        p.drawLine(box.bottomLeft(), box.bottomRight());
        p.drawLine(box.topRight(), box.bottomRight());
    }

    p.save();
    // The pressed picture moves its content down and right, as a pushed button does.
    if (frame == EFrame::Sunken)
        p.translate(1, 1);
    p.translate(nLeft, 0);
    p.setRenderHint(QPainter::Antialiasing);

    QPainterPath shaft;
    shaft.moveTo(7.5, 16.5);
    shaft.cubicTo(7.5, 11.0, 10.0, 8.5, 14.0, 8.5);
    p.setPen(QPen(arrow, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shaft);
    const QPointF head[] = {{13.5, 4.5}, {18.5, 8.5}, {13.5, 12.5}};
    p.setPen(Qt::NoPen);
    p.setBrush(arrow);
    p.drawPolygon(head, 3);

    QFont font = p.font();
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.setPen(caption);
    p.drawText(QRectF(20, 0, kImageWidth - 21, kImageHeight), Qt::AlignCenter,
               QStringLiteral("Go"));
    p.restore();
}

// The four pictures of the navigate button side by side: normal, hot, pressed,
// disabled. Frames and captions take the palette's colours, so a new palette
// means drawing the strip again.
QPixmap DrawNavigateStrip(const QPalette &palette, qreal dpr)
{
    QPixmap strip(QSize(4 * kImageWidth, kImageHeight) * dpr);
    strip.setDevicePixelRatio(dpr);
    strip.fill(Qt::transparent);
    QPainter p(&strip);

    const QColor grey(0x70, 0x70, 0x70);
    const QColor green(0x1f, 0x8a, 0x2c);
    const QColor text = palette.color(QPalette::Active, QPalette::ButtonText);
    const QColor greyed = palette.color(QPalette::Disabled, QPalette::ButtonText);
    DrawNavigateImage(p, palette, 0, grey, text, EFrame::None);
    DrawNavigateImage(p, palette, kImageWidth, green, text, EFrame::Raised);
    DrawNavigateImage(p, palette, 2 * kImageWidth, green, text, EFrame::Sunken);
    DrawNavigateImage(p, palette, 3 * kImageWidth, greyed, greyed, EFrame::None);
    return strip;
}

bool IsEnterKey(int nKey)
{
    return nKey == Qt::Key_Return || nKey == Qt::Key_Enter;
}

} // namespace

CAddressBar::CAddressBar(QWidget *parent)
    : QWidget(parent)
    , m_pLabel(new QLabel(QCoreApplication::translate("Quillbrow", "A&ddress:"), this))
    , m_pCombo(new CAddressCombo(this))
    , m_pButton(new CFlatButton(this))
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    m_pLabel->setAlignment(Qt::AlignCenter);
    m_pLabel->setBuddy(m_pCombo);
    m_pLabel->setFixedWidth(m_pLabel->sizeHint().width() + kLabelPadding);

    // A click puts the focus on the button, as it does on the control the bar was
    // designed around; OnGo acts only with the focus in the bar.
    m_pButton->setFocusPolicy(Qt::ClickFocus);
    m_pButton->resize(kImageWidth, kImageHeight);

    m_pCombo->installEventFilter(this);
    m_pCombo->lineEdit()->installEventFilter(this);
    connect(m_pCombo, &QComboBox::activated, this, &CAddressBar::OnSelChange);
    connect(m_pButton, &CFlatButton::clicked, this, &CAddressBar::OnGo);
}

CAddressBar::~CAddressBar() = default;

void CAddressBar::InitControls()
{
    LoadHistory();
    ReloadButtonImages();
}

void CAddressBar::SetNavigateHandler(NavigateHandler handler)
{
    m_navigate = std::move(handler);
}

void CAddressBar::SetFocusPageHandler(std::function<void()> handler)
{
    m_focusPage = std::move(handler);
}

void CAddressBar::OnGo()
{
    const QWidget *pFocus = QApplication::focusWidget();
    if (!pFocus || (pFocus != this && !isAncestorOf(pFocus)))
        return;
    const QString text = m_pCombo->currentText().trimmed();
    if (text.isEmpty())
        return;
    m_pCombo->SelectAllText();
    if (m_navigate)
        m_navigate(text, true);
}

void CAddressBar::OnSelChange()
{
    const QString text = m_pCombo->MoveToTop(m_pCombo->currentIndex());
    if (text.isEmpty())
        return;
    if (m_navigate)
        m_navigate(text, false);
}

void CAddressBar::FocusAddress()
{
    if (!m_pCombo->isEnabled())
        return;
    m_pCombo->setFocus(Qt::ShortcutFocusReason);
    m_pCombo->lineEdit()->selectAll();
}

void CAddressBar::SetAddressText(const QString &text, bool bForce)
{
    if (text.isEmpty() || (!bForce && HasFocusInCombo()))
        return;
    QLineEdit *pEdit = m_pCombo->lineEdit();
    pEdit->setText(text);
    // An address is read from its start, as the field shows it when not editing.
    pEdit->setCursorPosition(0);
}

bool CAddressBar::HasEditSelection() const
{
    return m_pCombo->HasEditSelection();
}

bool CAddressBar::HasFocusInCombo() const
{
    const QWidget *pFocus = QApplication::focusWidget();
    return pFocus && (pFocus == m_pCombo || m_pCombo->isAncestorOf(pFocus));
}

void CAddressBar::LoadHistory()
{
    m_pCombo->LoadHistory();
}

void CAddressBar::SaveHistory()
{
    m_pCombo->SaveHistory();
}

void CAddressBar::AddTypedAddress(const QString &address)
{
    m_pCombo->AddTypedAddress(address);
}

void CAddressBar::ClearHistory()
{
    ClearTypedUrls();
    m_pCombo->ClearList();
}

void CAddressBar::SetControlsEnabled(bool bActive)
{
    m_pLabel->setEnabled(bActive);
    m_pButton->setEnabled(bActive);
    m_pCombo->setEnabled(bActive);
    if (!bActive)
        m_pCombo->lineEdit()->clear();
}

void CAddressBar::ReloadButtonImages()
{
    m_pButton->LoadBitmaps(DrawNavigateStrip(palette(), devicePixelRatioF()), true);
    Relayout();
}

QSize CAddressBar::sizeHint() const
{
    const int nHeight
        = std::max({kMinBandHeight, m_pCombo->sizeHint().height(), m_pButton->height()});
    return {m_pLabel->width() + kGap + kPreferredComboWidth + kGap + m_pButton->width() + kGap,
            nHeight};
}

QSize CAddressBar::minimumSizeHint() const
{
    return {m_pLabel->width() + kGap + kMinComboWidth + kGap + m_pButton->width() + kGap,
            sizeHint().height()};
}

void CAddressBar::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (IsLookChange(event->type()))
        ReloadButtonImages();
}

bool CAddressBar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *pKey = static_cast<QKeyEvent *>(event);
        if (pKey->key() == Qt::Key_Tab && !(pKey->modifiers() & ~Qt::KeypadModifier))
            return OnTabKey();
        if (IsEnterKey(pKey->key())) {
            OnGo();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CAddressBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Relayout();
}

bool CAddressBar::OnTabKey()
{
    if (!m_focusPage)
        return false;
    m_focusPage();
    // With no page to take the focus, Tab moves on through the bar as usual.
    return !HasFocusInCombo();
}

void CAddressBar::Relayout()
{
    const int cx = width();
    const int cy = height();
    const int w = m_pLabel->width();
    const int b = m_pButton->width();
    const int nComboHeight = m_pCombo->sizeHint().height();

    m_pLabel->setGeometry(0, 0, w, cy);
    m_pButton->move(cx - kGap - b, (cy - m_pButton->height()) / 2);
    const int x = w + kGap;
    m_pCombo->setGeometry(x, (cy - nComboHeight) / 2, std::max(0, cx - kGap - b - kGap - x),
                          nComboHeight);
}
