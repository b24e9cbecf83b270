#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

// Band style bits, with the values the stored layout was first written with.
enum : quint32 {
    RBBS_BREAK = 0x001,
    RBBS_FIXEDSIZE = 0x002,
    RBBS_CHILDEDGE = 0x004,
    RBBS_HIDDEN = 0x008,
    RBBS_NOVERT = 0x010,
    RBBS_FIXEDBMP = 0x020,
    RBBS_VARIABLEHEIGHT = 0x040,
    RBBS_GRIPPERALWAYS = 0x080,
    RBBS_NOGRIPPER = 0x100,
};

// Which fields of a band record carry meaning (fMask).
enum : quint32 {
    RBBIM_STYLE = 0x001,
    RBBIM_COLORS = 0x002,
    RBBIM_TEXT = 0x004,
    RBBIM_IMAGE = 0x008,
    RBBIM_CHILD = 0x010,
    RBBIM_CHILDSIZE = 0x020,
    RBBIM_SIZE = 0x040,
    RBBIM_BACKGROUND = 0x080,
    RBBIM_ID = 0x100,
    RBBIM_IDEALSIZE = 0x200,
    RBBIM_LPARAM = 0x400,
    RBBIM_HEADERSIZE = 0x800,
};

// One band of the main rebar as the "ReBar" profile value stores it: twenty
// little-endian 32-bit fields, 80 bytes, four records in band order. The layout is
// kept byte for byte so that a value written by an earlier version still reads.
// Fields the rebar does not interpret are carried through unchanged.
struct CBandRecord
{
    static constexpr int kSize = 80;
    static constexpr int kBandCount = 4;
    static constexpr int kStoredSize = kSize * kBandCount;
    // Mask of a record read back from the rebar for storing.
    static constexpr quint32 kStoredMask = 0x0FF9;

    enum EBandId : quint32 {
        BandToolBar = 1007,
        BandAddressBar = 1008,
        BandAnimation = 1009,
        BandWindowsBar = 1010,
    };

    quint32 cbSize = kSize; // 0
    quint32 fMask = 0; // 4
    quint32 fStyle = 0; // 8
    quint32 clrFore = 0; // 12
    quint32 clrBack = 0; // 16
    quint32 lpText = 0; // 20
    quint32 cch = 0; // 24
    quint32 iImage = 0; // 28
    // Where the child window's handle once stood: 1 when the band's child was
    // visible when the layout was captured, 0 when hidden or missing.
    quint32 visible = 0; // 32
    quint32 cxMinChild = 0; // 36
    quint32 cyMinChild = 0; // 40
    quint32 cx = 0; // 44
    quint32 hbmBack = 0; // 48
    quint32 wID = 0; // 52
    quint32 cyChild = 0; // 56
    quint32 cyMaxChild = 0; // 60
    quint32 cyIntegral = 0; // 64
    quint32 cxIdeal = 0; // 68
    quint32 lParam = 0; // 72
    quint32 cxHeader = 0; // 76

    bool operator==(const CBandRecord &) const = default;

    static bool IsBandId(quint32 nId) { return nId >= BandToolBar && nId <= BandWindowsBar; }

    // The layout of a first start: toolbar, address bar and animation on one row,
    // the Windows Bar alone on the next; every band shown. The toolbar's band is
    // sized from its first button and its button count.
    static QList<CBandRecord> DefaultLayout(int nButtonWidth, int nButtonHeight, int nButtonCount);

    // 80 bytes per record, in the given order.
    static QByteArray ToBytes(const QList<CBandRecord> &records);

    // Four records from a stored value. At most the first 320 bytes count; a short
    // value reads as if zero-padded. A record that is not a band record (size not 80
    // or id outside 1007..1010) is replaced by the default of a band the value lacks,
    // so a damaged value still yields all four bands; two records of the same band
    // give the whole default layout.
    static QList<CBandRecord> FromBytes(const QByteArray &bytes,
                                        const QList<CBandRecord> &defaults);
    // The same with the default layout of a toolbar of twelve buttons of a usual
    // size, for a caller that has no toolbar to measure.
    static QList<CBandRecord> FromBytes(const QByteArray &bytes);

    // Values a stored layout may not change: the animation's band keeps its fixed
    // size, and the Windows Bar never gets narrower than a usable tab.
    static void ApplyForcedValues(QList<CBandRecord> &records);
};
