#include "CAutoCloseDlg.h"

#include "CConfirmDlg.h"
#include "COptionsAutoClose.h"
#include "CStringIds.h"
#include "CStringTable.h"

#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {
const QChar kDisabledMark = QLatin1Char('!');
const QChar kStartsWithMark = QLatin1Char('*');
} // namespace

CAutoCloseDlg::CAutoCloseDlg(QWidget *pParent, const QString &strEntry, bool bShowDoNotDisplay,
                             COptionsAutoClose *pOwner, int nIndex)
    : QDialog(pParent)
    , m_pOk(new QPushButton(tr("OK"), this))
    , m_pCancel(new QPushButton(tr("Cancel"), this))
    , m_nIndex(nIndex)
    , m_pOwner(pOwner)
{
    setWindowTitle(tr("AutoClose"));
    setObjectName(QStringLiteral("AutoCloseDlg"));

    auto *pIcon = new QLabel(this);
    const int nIconSize = style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, this);
    pIcon->setPixmap(
        QApplication::windowIcon().pixmap(QSize(nIconSize, nIconSize), devicePixelRatio()));
    pIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    auto *pPrompt = new QLabel(tr("Please enter or edit the AutoClose address below:"), this);
    auto *pExplain = new QLabel(
        tr("Quillbrow will close the popup window navigates this address automatically."), this);
    pExplain->setWordWrap(true);

    // Created in tab order: the address first, so the dialog opens with it selected.
    m_pAddress = new QLineEdit(this);
    m_pAddress->setObjectName(QStringLiteral("AddressEdit"));
    m_pAddress->setMinimumWidth(m_pAddress->fontMetrics().averageCharWidth() * 60);
    pPrompt->setBuddy(m_pAddress);
    m_pStartsWith = new QCheckBox(tr("Close all &windows start with this address"), this);
    m_pEnable = new QCheckBox(tr("&Enable this address"), this);
    m_pDoNotDisplay = new QCheckBox(tr("&Do not display this dialog the next time"), this);
    QWidget::setTabOrder(m_pAddress, m_pStartsWith);
    QWidget::setTabOrder(m_pStartsWith, m_pEnable);
    QWidget::setTabOrder(m_pEnable, m_pDoNotDisplay);
    QWidget::setTabOrder(m_pDoNotDisplay, m_pOk);
    QWidget::setTabOrder(m_pOk, m_pCancel);
    m_pOk->setDefault(true);

    auto *pBoxes = new QHBoxLayout;
    pBoxes->addWidget(m_pEnable);
    pBoxes->addStretch();
    pBoxes->addWidget(m_pDoNotDisplay);

    auto *pText = new QVBoxLayout;
    pText->addWidget(pPrompt);
    pText->addWidget(pExplain);
    pText->addWidget(m_pAddress);
    pText->addWidget(m_pStartsWith);
    pText->addLayout(pBoxes);

    auto *pTop = new QHBoxLayout;
    pTop->addWidget(pIcon, 0, Qt::AlignTop);
    pTop->addLayout(pText, 1);

    auto *pLine = new QFrame(this);
    pLine->setFrameStyle(QFrame::HLine | QFrame::Sunken);

    auto *pButtons = new QHBoxLayout;
    pButtons->addStretch();
    pButtons->addWidget(m_pOk);
    pButtons->addWidget(m_pCancel);

    auto *pLayout = new QVBoxLayout(this);
    pLayout->addLayout(pTop);
    pLayout->addWidget(pLine);
    pLayout->addLayout(pButtons);
    pLayout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_pAddress, &QLineEdit::textChanged, this, &CAutoCloseDlg::OnAddressChanged);
    connect(m_pStartsWith, &QCheckBox::clicked, this, &CAutoCloseDlg::OnStartsWith);
    connect(m_pOk, &QPushButton::clicked, this, &CAutoCloseDlg::OnOK);
    connect(m_pCancel, &QPushButton::clicked, this, [this] { done(IDCANCEL); });
    m_pAddress->installEventFilter(this);

    m_pDoNotDisplay->setVisible(bShowDoNotDisplay);
    OnInitDialog(strEntry);
    m_pAddress->setFocus(Qt::OtherFocusReason);
}

