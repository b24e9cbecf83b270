#include "CAutoCloseList.h"

#include <algorithm>

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

namespace {
// One entry against one address, decided in place for the texts people type: while
// both are ASCII, comparing code unit by code unit with the slashes as one and
// ASCII letters lowered answers exactly as the copying comparison below does. A
// wider character before the answer is known (one that lowers to two, or to an
// ASCII letter) leaves the decision to the copying comparison.
enum class EQuickAnswer { No, Yes, Unknown };

char16_t Folded(char16_t c)
{
    if (c == u'/')
        return u'\\';
    if (c >= u'A' && c <= u'Z')
        return char16_t(c - u'A' + u'a');
    return c;
}

bool IsAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

EQuickAnswer QuickMatch(QStringView pattern, QStringView address)
{
    const bool bPrefix = pattern.endsWith(QLatin1Char('*'));
    if (bPrefix)
        pattern.chop(1);
    const qsizetype nCommon = std::min(pattern.size(), address.size());
    for (qsizetype i = 0; i < nCommon; ++i) {
        const char16_t a = pattern[i].unicode();
        const char16_t b = address[i].unicode();
        if (a >= 0x80 || b >= 0x80)
            return EQuickAnswer::Unknown;
        if (Folded(a) != Folded(b))
            return EQuickAnswer::No;
    }
    if (pattern.size() == address.size())
        return EQuickAnswer::Yes;
    // One text goes on past the other: a prefix needs nothing more of the address, and
    // any other answer is no as long as what remains is ASCII.
    if (pattern.size() < address.size() && bPrefix)
        return EQuickAnswer::Yes;
    const QStringView rest
        = pattern.size() < address.size() ? address.sliced(nCommon) : pattern.sliced(nCommon);
    return IsAscii(rest) ? EQuickAnswer::No : EQuickAnswer::Unknown;
}
} // namespace

bool EntryMatches(const QString &entry, const QString &address)
{
    const QStringView pattern = WithoutDisabledMark(entry);
    if (pattern.isEmpty() || address.isEmpty())
        return false;
    if (const EQuickAnswer answer = QuickMatch(pattern, address); answer != EQuickAnswer::Unknown)
        return answer == EQuickAnswer::Yes;

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
