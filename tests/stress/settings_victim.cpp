// Saves every store the program keeps, through the program's own code, over and over,
// each round ("generation") with values made from its number; or checks what a killed
// run left. tst_settingskill kills it at random moments while it saves.
//
//   settings_victim save    prints "ready", then "saved <g>" after each whole round
//   settings_victim check   prints "units <g> <g> ...", one per unit in write order,
//                           or "broken: <why>" and exits 1
//
// A unit is what one write puts on disk at once: the settings record with its
// AutoClose list, each binary value of the frame, the engine's start page, the typed
// addresses. Generation 0 is a unit never written.

#include "CEngineStore.h"
#include "CRegistry.h"
#include "CSettings.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QtEndian>

#include <cstdio>
#include <optional>

namespace {

const QString kSection = QStringLiteral("Settings");
const QString kTypedUrls = QStringLiteral("TypedURLs");
constexpr int kTypedCount = 25;

struct SIntField
{
    const char *name;
    int CSettings::*field;
    int nModulo;
};

const SIntField kIntFields[] = {
    {"StartMode", &CSettings::StartMode, 4},
    {"ActivateNewWindow", &CSettings::ActivateNewWindow, 2},
    {"ConfirmExitApp", &CSettings::ConfirmExitApp, 3},
    {"ConfirmCloseAll", &CSettings::ConfirmCloseAll, 5},
    {"ConfirmCloseAllEx", &CSettings::ConfirmCloseAllEx, 7},
    {"ConfirmSynchronize", &CSettings::ConfirmSynchronize, 11},
    {"ConfirmUserClose", &CSettings::ConfirmUserClose, 13},
    {"ConfirmClearAddress", &CSettings::ConfirmClearAddress, 17},
    {"ConfirmAddToAutoClose", &CSettings::ConfirmAddToAutoClose, 19},
    {"MaximizeChild", &CSettings::MaximizeChild, 2},
    {"OpenInNewWindow", &CSettings::OpenInNewWindow, 23},
    {"MultipleInstance", &CSettings::MultipleInstance, 29},
    {"CheckDefaultBrowser", &CSettings::CheckDefaultBrowser, 31},
    {"DisplaySplash", &CSettings::DisplaySplash, 37},
    {"ActivateMode", &CSettings::ActivateMode, 3},
};

QString Address(const char *host, int nGeneration, int nIndex = 0)
{
    return QStringLiteral("https://%1%2.test/%3")
        .arg(QLatin1String(host))
        .arg(nIndex)
        .arg(nGeneration);
}

// The generation an address of Address(host, g, index) was made for; nothing when it
// is not one.
std::optional<int> GenerationOf(const QString &address, const char *host, int nIndex = 0)
{
    const QString prefix
        = QStringLiteral("https://%1%2.test/").arg(QLatin1String(host)).arg(nIndex);
    if (!address.startsWith(prefix))
        return std::nullopt;
    bool ok = false;
    const int n = address.mid(prefix.size()).toInt(&ok);
    return ok && n > 0 ? std::optional<int>(n) : std::nullopt;
}

// The list grows and shrinks between generations, so a stale tail would show.
int AutoCloseCountFor(int nGeneration)
{
    return 5 + nGeneration % 40;
}

CSettings RecordFor(int nGeneration)
{
    CSettings settings;
    for (const SIntField &f : kIntFields)
        settings.*(f.field) = nGeneration % f.nModulo;
    settings.LastVisited = Address("last", nGeneration);
    settings.CustomHomepage = Address("home", nGeneration);
    for (int i = 0; i < AutoCloseCountFor(nGeneration); ++i) {
        settings.AutoCloseList.append(Address("ads", nGeneration, i) + QLatin1Char('*'));
        settings.AutoCloseCount.append(nGeneration + i);
    }
    return settings;
}

bool SameRecord(const CSettings &a, const CSettings &b)
{
    for (const SIntField &f : kIntFields) {
        if (a.*(f.field) != b.*(f.field))
            return false;
    }
    return a.LastVisited == b.LastVisited && a.CustomHomepage == b.CustomHomepage
        && a.AutoCloseList == b.AutoCloseList && a.AutoCloseCount == b.AutoCloseCount;
}

struct SBinaryUnit
{
    const char *name;
    int nSize;
};

// The frame's binary values, at their real sizes.
const SBinaryUnit kBinaryUnits[] = {{"MainFramePosition", 44}, {"ReBar", 320}, {"ToolBar", 64}};

QByteArray BytesFor(int nGeneration, int nSize)
{
    QByteArray bytes(nSize, Qt::Uninitialized);
    qToLittleEndian<qint32>(nGeneration, bytes.data());
    for (int i = 4; i < nSize; ++i)
        bytes[i] = char((nGeneration * 7 + i) & 0xff);
    return bytes;
}

QStringList TypedFor(int nGeneration)
{
    QStringList list;
    for (int i = 0; i < kTypedCount; ++i)
        list.append(Address("typed", nGeneration, i));
    return list;
}

void SaveGeneration(int nGeneration)
{
    RecordFor(nGeneration).Save();
    for (const SBinaryUnit &unit : kBinaryUnits)
        WriteProfileBinary(kSection, QLatin1String(unit.name), BytesFor(nGeneration, unit.nSize));
    EngineStore::WriteStartPage(Address("start", nGeneration));
    RegWriteNumberedStrings(ERegRoot::Engine, kTypedUrls, QStringLiteral("url"),
                            TypedFor(nGeneration));
}

struct SChecked
{
    QList<int> generations;
    QString problem;
};

SChecked Check()
{
    SChecked result;
    const auto fail = [&](const QString &why) {
        result.problem = why;
        return result;
    };
    for (ERegRoot root : {ERegRoot::Program, ERegRoot::Engine}) {
        if (RegStoreIsBroken(root))
            return fail(QStringLiteral("%1 does not parse").arg(RegStorePath(root)));
    }

    CSettings record;
    record.Load();
    const CSettings defaults;
    if (SameRecord(record, defaults)) {
        result.generations.append(0);
    } else {
        const auto nGeneration = GenerationOf(record.CustomHomepage, "home");
        if (!nGeneration || !SameRecord(record, RecordFor(*nGeneration)))
            return fail(QStringLiteral("settings record of no one generation (home page %1)")
                            .arg(record.CustomHomepage));
        result.generations.append(*nGeneration);
    }

    for (const SBinaryUnit &unit : kBinaryUnits) {
        const QByteArray bytes = GetProfileBinary(kSection, QLatin1String(unit.name));
        if (bytes.isEmpty()) {
            result.generations.append(0);
            continue;
        }
        const int nGeneration
            = bytes.size() >= 4 ? qFromLittleEndian<qint32>(bytes.constData()) : 0;
        if (nGeneration <= 0 || bytes != BytesFor(nGeneration, unit.nSize))
            return fail(QStringLiteral("%1 damaged").arg(QLatin1String(unit.name)));
        result.generations.append(nGeneration);
    }

    const QString startPage = EngineStore::ReadStartPage();
    const auto nStart = GenerationOf(startPage, "start");
    if (!startPage.isEmpty() && !nStart)
        return fail(QStringLiteral("start page damaged: %1").arg(startPage));
    result.generations.append(nStart.value_or(0));

    QStringList typed;
    for (int n = 1;; ++n) {
        QString address;
        if (RegReadString(ERegRoot::Engine, kTypedUrls, QStringLiteral("url%1").arg(n), address)
            <= 0)
            break;
        typed.append(address);
    }
    if (typed.isEmpty()) {
        result.generations.append(0);
    } else {
        const auto nGeneration = GenerationOf(typed.constFirst(), "typed");
        if (!nGeneration || typed != TypedFor(*nGeneration))
            return fail(QStringLiteral("typed addresses of no one generation"));
        result.generations.append(*nGeneration);
    }
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString mode = args.value(1);
    if (mode == QLatin1String("check")) {
        const SChecked checked = Check();
        if (!checked.problem.isEmpty()) {
            std::printf("broken: %s\n", qPrintable(checked.problem));
            return 1;
        }
        QStringList numbers;
        for (int n : checked.generations)
            numbers.append(QString::number(n));
        std::printf("units %s\n", qPrintable(numbers.join(QLatin1Char(' '))));
        return 0;
    }
    if (mode != QLatin1String("save")) {
        std::fprintf(stderr, "usage: settings_victim save|check\n");
        return 2;
    }

    // Goes on from the newest generation any unit holds, so numbers never repeat.
    const SChecked start = Check();
    int nGeneration = 0;
    for (int n : start.generations)
        nGeneration = qMax(nGeneration, n);
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) {
        SaveGeneration(++nGeneration);
        std::printf("saved %d\n", nGeneration);
        std::fflush(stdout);
    }
}
