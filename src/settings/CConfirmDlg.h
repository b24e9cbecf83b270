#pragma once

#include <QDialog>
#include <QIcon>
#include <QPointer>

class QCheckBox;
class QLabel;
class QPushButton;

// Message-box styles and results, with the values callers know them by.
namespace Mb {
enum : unsigned {
    Ok = 0x00,
    OkCancel = 0x01,
    YesNoCancel = 0x03,
    YesNo = 0x04,
    IconHand = 0x10,
    IconStop = IconHand,
    IconQuestion = 0x20,
    IconExclamation = 0x30,
    IconAsterisk = 0x40,
    IconInformation = IconAsterisk,
    // The second button (No, Cancel) answers Enter instead of the first.
    DefButton2 = 0x100,
    TypeMask = 0x0F,
    IconMask = 0xF0,
};
} // namespace Mb

enum EDialogResult { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// The program's own message box: icon, text, a row of buttons chosen by the style,
// and an optional check box with which the user switches a question off. Every
// question and message of the program goes through it.
class CConfirmDlg : public QDialog
{
    Q_OBJECT
public:
    enum { ButtonYes = 1, ButtonNo = 2, ButtonCancel = 4, ButtonOk = 8 };

    // Starts the parent's wait cursor; the dialog's initialisation ends it.
    // An empty caption means "Quillbrow"; a null icon means the style's;
    // an empty check box text keeps "&Don't show this dialog the next time".
    CConfirmDlg(QWidget *pParent, const QString &strText, unsigned nStyle, bool bShowCheckBox,
                const QString &strCaption = QString(), const QIcon &icon = QIcon(),
                const QString &strCheckBoxText = QString());
    ~CConfirmDlg() override;

    // Runs modally and returns IDYES, IDNO, IDOK or IDCANCEL. ShowNextTime is
    // valid afterwards: 1 when the check box was clear, 0 when ticked.
    int exec() override;

    int ShowNextTime = 1;
    int ButtonSet() const { return m_nButtonSet; }
    // The sound played when the dialog opens: the icon type of the style, -1 for none.
    int Beep() const { return m_nBeep; }

    static int ButtonSetForStyle(unsigned nStyle);
    static int BeepForStyle(unsigned nStyle, bool bCallerIcon);

    // Tests answer questions in advance: the next exec() returns answer at once,
    // after the dialog was laid out, with the check box set as given.
    static void SetNextAnswer(int nAnswer, bool bCheckBoxTicked = false);
    static bool HasPendingAnswers();
    static void ClearNextAnswers();
    // The text and caption of the last dialog run, for tests.
    static QString LastText();
    static QString LastCaption();

    QPushButton *YesButton() const { return m_pYes; }
    QPushButton *NoButton() const { return m_pNo; }
    QPushButton *OkButton() const { return m_pOk; }
    QPushButton *CancelButton() const { return m_pCancel; }
    QCheckBox *CheckBox() const { return m_pCheck; }
    QLabel *IconLabel() const { return m_pIcon; }
    QLabel *TextLabel() const { return m_pText; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void OnInitDialog();

    QPushButton *m_pYes = nullptr;
    QPushButton *m_pOk = nullptr;
    QPushButton *m_pNo = nullptr;
    QPushButton *m_pCancel = nullptr;
    QLabel *m_pText = nullptr;
    QLabel *m_pIcon = nullptr;
    QCheckBox *m_pCheck = nullptr;
    QPointer<QWidget> m_pParent;
    int m_nBeep = -1;
    int m_nButtonSet = 0;
    bool m_bShowCheckBox = false;
    bool m_bInitDone = false;
    bool m_bWaitCursor = false;
    bool m_bSecondDefault = false;
};
