#include "CBandRecord.h"

#include <QtEndian>

#include <array>

namespace {

constexpr int kFieldCount = CBandRecord::kSize / 4;
static_assert(kFieldCount == 20);

constexpr quint32 kMaskWithIdeal
    = RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_ID | RBBIM_IDEALSIZE;
constexpr quint32 kMaskWithoutIdeal = kMaskWithIdeal & ~RBBIM_IDEALSIZE;
static_assert(kMaskWithIdeal == 0x371 && kMaskWithoutIdeal == 0x171);

// The fields in stored order; the member order of CBandRecord is the same, but
// going through this list keeps the byte layout independent of struct padding.
std::array<quint32 CBandRecord::*, kFieldCount> Fields()
{
    return {&CBandRecord::cbSize,     &CBandRecord::fMask,      &CBandRecord::fStyle,
            &CBandRecord::clrFore,    &CBandRecord::clrBack,    &CBandRecord::lpText,
            &CBandRecord::cch,        &CBandRecord::iImage,     &CBandRecord::visible,
            &CBandRecord::cxMinChild, &CBandRecord::cyMinChild, &CBandRecord::cx,
            &CBandRecord::hbmBack,    &CBandRecord::wID,        &CBandRecord::cyChild,
            &CBandRecord::cyMaxChild, &CBandRecord::cyIntegral, &CBandRecord::cxIdeal,
            &CBandRecord::lParam,     &CBandRecord::cxHeader};
}

CBandRecord MakeBand(quint32 nId, quint32 nStyle, int cxMin, int cyMin, int cx, bool bIdeal)
{
    CBandRecord r;
    r.wID = nId;
    r.fMask = bIdeal ? kMaskWithIdeal : kMaskWithoutIdeal;
    r.fStyle = nStyle;
    r.cxMinChild = quint32(qMax(0, cxMin));
    r.cyMinChild = quint32(qMax(0, cyMin));
    r.cx = quint32(qMax(0, cx));
    r.cxIdeal = bIdeal ? r.cx : 0;
    r.visible = 1;
    return r;
}

bool IsValidRecord(const CBandRecord &r)
{
    return r.cbSize == CBandRecord::kSize && CBandRecord::IsBandId(r.wID);
}

} // namespace

QList<CBandRecord> CBandRecord::DefaultLayout(int nButtonWidth, int nButtonHeight, int nButtonCount)
{
    const int cxToolBar = nButtonWidth * nButtonCount + 10;
    return {
        MakeBand(BandToolBar, RBBS_GRIPPERALWAYS | RBBS_FIXEDBMP, nButtonWidth, nButtonHeight,
                 cxToolBar, true),
        MakeBand(BandAddressBar, RBBS_GRIPPERALWAYS | RBBS_FIXEDBMP, 300, 23, 400, true),
        MakeBand(BandAnimation, RBBS_FIXEDSIZE | RBBS_CHILDEDGE | RBBS_FIXEDBMP, 32, 16, 32, false),
        MakeBand(BandWindowsBar, RBBS_BREAK | RBBS_GRIPPERALWAYS, 10, 23, 10, false),
    };
}

QByteArray CBandRecord::ToBytes(const QList<CBandRecord> &records)
{
    QByteArray bytes(records.size() * kSize, '\0');
    char *p = bytes.data();
    for (const CBandRecord &r : records) {
        for (quint32 CBandRecord::*field : Fields()) {
            qToLittleEndian<quint32>(r.*field, p);
            p += 4;
        }
    }
    return bytes;
}

QList<CBandRecord> CBandRecord::FromBytes(const QByteArray &bytes,
                                          const QList<CBandRecord> &defaults)
{
    QByteArray data = bytes.left(kStoredSize);
    data.append(kStoredSize - data.size(), '\0');

    QList<CBandRecord> records;
    const char *p = data.constData();
    for (int i = 0; i < kBandCount; ++i) {
        CBandRecord r;
        for (quint32 CBandRecord::*field : Fields()) {
            r.*field = qFromLittleEndian<quint32>(p);
            p += 4;
        }
        records.append(r);
    }

    QList<quint32> storedIds;
    for (const CBandRecord &r : records) {
        if (!IsValidRecord(r))
            continue;
        if (storedIds.contains(r.wID))
            return defaults;
        storedIds.append(r.wID);
    }

    QList<CBandRecord> missing;
    for (const CBandRecord &d : defaults) {
        if (!storedIds.contains(d.wID))
            missing.append(d);
    }
    for (CBandRecord &r : records) {
        if (IsValidRecord(r))
            continue;
        if (missing.isEmpty())
            return defaults;
        r = missing.takeFirst();
    }
    return records;
}

QList<CBandRecord> CBandRecord::FromBytes(const QByteArray &bytes)
{
    constexpr int kUsualButtonWidth = 30;
    constexpr int kUsualButtonHeight = 27;
    constexpr int kDefaultButtonCount = 12;
    return FromBytes(bytes,
                     DefaultLayout(kUsualButtonWidth, kUsualButtonHeight, kDefaultButtonCount));
}

void CBandRecord::ApplyForcedValues(QList<CBandRecord> &records)
{
    // The mask gains the forced fields so that a stored mask cannot switch them off.
    for (CBandRecord &r : records) {
        if (r.wID == BandAnimation) {
            r.fMask |= RBBIM_STYLE | RBBIM_CHILDSIZE;
            r.fStyle = RBBS_FIXEDSIZE | RBBS_CHILDEDGE | RBBS_FIXEDBMP;
            r.cxMinChild = 32;
            r.cyMinChild = 16;
        } else if (r.wID == BandWindowsBar) {
            r.fMask |= RBBIM_CHILDSIZE;
            r.cxMinChild = 100;
        }
    }
}
