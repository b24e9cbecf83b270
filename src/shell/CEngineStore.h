#pragma once

// The engine's per-user keys (ERegRoot::Engine): start page, search page, the
// offline switch and the synchronisation command in group Main, the typed addresses
// url1, url2, ... in group TypedURLs.

#include <QString>

namespace EngineStore {
inline const QString kMainKey = QStringLiteral("Main");
inline const QString kTypedUrlsKey = QStringLiteral("TypedURLs");
inline const QString kStartPageValue = QStringLiteral("Start Page");
inline const QString kSearchPageValue = QStringLiteral("Search Page");
// "1" while the engine works offline; absent or anything else is online.
inline const QString kOfflineValue = QStringLiteral("Offline");
// The command line (desktop entry Exec rules, no field codes) that updates the
// user's offline content; Tools, Synchronize starts it.
inline const QString kSyncCommandValue = QStringLiteral("SyncCommand");

// The search page used when the store names none.
inline const QString kDefaultSearchPage = QStringLiteral("https://duckduckgo.com/");

// Start page, empty when the store has none.
QString ReadStartPage();
bool WriteStartPage(const QString &address);
QString ReadSearchPage();
bool WriteSearchPage(const QString &address);
// Empty when the store names none.
QString ReadSyncCommand();
} // namespace EngineStore
