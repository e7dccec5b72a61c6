#include "StartPlacement.h"

#include <climits>

#include "PlayerConfig.h"

namespace {

constexpr int NOT_GIVEN = -1;
constexpr int FULL_PERCENT = 100;

// Truncated toward zero; values beyond the int range saturate.
int TruncateToInt(double f)
{
    if (f >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (f <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(f);
}

struct CSize {
    int cx;
    int cy;
};

// The size for width and height given in pixels or percent of the work
// area; the current size when a percentage is 100 or more.
CSize ChosenSize(const CPlayerConfig& config, CSize current, const RECT& rcWorkArea)
{
    if (!config.m_bSizePercent)
        return CSize{config.m_nWidth, config.m_nHeight};
    if (config.m_nWidth >= FULL_PERCENT || config.m_nHeight >= FULL_PERCENT)
        return current;
    const double fWorkWidth = static_cast<double>(rcWorkArea.right) - rcWorkArea.left;
    const double fWorkHeight = static_cast<double>(rcWorkArea.bottom) - rcWorkArea.top;
    return CSize{TruncateToInt(fWorkWidth * config.m_nWidth / FULL_PERCENT),
                 TruncateToInt(fWorkHeight * config.m_nHeight / FULL_PERCENT)};
}

CStartPlacement MoveTo(int x, int y, CSize size)
{
    CStartPlacement placement;
    placement.bMove = true;
    placement.x = x;
    placement.y = y;
    placement.cx = size.cx;
    placement.cy = size.cy;
    return placement;
}

}  // namespace

CStartPlacement ComputeStartPlacement(const CPlayerConfig& config, const RECT& rcWindow,
                                      const RECT& rcWorkArea)
{
    const CSize current{rcWindow.right - rcWindow.left, rcWindow.bottom - rcWindow.top};
    const bool bPosition = config.m_nLeft != NOT_GIVEN && config.m_nTop != NOT_GIVEN;
    const bool bSize = config.m_nWidth != NOT_GIVEN && config.m_nHeight != NOT_GIVEN;

    if (bPosition) {
        const CSize size = bSize ? ChosenSize(config, current, rcWorkArea) : current;
        if (config.m_bPosPercent) {
            // A percentage of 100 or more leaves the window where it is.
            if (config.m_nLeft >= FULL_PERCENT || config.m_nTop >= FULL_PERCENT)
                return CStartPlacement{};
            // Percent of the distance from the screen's origin to the
            // work area's right and bottom edges. The product comes first,
            // so whole results stay whole (29 % of 100 is 29, not 28.999...).
            const int x =
                TruncateToInt(static_cast<double>(config.m_nLeft) * rcWorkArea.right / FULL_PERCENT);
            const int y =
                TruncateToInt(static_cast<double>(config.m_nTop) * rcWorkArea.bottom / FULL_PERCENT);
            return MoveTo(x, y, size);
        }
        // Pixels: only a corner left of and above the work area's far
        // edges moves the window; negative coordinates are fine.
        if (config.m_nTop < rcWorkArea.bottom && config.m_nLeft < rcWorkArea.right)
            return MoveTo(config.m_nLeft, config.m_nTop, size);
        return CStartPlacement{};
    }
    if (bSize)
        return MoveTo(rcWindow.left, rcWindow.top, ChosenSize(config, current, rcWorkArea));
    return CStartPlacement{};
}
