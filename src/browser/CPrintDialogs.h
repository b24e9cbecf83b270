#pragma once

#include <functional>

class QPrinter;
class QWidget;

// The program's one printer and the dialogs over it. The printer is made on first
// use and kept for the run, so what Page Setup chose holds for every later print
// and preview. Tests answer the dialogs in advance, as they answer CConfirmDlg.
class CPrintDialogs
{
public:
    using PrinterFunction = std::function<void(QPrinter *)>;

    static QPrinter *Printer();

    // Each returns true when the user accepted the dialog.
    static bool PageSetup(QWidget *pParent);
    static bool Print(QWidget *pParent);
    // paint draws the pages onto the printer it is given and returns when it has;
    // the preview asks for them again whenever the user changes the page layout.
    static bool Preview(QWidget *pParent, const PrinterFunction &paint);

    // The next dialog ends at once with this answer, after choose (when given) has
    // changed the printer the way the user would have in the dialog. A preview
    // answered in advance still draws its pages first.
    static void SetNextAnswer(bool bAccept, PrinterFunction choose = {});
    static bool HasPendingAnswers();
    static void ClearNextAnswers();
    // The number of pages the last preview showed.
    static int LastPreviewPageCount();
};
