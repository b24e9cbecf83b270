#include "CConfirmDlg.h"

#include "CStringIds.h"
#include "CStringTable.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QList>
#include <QPushButton>
#include <QStyle>

namespace {

struct SPendingAnswer
{
    int nAnswer;
    bool bTicked;
};

QList<SPendingAnswer> &PendingAnswers()
{
    static QList<SPendingAnswer> answers;
    return answers;
}

QString &LastTextStore()
{
    static QString text;
    return text;
}

QString &LastCaptionStore()
{
    static QString caption;
    return caption;
}

// The layout is kept in dialog units, so it scales with the dialog's font the way
// a resource template does. The horizontal base is the average width of the Latin
// letters, rounded as the classic dialog manager rounds it; the vertical base is
// the line height.
class CDialogUnits
{
public:
    explicit CDialogUnits(const QFont &font)
    {
        const QFontMetrics metrics(font);
        const int nLetters = metrics.horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        m_nBaseX = qMax(1, (nLetters / 26 + 1) / 2);
        m_nBaseY = qMax(1, metrics.height());
    }

    int X(int nDlu) const { return MulDiv(nDlu, m_nBaseX, 4); }
    int Y(int nDlu) const { return MulDiv(nDlu, m_nBaseY, 8); }
    // Edges are mapped rather than sizes, so controls that touch in dialog units
    // still touch in pixels.
    QRect Rect(int x, int y, int cx, int cy) const
    {
        const int left = X(x), top = Y(y);
        return QRect(left, top, X(x + cx) - left, Y(y + cy) - top);
    }

private:
    static int MulDiv(int a, int b, int c) { return (a * b + c / 2) / c; }

    int m_nBaseX = 1;
    int m_nBaseY = 1;
};

constexpr int kButtonGap = 10;

QIcon IconForStyle(QStyle *style, unsigned nStyle)
{
    switch (nStyle & Mb::IconMask) {
    case Mb::IconHand:
        return style->standardIcon(QStyle::SP_MessageBoxCritical);
    case Mb::IconQuestion:
        return style->standardIcon(QStyle::SP_MessageBoxQuestion);
    case Mb::IconExclamation:
        return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case Mb::IconAsterisk:
        return style->standardIcon(QStyle::SP_MessageBoxInformation);
    default:
        return QApplication::windowIcon();
    }
}

} // namespace

CConfirmDlg::CConfirmDlg(QWidget *pParent, const QString &strText, unsigned nStyle,
                         bool bShowCheckBox, const QString &strCaption, const QIcon &icon,
                         const QString &strCheckBoxText)
    : QDialog(pParent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_pParent(pParent)
    , m_nBeep(BeepForStyle(nStyle, !icon.isNull()))
    , m_nButtonSet(ButtonSetForStyle(nStyle))
    , m_bShowCheckBox(bShowCheckBox)
    , m_bSecondDefault((nStyle & Mb::DefButton2) != 0)
{
    setWindowModality(Qt::ApplicationModal);

    const CDialogUnits dlu(font());
    setFixedSize(dlu.X(261), dlu.Y(121));

    // Created in tab order; the Cancel button's place is the slot of the rightmost
    // button, the others are moved there when the dialog is laid out.
    const auto makeButton = [this, &dlu](const QString &text, int x, int nResult) {
        auto *pButton = new QPushButton(text, this);
        pButton->setGeometry(dlu.Rect(x, 100, 50, 14));
        pButton->hide();
        connect(pButton, &QPushButton::clicked, this, [this, nResult] { done(nResult); });
        return pButton;
    };
    m_pOk = makeButton(tr("&Ok"), 37, IDOK);
    m_pYes = makeButton(tr("&Yes"), 93, IDYES);
    m_pNo = makeButton(tr("&No"), 149, IDNO);
    m_pCancel = makeButton(tr("&Cancel"), 204, IDCANCEL);

    m_pCheck = new QCheckBox(tr("&Don't show this dialog the next time"), this);
    m_pCheck->setGeometry(dlu.Rect(39, 80, 150, 10));

    m_pIcon = new QLabel(this);
    m_pIcon->setGeometry(dlu.Rect(11, 13, 20, 20));
    m_pIcon->setAlignment(Qt::AlignCenter);

    auto *pLine = new QFrame(this);
    pLine->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    const QRect lineRect = dlu.Rect(7, 92, 247, 1);
    pLine->setGeometry(lineRect.x(), lineRect.y(), lineRect.width(), qMax(2, lineRect.height()));

    m_pText = new QLabel(this);
    m_pText->setGeometry(dlu.Rect(41, 17, 209, 56));
    m_pText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_pText->setWordWrap(true);
    // Messages carry addresses and file names; none of them may be read as markup.
    m_pText->setTextFormat(Qt::PlainText);

    m_pText->setText(strText);
    setWindowTitle(strCaption.isEmpty() ? LoadString(IDS_APP_TITLE) : strCaption);
    if (!strCheckBoxText.isEmpty())
        m_pCheck->setText(strCheckBoxText);

    const QIcon shown = icon.isNull() ? IconForStyle(style(), nStyle) : icon;
    const int nIconSize = qMin(style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this),
                               qMin(m_pIcon->width(), m_pIcon->height()));
    if (!shown.isNull())
        m_pIcon->setPixmap(shown.pixmap(QSize(nIconSize, nIconSize), devicePixelRatio()));

    if (m_pParent) {
        m_pParent->setCursor(Qt::WaitCursor);
        m_bWaitCursor = true;
    }
}

