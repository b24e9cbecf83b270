#include "CPageSaver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <filesystem>
#include <memory>
#include <system_error>

namespace {

std::filesystem::path FsPath(const QString &path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// Moves the finished entries of the staging folder over their final places, all or
// none. A file replaces a file in one step; whatever cannot be replaced that way (a
// folder, or a file where a folder was) is first moved aside into the staging folder,
// which takes it away with it, or from which it comes back when a later move fails.
class CPlacement
{
public:
    CPlacement(const QTemporaryDir &staging, const QString &targetDir)
        : m_staging(staging)
        , m_targetDir(targetDir)
    { }

    QString Move(const QString &name)
    {
        const QString from = m_staging.filePath(name);
        const QString to = m_targetDir.filePath(name);
        const QFileInfo source(from);
        const QFileInfo existing(to);
        std::error_code error;
        if (existing.exists() && (source.isDir() || existing.isDir())) {
            std::filesystem::rename(FsPath(to), FsPath(Aside(name)), error);
            if (error)
                return QString::fromStdString(error.message());
            m_aside << name;
        }
        std::filesystem::rename(FsPath(from), FsPath(to), error);
        if (error)
            return QString::fromStdString(error.message());
        m_moved << name;
        return QString();
    }

    void Undo()
    {
        std::error_code error;
        for (const QString &name : std::as_const(m_moved))
            std::filesystem::rename(FsPath(m_targetDir.filePath(name)),
                                    FsPath(m_staging.filePath(QStringLiteral(".failed-") + name)),
                                    error);
        for (const QString &name : std::as_const(m_aside))
            std::filesystem::rename(FsPath(Aside(name)), FsPath(m_targetDir.filePath(name)), error);
    }

private:
    QString Aside(const QString &name) const
    {
        return m_staging.filePath(QStringLiteral(".old-") + name);
    }

    const QTemporaryDir &m_staging;
    QDir m_targetDir;
    QStringList m_moved;
    QStringList m_aside;
};

QString FailureText(const QFileInfo &target, const QString &reason)
{
    return CPageSaver::tr("The page could not be saved as \"%1\".\n\n%2")
        .arg(QDir::toNativeSeparators(target.absoluteFilePath()), reason);
}

} // namespace

QString CPageSaver::StagingPrefix()
{
    return QStringLiteral(".quillbrow-save-");
}

void CPageSaver::Save(IWebEngine *pEngine, const QString &strPath, IWebEngine::ESaveFormat format,
                      IWebEngine::DoneCallback done)
{
    const QFileInfo target(strPath);
    const QString targetDir = target.absolutePath();
    const QString name = target.fileName();
    if (name.isEmpty()) {
        done(FailureText(target, tr("The name of the file is missing.")));
        return;
    }
    auto staging = std::make_shared<QTemporaryDir>(
        QDir(targetDir).filePath(StagingPrefix() + QStringLiteral("XXXXXX")));
    if (!staging->isValid()) {
        done(FailureText(target,
                         tr("The folder \"%1\" cannot be written: %2.")
                             .arg(QDir::toNativeSeparators(targetDir), staging->errorString())));
        return;
    }
    pEngine->SavePage(staging->filePath(name), format,
                      [staging, name, targetDir, target, done](const QString &strError) {
                          QString reason = strError;
                          if (reason.isEmpty()) {
                              // The resources first: the page's file appears only once all is
                              // there.
                              CPlacement placement(*staging, targetDir);
                              QStringList entries
                                  = QDir(staging->path())
                                        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                   | QDir::NoDotAndDotDot);
                              entries.removeAll(name);
                              entries.append(name);
                              for (const QString &entry : std::as_const(entries)) {
                                  reason = placement.Move(entry);
                                  if (!reason.isEmpty()) {
                                      placement.Undo();
                                      break;
                                  }
                              }
                          }
                          // Gone before the caller hears: whatever it does next sees only the
                          // result.
                          staging->remove();
                          done(reason.isEmpty() ? QString() : FailureText(target, reason));
                      });
}
