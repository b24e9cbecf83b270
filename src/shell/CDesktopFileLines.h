#pragma once

#include <QString>

#include <optional>

// The line grammar shared by desktop entries and mimeapps.list: "[Group]" headers and
// "key=value" lines, with blanks around the equals sign not counting and "#" comments.
namespace DesktopFileLines {

struct CKeyValue
{
    QString key;
    QString value;
};

// "[Group]" gives Group; any other line nothing.
std::optional<QString> GroupHeader(const QString &line);

// A "key=value" line; comments, blank lines and lines without a key give nothing.
std::optional<CKeyValue> KeyValue(const QString &line);

} // namespace DesktopFileLines
