// The EMR_HEADER record of a picture: frame, bounds and the reference device.
#pragma once

#include <cstdint>
#include <span>

#include "record_reader.h"

namespace qrp::emf {

struct Header {
    RectL bounds;  // device units of the reference device, inclusive
    RectL frame;   // 0.01 mm, inclusive
    std::uint32_t bytes = 0;
    std::uint32_t records = 0;
    std::uint16_t handles = 0;
    PointL devicePixels;       // reference device size in pixels
    PointL deviceMillimeters;  // and in millimetres
    std::uint32_t headerSize = 0;

    // Reference-device pixels per millimetre. Broken headers with a non-positive size get
    // 96 dpi, so that playback still has a scale.
    double PixelsPerMmX() const;
    double PixelsPerMmY() const;
    // The frame in reference-device pixels: what PlayEnhMetaFile stretches onto the
    // destination rectangle.
    double FrameLeftPx() const { return frame.left / 100.0 * PixelsPerMmX(); }
    double FrameTopPx() const { return frame.top / 100.0 * PixelsPerMmY(); }
    double FrameWidthPx() const { return (double(frame.right) - frame.left) / 100.0 * PixelsPerMmX(); }
    double FrameHeightPx() const { return (double(frame.bottom) - frame.top) / 100.0 * PixelsPerMmY(); }
};

// Reads the header record at the start of `emf`. Throws EQRError ("Metafile is not valid:
// ...") when the data does not start with an EMF header record.
Header ReadHeader(std::span<const std::uint8_t> emf);

}  // namespace qrp::emf
