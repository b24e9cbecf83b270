#include "CDownloadList.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace {

constexpr int kFormatVersion = 1;

// The stored names of the states; the enum's numbers are not part of the file.
const char *const kStateNames[] = {"running", "paused", "completed", "cancelled", "failed"};

QString StateName(SDownload::EState state)
{
    return QString::fromLatin1(kStateNames[state]);
}

SDownload::EState StateFromName(const QString &name)
{
    for (int i = 0; i < int(std::size(kStateNames)); ++i) {
        if (name == QLatin1String(kStateNames[i]))
            return SDownload::EState(i);
    }
    return SDownload::Failed;
}

// Extensions that are one to the user: "a.tar.gz" becomes "a (1).tar.gz".
const QStringList kCompoundSuffixes = {QStringLiteral("tar.gz"), QStringLiteral("tar.bz2"),
                                       QStringLiteral("tar.xz"), QStringLiteral("tar.zst")};

void SplitName(const QString &name, QString &base, QString &suffix)
{
    for (const QString &compound : kCompoundSuffixes) {
        if (name.size() > compound.size() + 1
            && name.endsWith(QLatin1Char('.') + compound, Qt::CaseInsensitive)) {
            base = name.left(name.size() - compound.size() - 1);
            suffix = name.right(compound.size() + 1);
            return;
        }
    }
    // A leading dot starts a hidden name, not an extension.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || dot == name.size() - 1) {
        base = name;
        suffix.clear();
        return;
    }
    base = name.left(dot);
    suffix = name.mid(dot);
}

QJsonObject ToJson(const SDownload &entry)
{
    QJsonObject object;
    object.insert(QStringLiteral("url"), entry.strUrl);
    object.insert(QStringLiteral("path"), entry.strPath);
    object.insert(QStringLiteral("received"), double(entry.nReceived));
    object.insert(QStringLiteral("total"), double(entry.nTotal));
    object.insert(QStringLiteral("state"), StateName(entry.state));
    if (!entry.strError.isEmpty())
        object.insert(QStringLiteral("error"), entry.strError);
    if (entry.started.isValid())
        object.insert(QStringLiteral("started"), entry.started.toString(Qt::ISODate));
    return object;
}

// A count of bytes from the file: whole, not negative, within what a file can hold.
qint64 ByteCount(const QJsonValue &value, qint64 nDefault)
{
    const double d = value.toDouble(-1);
    if (!(d >= 0) || d > 9.0e15)
        return nDefault;
    return qint64(d);
}

} // namespace

QString SDownload::FileName() const
{
    return QFileInfo(strPath).fileName();
}

CDownloadList::CDownloadList(QString strFilePath)
    : m_strFilePath(std::move(strFilePath))
{ }

QString CDownloadList::DefaultFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Tarvo/Quillbrow/downloads.json");
}

bool CDownloadList::Load(const QList<SDownload> &keep)
{
    m_entries = keep;
    m_bBroken = false;
    QSet<QString> kept;
    for (const SDownload &entry : keep)
        kept.insert(entry.strPath);
    QFile file(m_strFilePath);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        m_bBroken = true;
        return false;
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    const QJsonValue downloads = doc.object().value(QStringLiteral("downloads"));
    if (error.error != QJsonParseError::NoError || !downloads.isArray()) {
        m_bBroken = true;
        return false;
    }

    const QJsonArray array = downloads.toArray();
    for (const QJsonValue &value : array) {
        const QJsonObject object = value.toObject();
        SDownload entry;
        entry.strPath = object.value(QStringLiteral("path")).toString();
        // Nothing can be shown or opened without a file name.
        if (entry.strPath.isEmpty() || QFileInfo(entry.strPath).fileName().isEmpty()
            || kept.contains(entry.strPath))
            continue;
        entry.strUrl = object.value(QStringLiteral("url")).toString();
        entry.nTotal = ByteCount(object.value(QStringLiteral("total")), -1);
        entry.nReceived = ByteCount(object.value(QStringLiteral("received")), 0);
        entry.state = StateFromName(object.value(QStringLiteral("state")).toString());
        entry.strError = object.value(QStringLiteral("error")).toString();
        entry.started = QDateTime::fromString(object.value(QStringLiteral("started")).toString(),
                                              Qt::ISODate);
        if (entry.IsActive()) {
            entry.state = SDownload::Failed;
            entry.strError = QCoreApplication::translate("CDownloadList", "Interrupted");
        }
        entry.nId = m_nNextId++;
        m_entries.append(entry);
    }
    Trim();
    return true;
}

bool CDownloadList::Save()
{
    QDir().mkpath(QFileInfo(m_strFilePath).absolutePath());
    if (m_bBroken) {
        const QString aside = m_strFilePath + QStringLiteral(".broken");
        QFile::remove(aside);
        QFile::rename(m_strFilePath, aside);
        m_bBroken = false;
    }

    QJsonArray array;
    for (const SDownload &entry : std::as_const(m_entries))
        array.append(ToJson(entry));
    QJsonObject root;
    root.insert(QStringLiteral("version"), kFormatVersion);
    root.insert(QStringLiteral("downloads"), array);

    QSaveFile file(m_strFilePath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(root).toJson());
    return file.commit();
}

SDownload *CDownloadList::Find(quint64 nId)
{
    const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                                 [nId](const SDownload &entry) { return entry.nId == nId; });
    return it == m_entries.end() ? nullptr : &*it;
}

quint64 CDownloadList::Add(SDownload entry)
{
    entry.nId = m_nNextId++;
    m_entries.prepend(entry);
    Trim();
    return entry.nId;
}

void CDownloadList::Remove(quint64 nId)
{
    m_entries.removeIf([nId](const SDownload &entry) { return entry.nId == nId; });
}

void CDownloadList::Trim()
{
    for (qsizetype i = m_entries.size() - 1; i >= 0 && m_entries.size() > kMaxEntries; --i) {
        if (!m_entries.at(i).IsActive())
            m_entries.removeAt(i);
    }
}

QString CDownloadList::UniquePath(const QString &strPath, const QSet<QString> &taken)
{
    const auto isFree = [&taken](const QString &path) {
        return !taken.contains(path) && !QFileInfo::exists(path);
    };
    if (isFree(strPath))
        return strPath;
    const QFileInfo info(strPath);
    QString base, suffix;
    SplitName(info.fileName(), base, suffix);
    const QDir dir = info.dir();
    for (int n = 1;; ++n) {
        const QString candidate
            = dir.filePath(QStringLiteral("%1 (%2)%3").arg(base, QString::number(n), suffix));
        if (isFree(candidate))
            return candidate;
    }
}
