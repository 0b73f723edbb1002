// Every picture of the shared corpus plays; every damaged one ends without a crash.
#include <gtest/gtest.h>

#include "emf/emf_format.h"
#include "emf/player.h"
#include "emf/record_reader.h"
#include "support/recording_device.h"
#include "support/test_paths.h"

namespace qrp::emf {
namespace {

// Records that put something on the page when a picture has them.
bool Draws(std::uint32_t type) {
    switch (type) {
        case kEmrLineTo:
        case kEmrPolyline:
        case kEmrPolygon:
        case kEmrPolyline16:
        case kEmrPolygon16:
        case kEmrPolyPolygon16:
        case kEmrPolyPolyline16:
        case kEmrRectangle:
        case kEmrEllipse:
        case kEmrRoundRect:
        case kEmrExtTextOutW:
        case kEmrStretchDiBits:
        case kEmrBitBlt:
        case kEmrStretchBlt:
        case kEmrFillPath:
        case kEmrStrokePath:
        case kEmrStrokeAndFillPath:
        case kEmrPie:
        case kEmrSetPixelV:
            return true;
        default:
            return false;
    }
}

bool HasDrawingRecords(std::span<const std::uint8_t> emf) {
    RecordReader reader(emf);
    while (const auto r = reader.Next()) {
        if (Draws(r->Type()))
            return true;
    }
    return false;
}

TEST(EmfCorpus, EveryPicturePlays) {
    const auto files = test::CorpusFiles("emf");
    if (files.empty())
        GTEST_SKIP() << "no EMF corpus beside this checkout";
    std::size_t played = 0, silent = 0;
    for (const auto& path : files) {
        const auto bytes = test::ReadFileBytes(path);
        test::RecordingDevice device;
        device.SetKeepLines(false);
        PlayStats stats;
        try {
            const Player player(bytes);
            stats = player.Play(device, {0, 0, 850, 1100});
        } catch (const std::exception& e) {
            ADD_FAILURE() << path.filename() << ": " << e.what();
            continue;
        }
        ++played;
        EXPECT_EQ(stats.drawCalls, device.Draws()) << path.filename();
        if (HasDrawingRecords(bytes) && device.Draws() == 0) {
            ++silent;
            ADD_FAILURE() << path.filename() << " has drawing records but drew nothing";
        }
    }
    EXPECT_EQ(played, files.size());
    EXPECT_EQ(silent, 0u);
}

TEST(EmfCorpus, DamagedPicturesEndCleanly) {
    const auto files = test::CorpusFiles("emf-malformed");
    if (files.empty())
        GTEST_SKIP() << "no EMF corpus beside this checkout";
    for (const auto& path : files) {
        const auto bytes = test::ReadFileBytes(path);
        test::RecordingDevice device;
        device.SetKeepLines(false);
        try {
            Player(bytes).Play(device, {0, 0, 850, 1100});
        } catch (const EQRError& e) {
            // Only a missing or broken header may refuse the whole picture.
            EXPECT_NE(std::string(e.what()).find("Metafile is not valid"), std::string::npos) << path.filename();
        }
    }
}

}  // namespace
}  // namespace qrp::emf
