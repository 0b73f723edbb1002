// Mapping, world transform, SAVEDC/RESTOREDC, objects and the playback frame.
#include "base/byte_order.h"
#include "emf/emf_format.h"
#include "play_helpers.h"

namespace qrp::emf {
namespace {

using test::Bytes;
using test::EmfBuilder;

Bytes Xform(float m11, float m12, float m21, float m22, float dx, float dy) {
    Bytes b;
    b.F32(m11).F32(m12).F32(m21).F32(m22).F32(dx).F32(dy);
    return b;
}

TEST(PlayerFrame, FrameIsStretchedIndependentlyOntoTheDestination) {
    // Frame of 1 x 1 inch = 100 x 100 reference pixels, played into 200 x 50 at (10, 20).
    const auto emf = EmfBuilder().Add(kEmrMoveToEx, {0, 0}).Add(kEmrLineTo, {100, 100}).Finish();
    const std::string text = Play(emf, {10, 20, 210, 70});
    EXPECT_NE(text.find("M10.00,20.00 L210.00,70.00"), std::string::npos) << text;
}

TEST(PlayerFrame, FrameOffsetMovesThePicture) {
    // Frame starting at 0.5 inch: device pixel 50 lands on the destination's left edge.
    auto emf = EmfBuilder().Add(kEmrMoveToEx, {50, 50}).Add(kEmrLineTo, {150, 150}).Finish();
    StoreI32(emf.data() + 24, 1270), StoreI32(emf.data() + 28, 1270);
    StoreI32(emf.data() + 32, 3810), StoreI32(emf.data() + 36, 3810);
    EXPECT_NE(Play(emf).find("M0.00,0.00 L100.00,100.00"), std::string::npos);
}

TEST(PlayerMapping, MapModes) {
    EmfBuilder b;
    for (std::int32_t mode = kMmText; mode <= static_cast<std::int32_t>(kMmAnisotropic); ++mode) {
        b.Add(kEmrSetMapMode, {mode}).Add(kEmrSetWindowExtEx, {200, 400}).Add(kEmrSetViewportExtEx, {100, 100});
        b.Add(kEmrSetWindowOrgEx, {10, 20}).Add(kEmrSetViewportOrgEx, {5, 5});
        b.Add(kEmrMoveToEx, {10, 20}).Add(kEmrLineTo, {110, 120});
    }
    const std::string text = Play(b.Finish());
    ExpectGolden("map_modes", text);
    // MM_LOMETRIC: 100 tenths of a millimetre = 10 mm = 39.37 pixels at 100 dpi, y upwards.
    EXPECT_NE(text.find("M5.00,5.00 L44.37,-34.37"), std::string::npos);
    // MM_ANISOTROPIC: x halves, y quarters.
    EXPECT_NE(text.find("M5.00,5.00 L55.00,30.00"), std::string::npos);
    // MM_ISOTROPIC: both take the smaller scale, a quarter.
    EXPECT_NE(text.find("M5.00,5.00 L30.00,30.00"), std::string::npos);
}

TEST(PlayerMapping, ScaleExtentsOnlyInSettableModes) {
    EmfBuilder b;
    b.Add(kEmrSetMapMode, {kMmAnisotropic}).Add(kEmrSetWindowExtEx, {100, 100}).Add(kEmrSetViewportExtEx, {100, 100});
    b.Add(kEmrScaleViewportExtEx, {1, 2, 3, 1});  // x * 1/2, y * 3/1
    b.Add(kEmrScaleWindowExtEx, {1, 0, 1, 1});    // a zero denominator is ignored
    b.Add(kEmrMoveToEx, {0, 0}).Add(kEmrLineTo, {10, 10});
    b.Add(kEmrSetMapMode, {kMmText}).Add(kEmrScaleViewportExtEx, {2, 1, 2, 1});
    b.Add(kEmrMoveToEx, {0, 0}).Add(kEmrLineTo, {10, 10});
    const std::string text = Play(b.Finish());
    EXPECT_NE(text.find("M0.00,0.00 L5.00,30.00"), std::string::npos) << text;
    EXPECT_NE(text.find("M0.00,0.00 L10.00,10.00"), std::string::npos) << text;
}

TEST(PlayerMapping, ReselectingAScalableModeKeepsItsExtents) {
    EmfBuilder b;
    b.Add(kEmrSetMapMode, {kMmAnisotropic}).Add(kEmrSetViewportExtEx, {3, 3});
    b.Add(kEmrSetMapMode, {kMmAnisotropic}).Add(kEmrMoveToEx, {0, 0}).Add(kEmrLineTo, {10, 10});
    b.Add(kEmrSetMapMode, {kMmText}).Add(kEmrSetMapMode, {kMmAnisotropic}).Add(kEmrLineTo, {20, 20});
    const std::string text = Play(b.Finish());
    EXPECT_NE(text.find("M0.00,0.00 L30.00,30.00"), std::string::npos) << text;
    EXPECT_NE(text.find("M10.00,10.00 L20.00,20.00"), std::string::npos) << text;  // MM_TEXT reset them
}

TEST(PlayerMapping, WorldTransformModes) {
    EmfBuilder b;
    auto line = [&] { b.Add(kEmrMoveToEx, {0, 0}).Add(kEmrLineTo, {10, 0}); };
    b.Add(kEmrSetWorldTransform, Xform(2, 0, 0, 2, 5, 5));
    line();
    b.Add(kEmrModifyWorldTransform, Bytes(Xform(0, 1, -1, 0, 0, 0)).U32(kMwtLeftMultiply));  // rotate first
    line();
    b.Add(kEmrModifyWorldTransform, Bytes(Xform(1, 0, 0, 1, 100, 0)).U32(kMwtRightMultiply));  // then shift
    line();
    b.Add(kEmrModifyWorldTransform, Bytes(Xform(1, 0, 0, 1, 0, 0)).U32(kMwtIdentity));
    line();
    b.Add(kEmrSetWorldTransform, Xform(0, 0, 0, 0, 0, 0));  // singular: refused
    line();
    b.Add(kEmrModifyWorldTransform, Bytes(Xform(1, 0, 0, 1, 0, 0)).U32(99));  // unknown mode: ignored
    line();
    const std::string text = Play(b.Finish());
    ExpectGolden("world_transform", text);
    EXPECT_NE(text.find("M5.00,5.00 L25.00,5.00"), std::string::npos);
    EXPECT_NE(text.find("M5.00,5.00 L5.00,25.00"), std::string::npos);
    EXPECT_NE(text.find("M105.00,5.00 L105.00,25.00"), std::string::npos);
}

TEST(PlayerState, SaveAndRestoreRelativeAndAbsolute) {
    EmfBuilder b;
    auto line = [&] { b.Add(kEmrMoveToEx, {0, 0}).Add(kEmrLineTo, {10, 10}); };
    b.Add(kEmrSaveDc, {});                                    // level 1: identity
    b.Add(kEmrSetViewportOrgEx, {1, 0}).Add(kEmrSaveDc, {});  // level 2: x + 1
    b.Add(kEmrSetViewportOrgEx, {2, 0}).Add(kEmrSaveDc, {});  // level 3: x + 2
    b.Add(kEmrSetViewportOrgEx, {3, 0});
    line();  // x + 3
    b.Add(kEmrRestoreDc, {-1});
    line();                      // x + 2
    b.Add(kEmrRestoreDc, {1});   // absolute: back to level 1
    line();                      // x + 0
    b.Add(kEmrRestoreDc, {-5});  // nothing saved that deep: ignored
    b.Add(kEmrRestoreDc, {0});
    b.Add(kEmrSetViewportOrgEx, {7, 0});
    line();
    const std::string text = Play(b.Finish());
    ExpectGolden("save_restore", text);
}

TEST(PlayerState, RestoreBringsBackObjectsColoursAndModes) {
    EmfBuilder b;
    b.Add(kEmrCreatePen, {1, kPsDash, 3, 0, 0x0000FF});
    b.Add(kEmrCreateBrushIndirect, {2, kBsHatched, 0x00FF00, kHsCross});
    b.Add(kEmrSaveDc, {});
    b.Add(kEmrSelectObject, {1}).Add(kEmrSelectObject, {2}).Add(kEmrSetBkMode, {kTransparent});
    b.Add(kEmrSetPolyFillMode, {kWinding}).Add(kEmrSetRop2, {kR2XorPen});
    b.Add(kEmrRectangle, {0, 0, 10, 10});
    b.Add(kEmrRestoreDc, {-1});
    b.Add(kEmrRectangle, {0, 0, 10, 10});
    ExpectGolden("restore_objects", Play(b.Finish()));
}

TEST(PlayerObjects, PensOfEveryStyle) {
    EmfBuilder b;
    std::uint32_t index = 1;
    for (std::int32_t style : {kPsSolid, kPsDash, kPsDot, kPsDashDot, kPsDashDotDot, kPsNull, kPsInsideFrame}) {
        b.Add(kEmrCreatePen, {static_cast<std::int32_t>(index), style, 0, 0, 0x102030});  // cosmetic
        b.Add(kEmrSelectObject, {static_cast<std::int32_t>(index++)}).Add(kEmrMoveToEx, {0, 0}).Add(kEmrLineTo, {5, 0});
    }
    // Geometric pens: width in logical units, caps, joins, user dashes.
    const std::uint32_t geometric = kPsGeometric | kPsEndCapFlat | kPsJoinMiter;
    for (std::uint32_t style :
         {geometric | kPsSolid, geometric | kPsDash, kPsGeometric | kPsEndCapSquare | kPsJoinBevel,
          geometric | kPsUserStyle, std::uint32_t{kPsAlternate}}) {
        Bytes p;
        p.U32(index).U32(0).U32(0).U32(0).U32(0).U32(style).U32(4).U32(kBsSolid).U32(0x0000FF).U32(0);
        if ((style & kPsStyleMask) == kPsUserStyle) {
            p.U32(2).U32(5).U32(3);
        } else {
            p.U32(0);
        }
        b.Add(kEmrExtCreatePen, p);
        b.Add(kEmrSelectObject, {static_cast<std::int32_t>(index++)}).Add(kEmrMoveToEx, {0, 0}).Add(kEmrLineTo, {5, 0});
    }
    b.Add(kEmrSetMiterLimit, Bytes().F32(4));
    b.Add(kEmrSelectObject, {static_cast<std::int32_t>(index - 4)}).Add(kEmrLineTo, {5, 5});
    // Twice the size: geometric widths and dashes scale, cosmetic ones stay one pixel.
    b.Add(kEmrSetMapMode, {kMmAnisotropic}).Add(kEmrSetViewportExtEx, {2, 2});
    b.Add(kEmrSelectObject, {2}).Add(kEmrLineTo, {0, 5});
    b.Add(kEmrSelectObject, {static_cast<std::int32_t>(index - 4)}).Add(kEmrLineTo, {5, 5});
    ExpectGolden("pens", Play(b.Finish()));
}

TEST(PlayerObjects, StockObjectsPalettesAndDeletion) {
    EmfBuilder b;
    b.Add(kEmrSelectObject, {static_cast<std::int32_t>(kStockObjectFlag | kNullPen)});
    b.Add(kEmrSelectObject, {static_cast<std::int32_t>(kStockObjectFlag | kGrayBrush)});
    b.Add(kEmrRectangle, {0, 0, 10, 10});
    b.Add(kEmrSelectObject, {static_cast<std::int32_t>(kStockObjectFlag | kWhitePen)});
    b.Add(kEmrSelectObject, {static_cast<std::int32_t>(kStockObjectFlag | kNullBrush)});
    b.Add(kEmrRectangle, {0, 0, 10, 10});
    // A palette whose entry 1 is orange; PALETTEINDEX(1) colours resolve through it.
    b.Add(kEmrCreatePalette, Bytes().U32(3).U16(0x300).U16(2).U32(0).U8(255).U8(128).U8(0).U8(0));
    b.Add(kEmrSelectPalette, {3}).Add(kEmrRealizePalette, {});
    b.Add(kEmrCreateBrushIndirect, {4, kBsSolid, 0x01000001, 0});
    b.Add(kEmrSelectObject, {4});
    b.Add(kEmrDeleteObject, {4});  // deleted while selected: stays in use
    b.Add(kEmrRectangle, {0, 0, 10, 10});
    b.Add(kEmrSelectObject, {4});       // gone from the table: selection ignored
    b.Add(kEmrSelectObject, {999999});  // never created, past the table limit
    b.Add(kEmrEllipse, {0, 0, 10, 10});
    b.Add(kEmrSetPaletteEntries, Bytes().U32(3).U32(1).U32(1).U8(0).U8(0).U8(255).U8(0));
    b.Add(kEmrSetTextColor, {0x01000001});
    b.Add(kEmrSelectObject, {static_cast<std::int32_t>(kStockObjectFlag | kDefaultPalette)});
    b.Add(kEmrSetBkColor, {0x01000001});  // the default palette's entry 1: dark red
    b.Add(kEmrSelectObject, {static_cast<std::int32_t>(kStockObjectFlag | kBlackBrush)});
    b.Add(kEmrSetBkMode, {kOpaque}).Add(kEmrCreateBrushIndirect, {6, kBsHatched, 0xFFFFFF, kHsDiagCross});
    b.Add(kEmrSelectObject, {6}).Add(kEmrRectangle, {0, 0, 10, 10});
    ExpectGolden("objects", Play(b.Finish()));
}

TEST(PlayerRobustness, UnknownAndDamagedRecordsAreSkipped) {
    EmfBuilder b;
    b.Add(250, {1, 2, 3});                      // unknown type
    b.Add(kEmrPolyline16, {0, 0, 0, 0, 1000});  // 1000 points announced, none there
    b.Add(kEmrSetMapMode, Bytes());             // parameter missing
    b.Add(kEmrMoveToEx, {0, 0}).Add(kEmrLineTo, {1, 1});
    PlayStats stats;
    const std::string text = Play(b.Finish(), {0, 0, 100, 100}, &stats);
    EXPECT_EQ(stats.unsupported, 1u);
    EXPECT_EQ(stats.damaged, 2u);
    EXPECT_EQ(stats.drawCalls, 1u);
    EXPECT_FALSE(stats.truncated);
    EXPECT_EQ(stats.records, 7u);
}

TEST(PlayerRobustness, NestingAndTablesAreBounded) {
    EmfBuilder b;
    for (int i = 0; i < 5000; ++i)
        b.Add(kEmrSaveDc, {});
    for (int i = 0; i < 5000; ++i)
        b.Add(kEmrIntersectClipRect, {i % 7, 0, 50, 50}).Add(kEmrExcludeClipRect, {1, 1, 2, 2});
    b.Add(kEmrCreatePen, {65535, 0, 1, 0, 0}).Add(kEmrCreatePen, {65536, 0, 1, 0, 0});
    b.Add(kEmrRectangle, {0, 0, 10, 10});
    for (int i = 0; i < 5000; ++i)
        b.Add(kEmrRestoreDc, {-1});
    PlayStats stats;
    const std::string text = Play(b.Finish(), {0, 0, 100, 100}, &stats);
    EXPECT_EQ(stats.drawCalls, 1u);
    EXPECT_EQ(stats.damaged, 0u);
}

}  // namespace
}  // namespace qrp::emf
