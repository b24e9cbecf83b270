#include "CWindowJournal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

namespace {
// Far more windows than anyone keeps open, and a file that stays small.
constexpr qsizetype kMaxAddresses = 500;
constexpr qint64 kMaxFileSize = 4 * 1024 * 1024;
constexpr int kFormat = 1;
} // namespace

QString CWindowJournal::DefaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Tarvo/Quillbrow/open-windows.json");
}

CWindowJournal::CWindowJournal(const QString &strPath)
    : m_strPath(strPath)
{ }

bool CWindowJournal::Record(const QStringList &addresses, qint64 nNowMs)
{
    if (m_bClosed)
        return false;
    if (m_bWrittenOnce && addresses == m_written) {
        m_bHasPending = false;
        return false;
    }
    if (m_bWrittenOnce && nNowMs - m_nLastWriteMs < kMinWriteIntervalMs) {
        m_pending = addresses;
        m_bHasPending = true;
        return false;
    }
    return Write(addresses, nNowMs);
}

qint64 CWindowJournal::NextWriteDue() const
{
    return m_bHasPending ? m_nLastWriteMs + kMinWriteIntervalMs : -1;
}

bool CWindowJournal::WritePending(qint64 nNowMs)
{
    if (!m_bHasPending || nNowMs < NextWriteDue())
        return false;
    return Write(m_pending, nNowMs);
}

bool CWindowJournal::BeginReopening(const QStringList &addresses, qint64 nNowMs)
{
    m_bReopening = true;
    return Write(addresses, nNowMs);
}

void CWindowJournal::EndReopening(qint64 nNowMs)
{
    if (!m_bReopening)
        return;
    m_bReopening = false;
    Write(m_bHasPending ? m_pending : m_written, nNowMs);
}

void CWindowJournal::Clear()
{
    m_bClosed = true;
    m_bHasPending = false;
    QFile::remove(m_strPath);
}

bool CWindowJournal::Write(const QStringList &addresses, qint64 nNowMs)
{
    if (m_bClosed)
        return false;
    m_bHasPending = false;
    m_written = addresses;
    m_bWrittenOnce = true;
    m_nLastWriteMs = nNowMs;

    QJsonObject root;
    root.insert(QStringLiteral("format"), kFormat);
    root.insert(QStringLiteral("pid"), QCoreApplication::applicationPid());
    root.insert(QStringLiteral("reopening"), m_bReopening);
    root.insert(QStringLiteral("windows"),
                QJsonArray::fromStringList(addresses.mid(0, kMaxAddresses)));
    QDir().mkpath(QFileInfo(m_strPath).absolutePath());
    QSaveFile file(m_strPath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(root).toJson(QJsonDocument::Compact));
    return file.commit();
}

CWindowJournal::SContents CWindowJournal::Read(const QString &strPath)
{
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize)
        return {};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll());
    const QJsonObject root = doc.object();
    if (root.value(QStringLiteral("format")).toInt() != kFormat)
        return {};
    SContents contents;
    const QJsonArray windows = root.value(QStringLiteral("windows")).toArray();
    for (const QJsonValue &value : windows) {
        const QString address = value.toString().trimmed();
        if (!address.isEmpty() && contents.addresses.size() < kMaxAddresses)
            contents.addresses.append(address);
    }
    contents.bReopening = root.value(QStringLiteral("reopening")).toBool();
    contents.nPid = root.value(QStringLiteral("pid")).toInteger();
    return contents;
}
