#pragma once

#include <QString>

class QWidget;

// Error reports: the confirmation dialog with the caption "Error", the
// exclamation icon and an OK button. A null parent means the main window.
void ShowErrorText(const QString &text, QWidget *pParent = nullptr);
void ShowErrorString(int nStringId, QWidget *pParent = nullptr);
// errorCode is an errno value; its system message is shown.
void ShowSystemError(int errorCode, QWidget *pParent = nullptr);
