#include "CProgramData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
QString &Override()
{
    static QString dir;
    return dir;
}
} // namespace

QString ProgramDataDirFor(const QString &programDir)
{
    const QString installed = QDir::cleanPath(programDir + QStringLiteral("/../share/quillbrow"));
    return QFileInfo(installed).isDir() ? installed : QDir::cleanPath(programDir);
}

QString ProgramDataDir()
{
    if (!Override().isEmpty())
        return Override();
    // A second start reads its settings before any application object exists; the
    // kernel knows the binary then too.
    if (!QCoreApplication::instance())
        return ProgramDataDirFor(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath());
    return ProgramDataDirFor(QCoreApplication::applicationDirPath());
}

QString ProgramDataPath(const QString &relative)
{
    return QDir::cleanPath(ProgramDataDir() + QLatin1Char('/') + relative);
}

void SetProgramDataDirOverride(const QString &dir)
{
    Override() = dir.isEmpty() ? QString() : QDir::cleanPath(dir);
}
