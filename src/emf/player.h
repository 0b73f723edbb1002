// Plays an EMF onto a Device the way PlayEnhMetaFile plays it into a rectangle: the
// header's frame, converted to reference-device pixels, is stretched independently in x
// and y onto the destination rectangle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "device.h"
#include "emf_header.h"

namespace qrp::emf {

// What one playback did, for tests and diagnostics.
struct PlayStats {
    std::size_t records = 0;      // records read, header and EOF included
    std::size_t damaged = 0;      // records skipped because a field ran past their end
    std::size_t unsupported = 0;  // records of a type or form the player does not draw
    std::size_t drawCalls = 0;    // DrawPath, DrawText and DrawImage calls made
    bool truncated = false;       // the record chain ended on a broken size before EMR_EOF
    bool emfPlus = false;         // the EMF+ records were played, not the GDI ones
};

struct PlayOptions {
    // Play the GDI records of a picture that also carries EMF+ ones (for comparison).
    bool gdiOnly = false;
};

class Player {
  public:
    // Reads the header. Throws EQRError "Metafile is not valid: ..." when `emf` does not
    // start with an EMF header record. The bytes must outlive the player.
    explicit Player(std::span<const std::uint8_t> emf);

    const Header& GetHeader() const { return m_header; }

    // Draws every record onto `device`. Damaged and unknown records are skipped; a record
    // with an impossible size ends the picture there. Throws only what the device throws.
    //
    // A picture with EMF+ records is drawn from those, with the GDI records skipped but for
    // the ones GDI+ wrote between a GetDC record and the next EMF+ record. When its EMF+
    // records use anything not drawn here, or are damaged, its GDI records are played instead.
    PlayStats Play(Device& device, const RectF& destination, const PlayOptions& options = {}) const;

  private:
    std::span<const std::uint8_t> m_emf;
    Header m_header;
};

}  // namespace qrp::emf
