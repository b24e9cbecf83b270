#include "CFindBar.h"

#include "IWebEngine.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QToolButton>

CFindBar::CFindBar(IWebEngine *pEngine, QWidget *parent)
    : QWidget(parent)
    , m_pEngine(pEngine)
    , m_pEdit(new QLineEdit(this))
    , m_pPrevious(new QToolButton(this))
    , m_pNext(new QToolButton(this))
    , m_pMatchCase(new QCheckBox(tr("Match &case"), this))
    , m_pStatus(new QLabel(this))
{
    setObjectName(QStringLiteral("FindBar"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 3, 6, 3);

    auto *label = new QLabel(tr("Find:"), this);
    label->setBuddy(m_pEdit);
    m_pEdit->setObjectName(QStringLiteral("FindText"));
    m_pEdit->setClearButtonEnabled(true);
    m_pEdit->setMinimumWidth(120);
    m_pEdit->setMaximumWidth(320);

    m_pPrevious->setText(tr("&Previous"));
    m_pPrevious->setToolTip(tr("Find the previous match (Shift+Enter)"));
    m_pPrevious->setIcon(QIcon::fromTheme(QStringLiteral("go-up")));
    m_pPrevious->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_pNext->setText(tr("&Next"));
    m_pNext->setToolTip(tr("Find the next match (Enter)"));
    m_pNext->setIcon(QIcon::fromTheme(QStringLiteral("go-down")));
    m_pNext->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    // Clicked, the box leaves the focus in the text, where the user goes on typing.
    m_pMatchCase->setFocusPolicy(Qt::TabFocus);
    m_pStatus->setObjectName(QStringLiteral("FindStatus"));
    m_pStatus->setMinimumWidth(m_pStatus->fontMetrics().horizontalAdvance(tr("Not found")) + 8);

    auto *close = new QToolButton(this);
    close->setObjectName(QStringLiteral("FindClose"));
    close->setAutoRaise(true);
    close->setToolTip(tr("Close the find bar (Esc)"));
    close->setIcon(QIcon::fromTheme(QStringLiteral("window-close")));
    if (close->icon().isNull())
        close->setText(QStringLiteral("\u00d7"));

    layout->addWidget(label);
    layout->addWidget(m_pEdit, 3);
    layout->addWidget(m_pPrevious);
    layout->addWidget(m_pNext);
    layout->addWidget(m_pMatchCase);
    layout->addWidget(m_pStatus);
    layout->addStretch(1);
    layout->addWidget(close);

    connect(m_pEdit, &QLineEdit::textEdited, this, [this] { Find(false); });
    connect(m_pNext, &QToolButton::clicked, this, &CFindBar::FindNext);
    connect(m_pPrevious, &QToolButton::clicked, this, &CFindBar::FindPrevious);
    // A new case rule is a new search, like a new text.
    connect(m_pMatchCase, &QCheckBox::toggled, this, [this] {
        m_pEngine->FindText(QString(), false, false, {});
        Find(false);
    });
    connect(close, &QToolButton::clicked, this, &CFindBar::Close);
    // Escape closes the bar from whichever of its controls has the focus.
    const auto controls = findChildren<QWidget *>();
    for (QWidget *control : controls)
        control->installEventFilter(this);
    hide();
}

void CFindBar::Open()
{
    show();
    m_pEdit->setFocus(Qt::ShortcutFocusReason);
    m_pEdit->selectAll();
}

void CFindBar::Close()
{
    ++m_nRequest;
    m_pEngine->FindText(QString(), false, false, {});
    m_pStatus->clear();
    // The focus goes back before the bar hides: hidden with the focus, the bar would
    // pass it on as the Tab key does, and the page would put it in its first field.
    emit closed();
    hide();
}

void CFindBar::FindNext()
{
    Find(false);
}

void CFindBar::FindPrevious()
{
    Find(true);
}

QString CFindBar::StatusText() const
{
    return m_pStatus->text();
}

void CFindBar::Find(bool bBackward)
{
    const quint64 nRequest = ++m_nRequest;
    const QString text = m_pEdit->text();
    if (text.isEmpty()) {
        m_pEngine->FindText(QString(), false, false, {});
        m_pStatus->clear();
        return;
    }
    // The engine may answer after this bar is gone with its window.
    QPointer<CFindBar> self(this);
    m_pEngine->FindText(text, bBackward, m_pMatchCase->isChecked(),
                        [self, nRequest](int nActive, int nCount) {
                            if (self)
                                self->OnResult(nRequest, nActive, nCount);
                        });
}

void CFindBar::OnResult(quint64 nRequest, int nActive, int nCount)
{
    if (nRequest != m_nRequest)
        return;
    if (nCount <= 0)
        m_pStatus->setText(tr("Not found"));
    else
        m_pStatus->setText(tr("%1 of %2").arg(nActive).arg(nCount));
}

bool CFindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    const bool bEscape = key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier;
    const bool bEnter
        = watched == m_pEdit && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter);
    if (!bEscape && !bEnter)
        return QWidget::eventFilter(watched, event);
    // Escape is also the key of Stop: taking the override keeps it here.
    event->accept();
    if (event->type() == QEvent::KeyPress) {
        if (bEscape)
            Close();
        else
            Find(key->modifiers() & Qt::ShiftModifier);
    }
    return true;
}
