#include "CFullScreenWindow.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

CFullScreenWindow::CFullScreenWindow(QWebEngineView *pView)
    : QWidget(nullptr)
    , m_pView(pView)
    , m_pOldParent(pView->parentWidget())
{
    setObjectName(QStringLiteral("FullScreenWindow"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    if (m_pOldParent) {
        m_pOldLayout = qobject_cast<QBoxLayout *>(m_pOldParent->layout());
        if (m_pOldLayout) {
            m_nOldIndex = m_pOldLayout->indexOf(pView);
            m_nOldStretch = m_nOldIndex >= 0 ? m_pOldLayout->stretch(m_nOldIndex) : 0;
        }
    }
    const QWidget *focus = QApplication::focusWidget();
    m_bHadFocus = focus && (focus == pView || pView->isAncestorOf(focus));

    // The page's own keys come first; Escape is never one a page may keep.
    auto *exit = new QAction(this);
    exit->setShortcut(Qt::Key_Escape);
    exit->setShortcutContext(Qt::WindowShortcut);
    connect(exit, &QAction::triggered, this, [this] {
        if (m_pView)
            m_pView->triggerPageAction(QWebEnginePage::ExitFullScreen);
    });
    addAction(exit);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pView);
    setWindowTitle(pView->title());
    showFullScreen();
    // The keys come here, Escape first of all, whether or not a window manager agrees.
    activateWindow();
    pView->setFocus(Qt::OtherFocusReason);
}

CFullScreenWindow::~CFullScreenWindow()
{
    if (!m_pView)
        return;
    // Back into its place, or at least out of this window before it goes.
    if (m_pOldLayout && m_nOldIndex >= 0)
        m_pOldLayout->insertWidget(m_nOldIndex, m_pView, m_nOldStretch);
    else
        m_pView->setParent(m_pOldParent);
    // Shown now rather than when the layout gets round to it, so it can take the focus.
    m_pView->show();
    if (m_pOldParent)
        m_pOldParent->window()->activateWindow();
    if (m_bHadFocus)
        m_pView->setFocus(Qt::OtherFocusReason);
}
