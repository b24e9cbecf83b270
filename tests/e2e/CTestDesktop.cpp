#include "CTestDesktop.h"

#include "CUserSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
QString MimeAppsList()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/mimeapps.list");
}
QString ApplicationsDir()
{
    return qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications");
}
} // namespace

CTestDesktop::CTestDesktop()
{
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(m_root.filePath(QStringLiteral("system/config"))));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(m_root.filePath(QStringLiteral("system/data"))));
    qunsetenv("XDG_CURRENT_DESKTOP");
    m_bValid = m_root.isValid()
        && WriteText(Writer(),
                     QStringLiteral(
                         "#!/bin/sh\nout=\"$1\"; shift\nprintf '%s\\n' \"$@\" >> \"$out\"\n"))
        && QFile::setPermissions(Writer(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString CTestDesktop::WriterCommand() const
{
    return QStringLiteral("\"%1\" \"%2\"").arg(Writer(), OutFile());
}

void CTestDesktop::Reset()
{
    QFile::remove(MimeAppsList());
    QDir(ApplicationsDir()).removeRecursively();
    QFile::remove(OutFile());
}

bool CTestDesktop::SetHandler(const QString &scheme, const QString &execLine)
{
    const QString id = QStringLiteral("test-") + scheme + QStringLiteral(".desktop");
    QString entry
        = QStringLiteral("[Desktop Entry]\nType=Application\nName=Test Client\nIcon=client-icon\n");
    if (!execLine.isEmpty())
        entry += QStringLiteral("Exec=") + execLine + u'\n';
    if (!WriteText(ApplicationsDir() + u'/' + id, entry))
        return false;
    QFile list(MimeAppsList());
    const bool bNew = !list.exists();
    if (!QDir().mkpath(QFileInfo(list).absolutePath()) || !list.open(QIODevice::Append))
        return false;
    const QString line
        = QStringLiteral("x-scheme-handler/") + scheme + u'=' + id + QStringLiteral(";\n");
    return list.write(
               ((bNew ? QStringLiteral("[Default Applications]\n") : QString()) + line).toUtf8())
        > 0;
}

QStringList CTestDesktop::WrittenLines(int nLines) const
{
    QStringList lines;
    CUserSession::WaitFor([&] {
        QFile file(OutFile());
        if (!file.open(QIODevice::ReadOnly))
            return false;
        lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
        return lines.size() >= nLines;
    });
    return lines;
}

bool CTestDesktop::WriteText(const QString &path, const QString &text)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).absolutePath())
        && file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text.toUtf8()) >= 0;
}