void CAutoCloseDlg::OnInitDialog(const QString &strEntry)
{
    if (strEntry.isEmpty()) {
        m_pStartsWith->setChecked(false);
        m_pEnable->setChecked(true);
        m_pStartsWith->setEnabled(false);
        m_pEnable->setEnabled(false);
        m_pOk->setEnabled(false);
        return;
    }
    m_pStartsWith->setChecked(strEntry.endsWith(kStartsWithMark));
    // The "*" stays in the address, where the user sees what the entry matches.
    const bool bDisabled = strEntry.startsWith(kDisabledMark);
    m_pEnable->setChecked(!bDisabled);
    m_pAddress->setText(bDisabled ? strEntry.mid(1) : strEntry);
}

// Also runs for the dialog's own changes to the text, so the boxes always follow it.
void CAutoCloseDlg::OnAddressChanged(const QString &strText)
{
    const bool bHasText = !strText.isEmpty();
    m_pStartsWith->setEnabled(bHasText);
    m_pEnable->setEnabled(bHasText);
    m_pOk->setEnabled(bHasText);
    if (bHasText)
        m_pStartsWith->setChecked(strText.endsWith(kStartsWithMark));
}

void CAutoCloseDlg::OnStartsWith()
{
    QString text = m_pAddress->text();
    if (text.isEmpty())
        return;
    if (m_pStartsWith->isChecked()) {
        if (!text.endsWith(kStartsWithMark))
            text += kStartsWithMark;
    } else {
        while (text.endsWith(kStartsWithMark))
            text.chop(1);
    }
    m_pAddress->setText(text);
}

void CAutoCloseDlg::OnOK()
{
    const QString address = m_pAddress->text();
    if (m_pOwner && m_pOwner->IsDuplicate(address, m_nIndex)) {
        CConfirmDlg dlg(
            this, LoadStringWith(IDS_AUTOCLOSE_DUPLICATE, QStringLiteral("%address%"), address),
            Mb::Ok | Mb::IconExclamation, false);
        dlg.exec();
        m_pAddress->setFocus(Qt::OtherFocusReason);
        return;
    }
    done(IDOK);
}

void CAutoCloseDlg::done(int nResult)
{
    m_strEntry = m_pAddress->text();
    if (!m_pEnable->isChecked())
        m_strEntry.prepend(kDisabledMark);
    ShowNextTime = m_pDoNotDisplay->isChecked() ? 0 : 1;
    // Escape and the title bar's close box end with QDialog::Rejected.
    QDialog::done(nResult == IDOK ? int(IDOK) : int(IDCANCEL));
}

bool CAutoCloseDlg::eventFilter(QObject *watched, QEvent *event)
{
    // Entering the address selects all of it, so typing replaces it.
    if (watched == m_pAddress && event->type() == QEvent::FocusIn && !m_pAddress->text().isEmpty())
        m_pAddress->selectAll();
    return QDialog::eventFilter(watched, event);
}

int CAutoCloseDlg::exec()
{
    CDialogScript<CAutoCloseDlg>::ScheduleNext(this, IDCANCEL);
    return QDialog::exec();
}

void CAutoCloseDlg::SetNextScript(CDialogScript<CAutoCloseDlg>::Script script)
{
    CDialogScript<CAutoCloseDlg>::Add(std::move(script));
}

bool CAutoCloseDlg::HasPendingScripts()
{
    return CDialogScript<CAutoCloseDlg>::HasPending();
}

void CAutoCloseDlg::ClearNextScripts()
{
    CDialogScript<CAutoCloseDlg>::Clear();
}
