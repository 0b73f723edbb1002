// Shared by the player tests: play a picture onto a recording device, compare with a golden.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "emf/player.h"
#include "support/emf_builder.h"
#include "support/recording_device.h"
#include "support/test_paths.h"

namespace qrp::emf {

// Plays into (0, 0)-(100, 100): with the builder's default header, output = device pixels.
inline std::string Play(const std::vector<std::uint8_t>& emf, RectF destination = {0, 0, 100, 100},
                        PlayStats* stats = nullptr) {
    test::RecordingDevice device;
    const PlayStats s = Player(emf).Play(device, destination);
    if (stats)
        *stats = s;
    return device.Text();
}

// Compares the recorded calls with tests/data/golden/emf/<name>.records.txt.
inline void ExpectGolden(const std::string& name, const std::string& text) {
    EXPECT_EQ(test::CompareGolden(test::DataDir() / "golden" / "emf" / (name + ".records.txt"), text), "") << text;
}

}  // namespace qrp::emf
