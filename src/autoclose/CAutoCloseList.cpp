#include "CAutoCloseList.h"

namespace AutoClose {

namespace {
// Users type addresses with either slash; one spelling makes them compare alike.
QString Normalized(const QString &text)
{
    QString copy = text;
    copy.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return copy;
}

QStringView WithoutDisabledMark(const QString &entry)
{
    QStringView view(entry);
    if (view.startsWith(QLatin1Char('!')))
        view = view.mid(1);
    return view;
}
} // namespace

bool EntryMatches(const QString &entry, const QString &address)
{
    const QStringView pattern = WithoutDisabledMark(entry);
    if (pattern.isEmpty() || address.isEmpty())
        return false;

    const QString text = Normalized(pattern.toString());
    const QString target = Normalized(address);
    if (text.endsWith(QLatin1Char('*'))) {
        // Only the last "*" is the mark; one before it is a literal character of the
        // address, so "**" asks for an address with a "*" at that place. An empty
        // prefix ("*" alone) matches every address.
        const QString prefix = text.chopped(1).toLower();
        return target.toLower().startsWith(prefix);
    }
    return QString::compare(target, text, Qt::CaseInsensitive) == 0;
}

bool IsAutoClose(const QStringList &list, const QString &address)
{
    return FindAutoClose(list, address) >= 0;
}

qsizetype FindAutoClose(const QStringList &list, const QString &address)
{
    if (list.isEmpty() || address.isEmpty())
        return -1;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QString &entry = list.at(i);
        if (entry.isEmpty() || entry.startsWith(QLatin1Char('!')))
            continue;
        if (EntryMatches(entry, address))
            return i;
    }
    return -1;
}

bool EntriesEqual(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    return WithoutDisabledMark(a).compare(WithoutDisabledMark(b), Qt::CaseInsensitive) == 0;
}

void AddAutoClose(QStringList &list, const QString &entry)
{
    if (!list.isEmpty() && !entry.isEmpty())
        list.removeIf([&entry](const QString &existing) { return EntriesEqual(existing, entry); });
    list.append(entry);
}

} // namespace AutoClose
