#pragma once

#include <QList>
#include <QString>

// The string table: every text the program shows, by its id. Texts are marked
// with QT_TRANSLATE_NOOP in the "Quillbrow" context so lupdate finds them, and
// LoadString returns the translation when one is installed.
QString LoadString(int nId);
// The untranslated text, empty for an unknown id.
QString SourceString(int nId);
// LoadString with every "%name%" (for example "%address%") replaced by value.
// The placeholder may be given with or without its percent signs.
QString LoadStringWith(int nId, const QString &placeholder, const QString &value);
// text with every occurrence of placeholder replaced by value, taken literally.
QString ReplacePlaceholder(QString text, const QString &placeholder, const QString &value);
// Every id of the table, in table order.
QList<int> StringTableIds();