CConfirmDlg::~CConfirmDlg()
{
    // A dialog destroyed without having been run must not leave the parent busy.
    if (m_bWaitCursor && m_pParent)
        m_pParent->unsetCursor();
}

int CConfirmDlg::ButtonSetForStyle(unsigned nStyle)
{
    switch (nStyle & Mb::TypeMask) {
    case Mb::Ok:
        return ButtonOk;
    case Mb::OkCancel:
        return ButtonOk | ButtonCancel;
    case Mb::YesNoCancel:
        return ButtonYes | ButtonNo | ButtonCancel;
    case Mb::YesNo:
        return ButtonYes | ButtonNo;
    default:
        return 0;
    }
}

int CConfirmDlg::BeepForStyle(unsigned nStyle, bool bCallerIcon)
{
    if (bCallerIcon)
        return -1;
    const unsigned nIcon = nStyle & Mb::IconMask;
    switch (nIcon) {
    case Mb::IconHand:
    case Mb::IconQuestion:
    case Mb::IconExclamation:
    case Mb::IconAsterisk:
        return static_cast<int>(nIcon);
    default:
        return -1;
    }
}

void CConfirmDlg::OnInitDialog()
{
    if (m_bInitDone)
        return;
    m_bInitDone = true;

    LastTextStore() = m_pText->text();
    LastCaptionStore() = windowTitle();

    // Right to left from the Cancel button's place, neighbours kButtonGap apart.
    QRect slot = m_pCancel->geometry();
    const struct
    {
        QPushButton *pButton;
        int nFlag;
    } order[]
        = {{m_pCancel, ButtonCancel}, {m_pNo, ButtonNo}, {m_pYes, ButtonYes}, {m_pOk, ButtonOk}};
    for (const auto &entry : order) {
        if (!(m_nButtonSet & entry.nFlag))
            continue;
        if (entry.pButton != m_pCancel)
            entry.pButton->setGeometry(slot);
        entry.pButton->show();
        slot.translate(-(slot.width() + kButtonGap), 0);
    }
    // Yes and OK never appear together; whichever is shown answers Enter, unless the
    // caller wants the safer answer there.
    if (m_bSecondDefault && (m_nButtonSet & ButtonNo))
        m_pNo->setDefault(true);
    else if (m_bSecondDefault && (m_nButtonSet & ButtonCancel))
        m_pCancel->setDefault(true);
    else if (m_nButtonSet & ButtonYes)
        m_pYes->setDefault(true);
    else if (m_nButtonSet & ButtonOk)
        m_pOk->setDefault(true);

    m_pCheck->setVisible(m_bShowCheckBox);

    if (m_nBeep != -1)
        QApplication::beep();

    if (m_bWaitCursor && m_pParent)
        m_pParent->unsetCursor();
    m_bWaitCursor = false;
}

void CConfirmDlg::showEvent(QShowEvent *event)
{
    OnInitDialog();
    QDialog::showEvent(event);
}

int CConfirmDlg::exec()
{
    if (PendingAnswers().isEmpty())
        return QDialog::exec();

    const SPendingAnswer answer = PendingAnswers().takeFirst();
    OnInitDialog();
    if (m_bShowCheckBox)
        m_pCheck->setChecked(answer.bTicked);
    done(answer.nAnswer);
    return answer.nAnswer;
}

void CConfirmDlg::done(int result)
{
    ShowNextTime = m_pCheck->isChecked() ? 0 : 1;
    // reject() and other generic paths end with 0, which callers know as Cancel.
    QDialog::done(result == QDialog::Rejected ? int(IDCANCEL) : result);
}

void CConfirmDlg::keyPressEvent(QKeyEvent *event)
{
    if (!event->matches(QKeySequence::Cancel)) {
        QDialog::keyPressEvent(event);
        return;
    }
    event->accept();
    if (!m_pNo->isHidden())
        done(IDNO);
    else if (!m_pCancel->isHidden())
        done(IDCANCEL);
    // Otherwise an OK-only message: Escape must not dismiss what the user has to read.
}

void CConfirmDlg::closeEvent(QCloseEvent *event)
{
    if (isVisible())
        done(IDCANCEL);
    event->accept();
}

void CConfirmDlg::SetNextAnswer(int nAnswer, bool bCheckBoxTicked)
{
    PendingAnswers().append({nAnswer, bCheckBoxTicked});
}

bool CConfirmDlg::HasPendingAnswers()
{
    return !PendingAnswers().isEmpty();
}

void CConfirmDlg::ClearNextAnswers()
{
    PendingAnswers().clear();
}

QString CConfirmDlg::LastText()
{
    return LastTextStore();
}

QString CConfirmDlg::LastCaption()
{
    return LastCaptionStore();
}
