// One AutoClose decision over a long list. The matcher is a plain scan run once for
// every window a page opens, so its worst case, an address that matches nothing,
// is what a page opening pop-ups in a loop pays each time.

#include "CAutoCloseList.h"

#include <benchmark/benchmark.h>

namespace {
// Entries as users collect them: exact addresses and "starts with" entries, some
// switched off, in the letter cases and slashes they were typed with.
QStringList MakeList(int nEntries)
{
    QStringList list;
    list.reserve(nEntries);
    for (int i = 0; i < nEntries; ++i) {
        QString entry = QStringLiteral("http://ads%1.Example.com/banner/%2").arg(i).arg(i % 7);
        if (i % 2)
            entry += QLatin1Char('*');
        if (i % 10 == 3)
            entry.prepend(QLatin1Char('!'));
        list << entry;
    }
    return list;
}

void NoMatch(benchmark::State &state)
{
    const QStringList list = MakeList(int(state.range(0)));
    const QString address = QStringLiteral("http://www.example.org/news/today.html?id=42");
    for (auto _ : state)
        benchmark::DoNotOptimize(AutoClose::IsAutoClose(list, address));
}

void LastEntryMatches(benchmark::State &state)
{
    QStringList list = MakeList(int(state.range(0)));
    list.last() = QStringLiteral("http://popup.example.net/*");
    const QString address = QStringLiteral("http://POPUP.example.net/offer?id=42");
    for (auto _ : state)
        benchmark::DoNotOptimize(AutoClose::IsAutoClose(list, address));
}
} // namespace

BENCHMARK(NoMatch)
    ->Name("IsAutoClose/NoMatch")
    ->Arg(100)
    ->Arg(10000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(LastEntryMatches)
    ->Name("IsAutoClose/LastEntryMatches")
    ->Arg(10000)
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
