#pragma once

// The engine's per-user keys (ERegRoot::Engine): start page and search page in
// group Main, the typed addresses url1, url2, ... in group TypedURLs.

#include <QString>

namespace EngineStore {
inline const QString kMainKey = QStringLiteral("Main");
inline const QString kTypedUrlsKey = QStringLiteral("TypedURLs");
inline const QString kStartPageValue = QStringLiteral("Start Page");
inline const QString kSearchPageValue = QStringLiteral("Search Page");

// The search page used when the store names none.
inline const QString kDefaultSearchPage = QStringLiteral("https://duckduckgo.com/");

// Start page, empty when the store has none.
QString ReadStartPage();
bool WriteStartPage(const QString &address);
QString ReadSearchPage();
bool WriteSearchPage(const QString &address);
} // namespace EngineStore
