#pragma once

// The AutoClose entry rules, over a plain list of entry strings: a leading "!"
// disables an entry, a trailing "*" makes it match every address that starts
// with the text before it. Pure logic, shared by the settings record and the
// list page of the options.

#include <QString>
#include <QStringList>

namespace AutoClose {
// True when address matches an enabled entry of list (first match wins).
// Slashes and backslashes count as the same; letter case is ignored.
bool IsAutoClose(const QStringList &list, const QString &address);
// The index of the entry IsAutoClose stops at, -1 when none matches.
qsizetype FindAutoClose(const QStringList &list, const QString &address);

// True when one enabled or disabled entry string matches address.
bool EntryMatches(const QString &entry, const QString &address);

// Entry equality for duplicates: equal ignoring case after one leading "!" is
// dropped from each; the trailing "*" counts. Empty entries are never equal.
bool EntriesEqual(const QString &a, const QString &b);

// Appends entry after removing every entry equal to it.
void AddAutoClose(QStringList &list, const QString &entry);
} // namespace AutoClose
