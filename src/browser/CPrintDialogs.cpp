#include "CPrintDialogs.h"

#include <QCoreApplication>
#include <QList>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

#include <optional>

namespace {

struct SAnswer
{
    bool bAccept;
    CPrintDialogs::PrinterFunction choose;
};

QList<SAnswer> &PendingAnswers()
{
    static QList<SAnswer> answers;
    return answers;
}

QPrinter *&ThePrinter()
{
    static QPrinter *printer = nullptr;
    return printer;
}

// The printer goes before the application object: its print engine may still talk
// to the platform's printing system.
void DeletePrinter()
{
    delete std::exchange(ThePrinter(), nullptr);
}

int g_nLastPreviewPages = 0;

std::optional<SAnswer> TakeAnswer()
{
    if (PendingAnswers().isEmpty())
        return std::nullopt;
    SAnswer answer = PendingAnswers().takeFirst();
    if (answer.choose)
        answer.choose(CPrintDialogs::Printer());
    return answer;
}

} // namespace

QPrinter *CPrintDialogs::Printer()
{
    QPrinter *&printer = ThePrinter();
    if (!printer) {
        printer = new QPrinter(QPrinter::HighResolution);
        qAddPostRoutine(DeletePrinter);
    }
    return printer;
}

bool CPrintDialogs::PageSetup(QWidget *pParent)
{
    QPageSetupDialog dlg(Printer(), pParent);
    if (const auto answer = TakeAnswer())
        return answer->bAccept;
    return dlg.exec() == QDialog::Accepted;
}

bool CPrintDialogs::Print(QWidget *pParent)
{
    QPrintDialog dlg(Printer(), pParent);
    if (const auto answer = TakeAnswer())
        return answer->bAccept;
    return dlg.exec() == QDialog::Accepted;
}

bool CPrintDialogs::Preview(QWidget *pParent, const PrinterFunction &paint)
{
    QPrintPreviewDialog dlg(Printer(), pParent);
    QObject::connect(&dlg, &QPrintPreviewDialog::paintRequested, &dlg, paint);
    auto *pWidget = dlg.findChild<QPrintPreviewWidget *>();
    g_nLastPreviewPages = 0;
    bool bAccepted = false;
    if (const auto answer = TakeAnswer()) {
        if (pWidget)
            pWidget->updatePreview();
        bAccepted = answer->bAccept;
    } else {
        bAccepted = dlg.exec() == QDialog::Accepted;
    }
    if (pWidget)
        g_nLastPreviewPages = pWidget->pageCount();
    return bAccepted;
}

void CPrintDialogs::SetNextAnswer(bool bAccept, PrinterFunction choose)
{
    PendingAnswers().append({bAccept, std::move(choose)});
}

bool CPrintDialogs::HasPendingAnswers()
{
    return !PendingAnswers().isEmpty();
}

void CPrintDialogs::ClearNextAnswers()
{
    PendingAnswers().clear();
}

int CPrintDialogs::LastPreviewPageCount()
{
    return g_nLastPreviewPages;
}
