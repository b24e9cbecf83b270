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
    // ReadStartPage, then the version numbers from ReadEngineVersion.
    void LoadEngineInfo();
    // Fills m_nMajor, m_nMinor, m_nBuild from a dotted version: the first field
    // only when a dot follows it, the second when another dot follows, the third
    // only when a fourth field follows. Each field is read like atoi.
    void ParseVersion(const QString &version);

    // The engine's version text ("108.0.5359.220"); the override, when set, instead.
    static qint64 ReadEngineVersion(QString &out);
    // Tests make start-up see another engine; an empty string means none.
    static void SetVersionOverride(const QString &version);
    static void ClearVersionOverride();

    QString m_strStartPage;
    int m_nMajor = 0;
    int m_nMinor = 0;
    int m_nBuild = 0;
};
