#pragma once

// The typed-address history: the list rules the address combo keeps, and the
// engine's own store of it (group TypedURLs, values url1, url2, ... with url1 the
// newest), which the engine's address box shares.

#include <QString>
#include <QStringList>

// Appends the stored addresses to out, newest first, and returns how many were read.
// Reading stops at the first missing or empty value; a value ends at its first NUL.
int LoadTypedUrls(QStringList &out);

// Replaces the store by the non-empty items of urls, numbered url1.. without gaps.
// An empty list leaves the store deleted. Returns 0, or the errno value that
// explains why the store could not be written (the old contents are gone by then).
int SaveTypedUrls(const QStringList &urls);

// Deletes the whole store. False when there was nothing to delete or the store
// cannot be written.
bool ClearTypedUrls();

// Whether an address may become a history item: not empty, not "about:blank".
bool IsTypedUrlCandidate(const QString &address);

// Index of the first item equal to address regardless of case, or -1.
qsizetype FindTypedUrl(const QStringList &list, const QString &address);

// Puts address, as given, at the top of list, dropping the item that differs from
// it only in case. Returns false, changing nothing, for a non-candidate.
bool AddTypedUrl(QStringList &list, const QString &address);
