// A device that writes one text line per call, for golden files and for tests that count
// what a picture draws. Numbers are printed with two decimals.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "emf/device.h"

namespace qrp::test {

class RecordingDevice : public emf::Device {
  public:
    void SetClip(const emf::Clip& clip) override;
    void DrawPath(const emf::Path& path, const emf::Pen& pen, const emf::Brush& brush, std::uint32_t rop2) override;
    void DrawText(const emf::TextRun& run) override;
    void DrawImage(const emf::ImageDraw& draw) override;

    const std::vector<std::string>& Lines() const { return m_lines; }
    // All lines, each ending in a newline.
    std::string Text() const;
    std::size_t Paths() const { return m_paths; }
    std::size_t Texts() const { return m_texts; }
    std::size_t Images() const { return m_images; }
    std::size_t Draws() const { return m_paths + m_texts + m_images; }

    // Paths with more elements than this are summarised (element count and bounds), so
    // that corpus pages do not fill memory with text.
    void SetPathDetailLimit(std::size_t elements) { m_pathDetailLimit = elements; }
    // Stops keeping lines (counts go on): for playing large corpus files.
    void SetKeepLines(bool keep) { m_keepLines = keep; }

  private:
    void Emit(std::string line);

    std::vector<std::string> m_lines;
    std::size_t m_paths = 0, m_texts = 0, m_images = 0;
    std::size_t m_pathDetailLimit = 64;
    bool m_keepLines = true;
};

// Formats for the lines, shared with tests that check single values.
std::string FormatNumber(double v);
std::string FormatPoint(const emf::PointF& p);
std::string FormatPath(const emf::Path& path, std::size_t detailLimit = 64);
std::string ToUtf8(const std::u16string& text);

}  // namespace qrp::test
