// Where tests find their data, and a scratch folder per test.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qrp::test {

// tests/data in the source tree.
std::filesystem::path DataDir();
// The build tree (where the tools and generated sample reports are).
std::filesystem::path BinaryDir();
// The shared EMF corpus, when this checkout has it beside it; tests that need it skip
// when it is absent (a user's fresh clone).
std::optional<std::filesystem::path> CorpusDir();
// Sorted *.emf files of corpus/<sub> ("emf" or "emf-malformed"); empty without a corpus.
std::vector<std::filesystem::path> CorpusFiles(const std::string& sub);

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

  private:
    std::filesystem::path m_path;
};

// Compares text with a golden file; QRP_UPDATE_GOLDEN=1 rewrites the file instead.
// Returns an empty string on a match, else a description of the first difference.
std::string CompareGolden(const std::filesystem::path& golden, const std::string& actual);

}  // namespace qrp::test
