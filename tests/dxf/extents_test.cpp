// GetMinMaxZahyo: extents of drawings built in memory.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "model/jw_data.h"
#include "support/program_values.h"

namespace jw {
namespace {

struct Extent {
    double x1, y1, x2, y2;
};

Extent ExtentsOf(const std::function<void(TJwwData&)>& build) {
    TJwwData d;
    d.DataDefaultSet();
    EXPECT_TRUE(d.AddEntPre());
    build(d);
    EXPECT_TRUE(d.AddEntPost());
    // Stale values of an earlier call must not leak in.
    ZahyoMinX = ZahyoMinY = -12345;
    ZahyoMaxX = ZahyoMaxY = 12345;
    d.GetMinMaxZahyo();
    return {ZahyoMinX, ZahyoMinY, ZahyoMaxX, ZahyoMaxY};
}

void Expect(const Extent& e, double x1, double y1, double x2, double y2, double tol = 1e-9) {
    EXPECT_NEAR(e.x1, x1, tol);
    EXPECT_NEAR(e.y1, y1, tol);
    EXPECT_NEAR(e.x2, x2, tol);
    EXPECT_NEAR(e.y2, y2, tol);
}

TEST(Extents, OneLine) {
    Expect(ExtentsOf([](TJwwData& d) { d.AddEntLine(0, 0, 0, 1, 1, 0, 0, 0, 0, 20, 10); }), 0, 0, 20, 10);
}

TEST(Extents, SinglePointIsWidened) {
    Expect(ExtentsOf([](TJwwData& d) { d.AddEntTen(0, 0, 0, 1, 0, 0, 0, 5, 5, 0, 1); }), -5, -5, 15, 15);
}

TEST(Extents, EmptyDrawingSpansTheOrigin) { Expect(ExtentsOf([](TJwwData&) {}), -10, -10, 10, 10); }

TEST(Extents, CirclesUseTheirAxisPoints) {
    Expect(ExtentsOf([](TJwwData& d) { d.AddEntArc(0, 0, 0, 1, 1, 0, 0x08, 0, 0, 10, 1, 0, 0, 0); }), -10, -10, 10, 10);
    const double r = 10 * std::cos(M_PI / 4);
    Expect(ExtentsOf([](TJwwData& d) { d.AddEntArc(0, 0, 0, 1, 1, 0, 0x08, 0, 0, 10, 1, 0, 0, 45); }), -r, -r, r, r);
}

TEST(Extents, QuarterArcStartsAtItsCentre) {
    Expect(ExtentsOf([](TJwwData& d) { d.AddEntArc(0, 0, 0, 1, 1, 0, 0, 0, 0, 10, 1, 0, 90, 0); }), 0, 0, 10, 10);
}

TEST(Extents, PlacedBlockContents) {
    const Extent e = ExtentsOf([](TJwwData& d) {
        d.AddEntLine(0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1);
        d.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"部品");
        d.AddBlkLine(0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1);
        d.AddEntBlock(0, 0, 0, 1, 1, 0, 0, 0, 100, 0, 1, 1, 0);
    });
    Expect(e, 0, 0, 101, 1);
}

TEST(Extents, FarPointsAreClampedOrIgnored) {
    Expect(ExtentsOf([](TJwwData& d) { d.AddEntLine(0, 0, 0, 1, 1, 0, 0, 0, 0, 1e9, 1); }), 0, 0, 1e8, 1);
    Expect(ExtentsOf([](TJwwData& d) {
               d.AddEntLine(0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1);
               d.AddEntLine(0, 0, 0, 1, 1, 0, 0, 0, 0, 1e12, 5);
               d.AddEntLine(0, 0, 0, 1, 1, 0, 0, 0, 0, std::nan(""), 5);
           }),
           0, 0, 1, 1);
}

TEST(Extents, ImageTexts) {
    // Corners that coincide contribute nothing, even for an image.
    Expect(ExtentsOf([](TJwwData& d) {
               d.AddEntLine(0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1);
               d.AddEntMoji(0, 0, 0, 1, 1, 0, 0, 1, 50, 50, 50, 50, 2, 2, 0, 0, u"", u"^@BMa.png,30,20");
           }),
           0, 0, 1, 1);
    // Otherwise the image's displayed corner counts; one value serves as both.
    Expect(ExtentsOf([](TJwwData& d) {
               d.AddEntMoji(0, 0, 0, 1, 1, 0, 0, 1, 0, 0, 10, 0, 2, 2, 0, 0, u"", u"^@BMa.png,30,20,1,2");
           }),
           0, 0, 30, 20);
    Expect(ExtentsOf([](TJwwData& d) { d.AddEntMoji(0, 0, 0, 1, 1, 0, 0, 1, 0, 0, 10, 0, 2, 2, 0, 0, u"", u"^@BMa.png,7"); }),
           0, 0, 10, 7);
}

TEST(Extents, SolidsAndDimensionsWithoutLines) {
    // The first contribution starts the extents when no line, arc, point or
    // text does.
    Expect(ExtentsOf([](TJwwData& d) { d.AddEntSolid(0, 0, 0, 1, 1, 0, 0, 0, 1, 2, 5, 2, 5, 7, 1, 7); }), 1, 2, 5, 7);
    Expect(ExtentsOf([](TJwwData& d) {
               d.AddEntSunpo(0, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 3, 4, 13, 4, 5, 5, 9, 6, 2, 2, 0, 0, u"", u"10");
           }),
           3, 4, 13, 6);
}

TEST(Extents, ArcShapedSolids) {
    // A sector of 90 degrees at (10, 10), radius 5: its centre counts.
    Expect(ExtentsOf([](TJwwData& d) { d.AddEntSolidC(0, 0, 0, 1, 1, 0, 0, 0, 10, 10, 5, 1, 0, 0, 90); }), 10, 10, 15, 15);
    // A whole disc: its outline all round.
    Expect(ExtentsOf([](TJwwData& d) { d.AddEntSolidA(0, 0, 0, 1, 0, 0, 0, 0, 0, 5, 1, 0); }), -5, -5, 5, 5, 1e-6);
}

}  // namespace
}  // namespace jw
