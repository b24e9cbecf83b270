#pragma once

#include <QWidget>

class IWebEngine;
class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;

// The bar under a page that finds text in it: the text, Next and Previous, Match
// case, and where the search stands said plainly ("3 of 12", "Not found"). It finds
// as the user types; Enter finds the next match, Shift+Enter the previous one, and
// Escape closes the bar.
class CFindBar : public QWidget
{
    Q_OBJECT
public:
    CFindBar(IWebEngine *pEngine, QWidget *parent = nullptr);

    // Shows the bar with its text selected and the keyboard focus in it.
    void Open();
    // Clears the highlight and hides the bar; closed() hands the focus back first.
    void Close();
    void FindNext();
    void FindPrevious();

    QLineEdit *Edit() const { return m_pEdit; }
    QCheckBox *MatchCase() const { return m_pMatchCase; }
    // "3 of 12", "Not found", or empty while there is nothing to say.
    QString StatusText() const;

signals:
    void closed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Find(bool bBackward);
    void OnResult(quint64 nRequest, int nActive, int nCount);

    IWebEngine *m_pEngine;
    QLineEdit *m_pEdit;
    QToolButton *m_pPrevious;
    QToolButton *m_pNext;
    QCheckBox *m_pMatchCase;
    QLabel *m_pStatus;
    // Results of searches a later one overtook are dropped.
    quint64 m_nRequest = 0;
};
