#include "CAddressCombo.h"

#include "CErrorReport.h"
#include "CTypedUrlList.h"

#include <QLineEdit>
#include <QWheelEvent>

CAddressCombo::CAddressCombo(QWidget *parent)
    : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setDuplicatesEnabled(true);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(8);
    setMaxVisibleItems(12);
    // No inline completion: accepting a completion emits activated(), and the
    // history is shown in the drop-down anyway.
    setCompleter(nullptr);
    // When the field loses the focus QComboBox looks its text up in the list and
    // reports a match as activated(); leaving the field must not navigate.
    disconnect(lineEdit(), &QLineEdit::editingFinished, this, nullptr);
}

QStringList CAddressCombo::Items() const
{
    QStringList items;
    items.reserve(count());
    for (int i = 0; i < count(); ++i)
        items.append(itemText(i));
    return items;
}

void CAddressCombo::LoadHistory()
{
    QStringList urls;
    LoadTypedUrls(urls);
    SetItems(urls);
}

void CAddressCombo::SaveHistory()
{
    const QStringList items = Items();
    if (items.isEmpty())
        return;
    if (const int nError = SaveTypedUrls(items))
        ShowSystemError(nError, this);
}

void CAddressCombo::AddTypedAddress(const QString &address)
{
    QStringList items = Items();
    if (AddTypedUrl(items, address))
        SetItems(items);
}

QString CAddressCombo::MoveToTop(int nIndex)
{
    if (nIndex < 0 || nIndex >= count())
        return {};
    QStringList items = Items();
    const QString text = items.takeAt(nIndex);
    if (text.isEmpty())
        return {};
    items.prepend(text);
    SetItems(items);
    return text;
}

void CAddressCombo::ClearList()
{
    SetItems({});
}

void CAddressCombo::SelectAllText()
{
    if (!currentText().isEmpty())
        lineEdit()->selectAll();
}

bool CAddressCombo::HasEditSelection() const
{
    return lineEdit()->hasSelectedText();
}

void CAddressCombo::wheelEvent(QWheelEvent *event)
{
    // Turning the wheel over an unfocused field while scrolling past the bar must
    // not pick an address and navigate.
    if (hasFocus())
        QComboBox::wheelEvent(event);
    else
        event->ignore();
}

void CAddressCombo::SetItems(const QStringList &items)
{
    // QComboBox rewrites the edit field whenever its current item changes, which
    // rebuilding the list does; the user may be typing right now.
    QLineEdit *pEdit = lineEdit();
    const QString text = pEdit->text();
    const int nCursor = pEdit->cursorPosition();
    const int nSelStart = pEdit->selectionStart();
    const int nSelLength = pEdit->selectedText().size();

    clear();
    addItems(items);

    if (pEdit->text() != text)
        pEdit->setText(text);
    if (nSelStart < 0)
        pEdit->setCursorPosition(nCursor);
    else if (nCursor == nSelStart)
        pEdit->setSelection(nSelStart + nSelLength, -nSelLength);
    else
        pEdit->setSelection(nSelStart, nSelLength);
}
