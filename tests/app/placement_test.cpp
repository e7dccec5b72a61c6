// Where the main window starts: the placement rules on given rectangles,
// then the real frame under Wine against the screen's work area.
#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PlayerConfig.h"
#include "StartPlacement.h"

namespace {

struct PlacementCase {
    const char* pszName;
    int nLeft, nTop, bPosPercent;
    int nWidth, nHeight, bSizePercent;
    bool bMove;
    int x, y, cx, cy;
};

TEST(StartPlacementTest, RulesInPixelsAndPercent)
{
    // Window centred at 400 x 320 on a 1280 x 1024 screen whose work area
    // ends above a 30-pixel taskbar.
    const RECT rcWindow{440, 347, 840, 667};
    const RECT rcWork{0, 0, 1280, 994};
    const PlacementCase cases[] = {
        {"nothing given", -1, -1, 0, -1, -1, 0, false, 0, 0, 0, 0},
        {"position in pixels", 100, 100, 0, -1, -1, 0, true, 100, 100, 400, 320},
        {"position and size in pixels", 100, 100, 0, 640, 480, 0, true, 100, 100, 640, 480},
        {"negative position", -50, -20, 0, -1, -1, 0, true, -50, -20, 400, 320},
        {"left beyond the work area", 5000, 100, 0, 640, 480, 0, false, 0, 0, 0, 0},
        {"left on the right edge", 1280, 100, 0, -1, -1, 0, false, 0, 0, 0, 0},
        {"left just inside", 1279, 993, 0, -1, -1, 0, true, 1279, 993, 400, 320},
        {"top on the bottom edge", 100, 994, 0, -1, -1, 0, false, 0, 0, 0, 0},
        {"left not given", -1, 100, 0, -1, -1, 0, false, 0, 0, 0, 0},
        {"left not given, size given", -1, 100, 0, 300, 200, 0, true, 440, 347, 300, 200},
        {"position in percent", 50, 50, 1, -1, -1, 0, true, 640, 497, 400, 320},
        {"percent position, percent size", 10, 20, 1, 50, 25, 1, true, 128, 198, 640, 248},
        {"position 100 %", 100, 10, 1, 50, 50, 1, false, 0, 0, 0, 0},
        {"position 150 %", 150, 10, 1, -1, -1, 0, false, 0, 0, 0, 0},
        {"position 99 %", 99, 99, 1, -1, -1, 0, true, 1267, 984, 400, 320},
        {"negative percent", -10, 0, 1, -1, -1, 0, true, -128, 0, 400, 320},
        {"size 200 % keeps the size", 10, 10, 0, 200, 50, 1, true, 10, 10, 400, 320},
        {"size 100 % keeps the size", 10, 10, 0, 50, 100, 1, true, 10, 10, 400, 320},
        {"size 99 %", 10, 10, 0, 99, 99, 1, true, 10, 10, 1267, 984},
        {"height not given keeps the size", 10, 10, 0, 640, -1, 0, true, 10, 10, 400, 320},
        {"size only, pixels", -1, -1, 0, 640, 480, 0, true, 440, 347, 640, 480},
        {"size only, percent", -1, -1, 0, 50, 50, 1, true, 440, 347, 640, 497},
        {"size only, 150 %", -1, -1, 0, 150, 50, 1, true, 440, 347, 400, 320},
        {"size only, percent truncated", -1, -1, 0, 33, 33, 1, true, 440, 347, 422, 328},
        // Values at the ends of the int range stay in range.
        {"huge percent size", -1, -1, 0, INT_MIN, INT_MIN, 1, true, 440, 347, INT_MIN, INT_MIN},
        {"huge negative percent position", INT_MIN, INT_MIN, 1, -1, -1, 0, true, INT_MIN, INT_MIN, 400, 320},
        {"huge pixel size", 0, 0, 0, INT_MAX, INT_MAX, 0, true, 0, 0, INT_MAX, INT_MAX},
    };
    for (const PlacementCase& c : cases) {
        CPlayerConfig config;
        config.m_nLeft = c.nLeft;
        config.m_nTop = c.nTop;
        config.m_bPosPercent = c.bPosPercent;
        config.m_nWidth = c.nWidth;
        config.m_nHeight = c.nHeight;
        config.m_bSizePercent = c.bSizePercent;
        CStartPlacement placement = ComputeStartPlacement(config, rcWindow, rcWork);
        ASSERT_EQ(c.bMove, placement.bMove) << c.pszName;
        if (!c.bMove)
            continue;
        EXPECT_EQ(c.x, placement.x) << c.pszName;
        EXPECT_EQ(c.y, placement.y) << c.pszName;
        EXPECT_EQ(c.cx, placement.cx) << c.pszName;
        EXPECT_EQ(c.cy, placement.cy) << c.pszName;
    }
}

TEST(StartPlacementTest, PercentPositionIsOfTheWorkAreaEdgesFromTheScreenOrigin)
{
    // A work area that starts below a taskbar at the top: 50 % of its
    // bottom edge, not of its height.
    const RECT rcWindow{0, 0, 400, 320};
    const RECT rcWork{100, 40, 1100, 840};
    CPlayerConfig config;
    config.m_nLeft = 50;
    config.m_nTop = 50;
    config.m_bPosPercent = 1;
    config.m_nWidth = 50;
    config.m_nHeight = 50;
    config.m_bSizePercent = 1;
    CStartPlacement placement = ComputeStartPlacement(config, rcWindow, rcWork);
    ASSERT_TRUE(placement.bMove);
    EXPECT_EQ(550, placement.x);
    EXPECT_EQ(420, placement.y);
    EXPECT_EQ(500, placement.cx);  // the size is of the work area's width
    EXPECT_EQ(400, placement.cy);
}

TEST(StartPlacementTest, PercentConversionsTruncateTheExactProduct)
{
    // Every whole percentage on edges of several lengths gives the exact
    // truncated result of percent x edge / 100.
    const RECT rcWindow{0, 0, 400, 320};
    for (int nEdge : {100, 994, 1024, 1280, 1921}) {
        const RECT rcWork{0, 0, nEdge, nEdge};
        for (int nPercent = 0; nPercent < 100; ++nPercent) {
            CPlayerConfig config;
            config.m_nLeft = nPercent;
            config.m_nTop = nPercent;
            config.m_bPosPercent = 1;
            config.m_nWidth = nPercent;
            config.m_nHeight = nPercent;
            config.m_bSizePercent = 1;
            CStartPlacement placement = ComputeStartPlacement(config, rcWindow, rcWork);
            ASSERT_TRUE(placement.bMove);
            const int nExpected = nPercent * nEdge / 100;
            ASSERT_EQ(nExpected, placement.x) << nPercent << "% of " << nEdge;
            ASSERT_EQ(nExpected, placement.y) << nPercent << "% of " << nEdge;
            ASSERT_EQ(nExpected, placement.cx) << nPercent << "% of " << nEdge;
            ASSERT_EQ(nExpected, placement.cy) << nPercent << "% of " << nEdge;
        }
    }
}

}  // namespace
