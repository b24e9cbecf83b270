#include "CHyperLink.h"

#include "CDesktopApps.h"
#include "CErrorReport.h"
#include "CStringIds.h"
#include "CStringTable.h"

#include <QMouseEvent>
#include <QUrl>

CHyperLink::CHyperLink(QWidget *parent)
    : QLabel(parent)
{
    setCursor(Qt::PointingHandCursor);
    setTextFormat(Qt::PlainText);
    // A tooltip for the link shows while its dialog is not the active window too.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    ApplyLook();
}

void CHyperLink::AttachLink(const QString &text, const QString &target)
{
    m_strText = text;
    m_strLink = target.isEmpty() ? text : target;
    setText(m_strText);
    ApplyLook();
}

void CHyperLink::ApplyLook()
{
    QFont underlined = font();
    if (!underlined.underline()) {
        underlined.setUnderline(true);
        setFont(underlined);
    }
    QPalette pal = palette();
    const QColor blue(0, 0, 255);
    if (pal.color(QPalette::WindowText) != blue) {
        pal.setColor(QPalette::WindowText, blue);
        setPalette(pal);
    }
    // Exactly as wide as the text: a click beside it is not on the link.
    setFixedWidth(fontMetrics().horizontalAdvance(m_strText));
}

void CHyperLink::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
        ApplyLook();
}

void CHyperLink::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        OnClicked();
}

bool CHyperLink::OnClicked()
{
    bool bStarted = false;
    const QUrl url(m_strLink);
    if (!m_strLink.isEmpty() && url.isValid() && !url.scheme().isEmpty()) {
        const QString id = DesktopApps::DefaultApplicationFor(QStringLiteral("x-scheme-handler/")
                                                              + url.scheme().toLower());
        const auto entry = id.isEmpty() ? std::nullopt : DesktopApps::FindDesktopEntry(id);
        bStarted
            = entry && DesktopApps::Launch(*entry, {url}) == DesktopApps::ELaunchResult::Started;
    }
    if (!bStarted && !m_strLink.isEmpty())
        ShowErrorText(LoadStringWith(IDS_CANNOT_OPEN_LINK, QStringLiteral("link"), m_strLink),
                      window());
    if (QWidget *pWindow = window())
        pWindow->activateWindow();
    emit clicked();
    return bStarted;
}
