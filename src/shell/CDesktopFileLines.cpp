#include "CDesktopFileLines.h"

namespace DesktopFileLines {

std::optional<QString> GroupHeader(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.size() < 2 || !trimmed.startsWith(u'[') || !trimmed.endsWith(u']'))
        return std::nullopt;
    return trimmed.sliced(1, trimmed.size() - 2);
}

std::optional<CKeyValue> KeyValue(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
        return std::nullopt;
    const qsizetype eq = trimmed.indexOf(u'=');
    if (eq <= 0)
        return std::nullopt;
    return CKeyValue {trimmed.first(eq).trimmed(), trimmed.sliced(eq + 1).trimmed()};
}

} // namespace DesktopFileLines
