#pragma once

#include <QString>

// The rendering engine's start page and version, filled once at start-up.
class CEngineInfo
{
public:
    CEngineInfo() = default;
    virtual ~CEngineInfo() = default;

    // Reads the engine store's start page into m_strStartPage, cut at its first NUL;
    // keeps the old value when the store has none.
    void ReadStartPage();
    // ReadStartPage, then the version numbers from ReadEngineVersion. An empty start
    // page becomes DefaultStartPage() first, so a fresh profile opens it.
    void LoadEngineInfo();
    // The installed guide's welcome page, as a file:// address.
    static QString DefaultStartPage();
    // Fills m_nMajor, m_nMinor, m_nBuild from a dotted version: the first field
    // only when a dot follows it, the second when another dot follows, the third
    // only when a fourth field follows. Each field is read like atoi.
    void ParseVersion(const QString &version);

    // The engine's version text ("108.0.5359.220"); the override, when set, instead.
    static qint64 ReadEngineVersion(QString &out);
    // Tests make start-up see another engine; an empty string means none.
    static void SetVersionOverride(const QString &version);
    // Clears both overrides.
    static void ClearVersionOverride();

    // Qt WebEngine's own version at run time ("6.4.2"); the override, when set, instead.
    static QString ReadWebEngineVersion();
    static void SetWebEngineVersionOverride(const QString &version);
    // The oldest Qt WebEngine the program runs on: the major and minor version it was
    // built against ("6.4"), as Qt keeps binary compatibility only with later releases.
    static QString RequiredWebEngineVersion();
    // True when version, a dotted Qt WebEngine version, is at least the required one;
    // false for a text that is not a version.
    static bool IsSupportedWebEngine(const QString &version);

    QString m_strStartPage;
    int m_nMajor = 0;
    int m_nMinor = 0;
    int m_nBuild = 0;
};
