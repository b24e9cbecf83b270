#pragma once

#include <QLabel>

// A text drawn blue and underlined with a hand cursor that opens its target with the
// program the desktop names for the target's scheme (mailto:, https: ...). The control
// is exactly as wide as its text, so only the text itself is clickable. A target no
// program can open is reported over the link's window, which stays open.
class CHyperLink : public QLabel
{
    Q_OBJECT
public:
    explicit CHyperLink(QWidget *parent = nullptr);

    // Shows text and opens target when clicked; an empty target means the text itself.
    void AttachLink(const QString &text, const QString &target = QString());
    QString Text() const { return m_strText; }
    QString Target() const { return m_strLink; }

    // Opens the target as a click does; returns whether a program was started.
    bool OnClicked();

signals:
    // A click opened, or failed to open, the target.
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void ApplyLook();

    QString m_strText;
    QString m_strLink;
};
