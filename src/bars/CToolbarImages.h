#pragma once

#include <QIcon>
#include <QPalette>
#include <QPixmap>

// The 21 toolbar images of 22 by 20 pixels, by index: 0 blank page, 1 opening
// folder, 2 folder, 3 folder with "!", 4 scissors, 5 copy, 6 paste, 7 arrow left,
// 8 arrow right, 9 stop, 10 stop all, 11 page with circular arrows, 12 circular
// arrows, 13 house, 14 magnifier over a globe, 15 folder with a star, 16 "AA" over a
// double arrow, 17 news, 18 letter with envelope, 19 printer, 20 window.
//
// Each image has a hot look (full colour, under the mouse) and a normal look (the
// same, muted towards the bar's colours, so images made for one palette have to
// be made again for another). Where the desktop's icon theme has a fitting icon it
// is used, so the toolbar matches the other programs; our own drawings fill every
// gap.
class CToolbarImages
{
public:
    static constexpr int kCount = 21;
    static constexpr int kWidth = 22;
    static constexpr int kHeight = 20;

    // Normal look as QIcon::Normal, hot look as QIcon::Active, at scales 1 and 2,
    // for a bar in the given palette. A null icon for an index out of range.
    static QIcon Icon(int nIndex, const QPalette &palette);
    static QPixmap Hot(int nIndex, qreal dpr = 1.0);
    static QPixmap Normal(int nIndex, const QPalette &palette, qreal dpr = 1.0);

    // Whether theme icons are preferred (on by default). Changing it, like a theme
    // or colour change, calls for fresh icons from Icon().
    static void SetPreferThemeIcons(bool bPrefer);
    static bool PreferThemeIcons();
};
