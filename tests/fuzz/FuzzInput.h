#pragma once

// Helpers shared by the fuzz targets: an invariant that must hold (a failure is a
// crash libFuzzer records with its input) and the input as Qt types.

#include <QByteArray>
#include <QList>

#include <cstddef>
#include <cstdint>

#define FUZZ_ASSERT(condition)                                                                     \
    do {                                                                                           \
        if (!(condition))                                                                          \
            __builtin_trap();                                                                      \
    } while (false)

inline QByteArray FuzzBytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// The input cut at each separator byte, for targets that take several strings.
inline QList<QByteArray> FuzzParts(const uint8_t *data, size_t size, char separator)
{
    return FuzzBytes(data, size).split(separator);
}
