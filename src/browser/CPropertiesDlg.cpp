#include "CPropertiesDlg.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QMimeDatabase>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QVBoxLayout>

namespace {

QString NotAvailable()
{
    return CPropertiesDlg::tr("Not available");
}

QString ProtocolName(const QString &scheme)
{
    if (scheme == QLatin1String("http"))
        return CPropertiesDlg::tr("HyperText Transfer Protocol (HTTP)");
    if (scheme == QLatin1String("https"))
        return CPropertiesDlg::tr("HyperText Transfer Protocol with Privacy (HTTPS)");
    if (scheme == QLatin1String("file"))
        return CPropertiesDlg::tr("File Protocol");
    if (scheme == QLatin1String("ftp"))
        return CPropertiesDlg::tr("File Transfer Protocol (FTP)");
    return scheme.isEmpty() ? NotAvailable() : scheme;
}

QString DateText(const QDateTime &when)
{
    return when.isValid() ? QLocale().toString(when.toLocalTime(), QLocale::LongFormat)
                          : NotAvailable();
}

// An HTTP date in any of its three forms; a value in none of them is shown as the
// server wrote it.
QString HttpDateText(const QByteArray &value)
{
    if (value.isEmpty())
        return NotAvailable();
    const QString text = QString::fromLatin1(value).simplified();
    for (const QString &format : {QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"),
                                  QStringLiteral("dddd, dd-MMM-yy HH:mm:ss 'GMT'"),
                                  QStringLiteral("ddd MMM d HH:mm:ss yyyy")}) {
        const QDateTime when = QLocale::c().toDateTime(text, format);
        if (!when.isValid())
            continue;
        QDate date = when.date();
        // The old form's two-digit years are read as 19xx; those before the web
        // existed are of this century.
        if (date.year() < 1970)
            date = date.addYears(100);
        return DateText(QDateTime(date, when.time(), Qt::UTC));
    }
    return text;
}

QString SizeText(qint64 nBytes)
{
    return nBytes < 0 ? NotAvailable()
                      : CPropertiesDlg::tr("%1 bytes").arg(QLocale().toString(nBytes));
}

} // namespace

CPropertiesDlg::CPropertiesDlg(const QString &strTitle, const QString &strAddress, QWidget *pParent)
    : QDialog(pParent)
    , m_url(strAddress)
    , m_pForm(new QFormLayout)
{
    setWindowTitle(tr("Properties"));
    setObjectName(QStringLiteral("PropertiesDlg"));
    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(m_pForm);
    m_pForm->setRowWrapPolicy(QFormLayout::DontWrapRows);

    AddRow(tr("Title"), strTitle.isEmpty() ? NotAvailable() : strTitle);
    AddRow(tr("Address"), strAddress.isEmpty() ? NotAvailable() : strAddress);
    AddRow(tr("Protocol"), ProtocolName(m_url.scheme()));
    const QString asking = tr("Asking the server...");
    m_pType = AddRow(tr("Type"), asking);
    m_pSize = AddRow(tr("Size"), asking);
    m_pModified = AddRow(tr("Modified"), asking);
    m_pServerDate = AddRow(tr("Server date"), asking);
    m_pExpires = AddRow(tr("Expires"), asking);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);

    const QString scheme = m_url.scheme();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        AskServer();
    else if (m_url.isLocalFile())
        ReadLocalFile();
    else
        SetServerRows(QString(), -1, QString(), QString(), QString());
}

CPropertiesDlg::~CPropertiesDlg() = default;

QLabel *CPropertiesDlg::AddRow(const QString &strLabel, const QString &strValue)
{
    auto *value = new QLabel(strValue, this);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    value->setTextFormat(Qt::PlainText);
    // A long title or address wraps rather than widen the dialog past the screen.
    value->setWordWrap(true);
    value->setMinimumWidth(360);
    value->setMaximumWidth(560);
    m_pForm->addRow(tr("%1:").arg(strLabel), value);
    m_rows.append({strLabel, value});
    return value;
}

void CPropertiesDlg::SetRow(QLabel *pRow, const QString &strValue)
{
    pRow->setText(strValue.isEmpty() ? NotAvailable() : strValue);
}

void CPropertiesDlg::AskServer()
{
    m_pNetwork = new QNetworkAccessManager(this);
    QNetworkRequest request(m_url);
    request.setTransferTimeout(kTimeoutMs);
    QNetworkReply *reply = m_pNetwork->head(request);
    connect(reply, &QNetworkReply::finished, this, [this, reply] { OnReply(reply); });
}

void CPropertiesDlg::OnReply(QNetworkReply *pReply)
{
    pReply->deleteLater();
    if (pReply->error() != QNetworkReply::NoError) {
        SetServerRows(QString(), -1, QString(), QString(), QString());
        return;
    }
    const QVariant length = pReply->header(QNetworkRequest::ContentLengthHeader);
    SetServerRows(QString::fromLatin1(pReply->rawHeader("Content-Type")),
                  length.isValid() ? length.toLongLong() : -1,
                  HttpDateText(pReply->rawHeader("Last-Modified")),
                  HttpDateText(pReply->rawHeader("Date")),
                  HttpDateText(pReply->rawHeader("Expires")));
}

void CPropertiesDlg::ReadLocalFile()
{
    const QFileInfo file(m_url.toLocalFile());
    if (!file.exists()) {
        SetServerRows(QString(), -1, QString(), QString(), QString());
        return;
    }
    SetServerRows(QMimeDatabase().mimeTypeForFile(file).name(), file.isFile() ? file.size() : -1,
                  DateText(file.lastModified()), QString(), QString());
}

void CPropertiesDlg::SetServerRows(const QString &strType, qint64 nSize, const QString &strModified,
                                   const QString &strDate, const QString &strExpires)
{
    SetRow(m_pType, strType);
    SetRow(m_pSize, SizeText(nSize));
    SetRow(m_pModified, strModified);
    SetRow(m_pServerDate, strDate);
    SetRow(m_pExpires, strExpires);
    m_bComplete = true;
    emit completed();
}

QString CPropertiesDlg::Field(const QString &strLabel) const
{
    for (const auto &[label, value] : m_rows) {
        if (label == strLabel)
            return value->text();
    }
    return QString();
}

int CPropertiesDlg::exec()
{
    CDialogScript<CPropertiesDlg>::ScheduleNext(this, QDialog::Accepted);
    return QDialog::exec();
}

void CPropertiesDlg::SetNextScript(CDialogScript<CPropertiesDlg>::Script script)
{
    CDialogScript<CPropertiesDlg>::Add(std::move(script));
}

bool CPropertiesDlg::HasPendingScripts()
{
    return CDialogScript<CPropertiesDlg>::HasPending();
}

void CPropertiesDlg::ClearNextScripts()
{
    CDialogScript<CPropertiesDlg>::Clear();
}
