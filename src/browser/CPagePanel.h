#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

// What a window shows instead of its page when there is no page to show (its process
// ended, its site's certificate was refused): a heading, plain text that says why,
// and one button that offers the way on.
class CPagePanel : public QFrame
{
    Q_OBJECT
public:
    CPagePanel(const QString &objectName, const QString &strButton, QWidget *parent);

    void SetTexts(const QString &strHeading, const QString &strText);
    QString Heading() const;
    QString Text() const;
    QPushButton *Button() const { return m_pButton; }

private:
    QLabel *m_pHeading;
    QLabel *m_pText;
    QPushButton *m_pButton;
};
