#include "CPagePanel.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CPagePanel::CPagePanel(const QString &objectName, const QString &strButton, QWidget *parent)
    : QFrame(parent)
    , m_pHeading(new QLabel(this))
    , m_pText(new QLabel(this))
    , m_pButton(new QPushButton(strButton, this))
{
    setObjectName(objectName);
    // Like a page: black on white whatever the desktop's colours.
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral("CPagePanel { background: white; } QLabel { color: black; }"));
    QFont font = m_pHeading->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.4);
    m_pHeading->setFont(font);
    m_pHeading->setTextFormat(Qt::PlainText);
    m_pHeading->setWordWrap(true);
    m_pText->setTextFormat(Qt::PlainText);
    m_pText->setWordWrap(true);
    m_pText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(12);
    layout->addWidget(m_pHeading);
    layout->addWidget(m_pText);
    layout->addWidget(m_pButton, 0, Qt::AlignLeft);
    layout->addStretch(1);
    hide();
}

void CPagePanel::SetTexts(const QString &strHeading, const QString &strText)
{
    m_pHeading->setText(strHeading);
    m_pText->setText(strText);
}

QString CPagePanel::Heading() const
{
    return m_pHeading->text();
}

QString CPagePanel::Text() const
{
    return m_pText->text();
}
