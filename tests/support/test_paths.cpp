#include "support/test_paths.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <stdlib.h>

namespace qrp::test {

std::filesystem::path DataDir() {
    return QRP_TEST_DATA_DIR;
}

std::filesystem::path BinaryDir() {
    return QRP_BINARY_DIR;
}

std::optional<std::filesystem::path> CorpusDir() {
    if (const char* env = std::getenv("QRP_CORPUS_DIR"); env && *env) {
        if (std::filesystem::is_directory(env))
            return std::filesystem::path(env);
        return std::nullopt;
    }
    std::filesystem::path dir = QRP_CORPUS_DIR;
    if (std::filesystem::is_directory(dir / "emf"))
        return dir;
    return std::nullopt;
}

std::vector<std::filesystem::path> CorpusFiles(const std::string& sub) {
    std::vector<std::filesystem::path> files;
    const auto dir = CorpusDir();
    if (!dir || !std::filesystem::is_directory(*dir / sub))
        return files;
    for (const auto& entry : std::filesystem::directory_iterator(*dir / sub)) {
        if (entry.is_regular_file())
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

ScratchDir::ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qrp-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a scratch folder");
    m_path = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string CompareGolden(const std::filesystem::path& golden, const std::string& actual) {
    if (const char* update = std::getenv("QRP_UPDATE_GOLDEN"); update && std::string(update) == "1") {
        std::filesystem::create_directories(golden.parent_path());
        std::ofstream(golden, std::ios::binary | std::ios::trunc) << actual;
        return {};
    }
    std::ifstream in(golden, std::ios::binary);
    if (!in)
        return "missing golden file " + golden.string() + " (run with QRP_UPDATE_GOLDEN=1)";
    const std::string expected{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (expected == actual)
        return {};
    std::istringstream e(expected), a(actual);
    std::string el, al;
    for (int line = 1;; ++line) {
        const bool he = static_cast<bool>(std::getline(e, el));
        const bool ha = static_cast<bool>(std::getline(a, al));
        if (!he && !ha)
            break;
        if (el != al || he != ha)
            return golden.filename().string() + " line " + std::to_string(line) + ": expected \"" +
                   (he ? el : "<end>") + "\", got \"" + (ha ? al : "<end>") + "\"";
    }
    return "differs in line endings or trailing bytes";
}

}  // namespace qrp::test
