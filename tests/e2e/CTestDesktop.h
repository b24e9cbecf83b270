#pragma once

#include <QStringList>
#include <QTemporaryDir>

// The desktop's programs as an end-to-end test sets them up: the machine's own
// programs and defaults kept out of the lookup, and one program of the test's that
// writes its arguments, one a line, to a file, installed as the default handler of
// whichever schemes a test names.
class CTestDesktop
{
public:
    CTestDesktop();

    bool IsValid() const { return m_bValid; }
    // The writer and the file it writes to.
    QString Writer() const { return m_root.filePath(QStringLiteral("bin/write args")); }
    QString OutFile() const { return m_root.filePath(QStringLiteral("out.txt")); }
    // Writer and OutFile quoted, the start of an Exec line.
    QString WriterCommand() const;

    // Removes the user's handlers and what the writer wrote.
    void Reset();
    // Installs test-<scheme>.desktop, named "Test Client", as the default handler of
    // the scheme; an empty exec line leaves the entry without one.
    bool SetHandler(const QString &scheme, const QString &execLine);
    // The writer as the scheme's handler, taking the address.
    bool SetHandler(const QString &scheme)
    {
        return SetHandler(scheme, WriterCommand() + QStringLiteral(" %u"));
    }

    // The lines the writer wrote, once there are at least nLines (or what there is when
    // the wait runs out).
    QStringList WrittenLines(int nLines) const;

    static bool WriteText(const QString &path, const QString &text);

private:
    QTemporaryDir m_root;
    bool m_bValid = false;
};
