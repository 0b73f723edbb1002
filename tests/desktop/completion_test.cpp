// qrptool's bash completion, sourced into a real bash and asked as Tab asks it: commands
// and options as the program's own help lists them, files by the kind each place takes,
// printer names from CUPS.
#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "print/print_checks.h"
#include "support/test_paths.h"

namespace qrp::test {
namespace {

namespace fs = std::filesystem;
using Words = std::vector<std::string>;

Words Lines(const std::string& text) {
    Words lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The words the completion offers for Tab at the end of `line` (the last word is the one
// being completed), sorted, run in `dir`.
Words Complete(const fs::path& dir, const Words& line) {
    std::string words;
    for (const std::string& word : line)
        words += " " + Quoted(word);
    const std::string script = "cd " + Quoted(dir.string()) +
                               " && PATH=" + Quoted((BinaryDir() / "tools" / "qrptool").string()) +
                               ":$PATH && source " + Quoted(QRP_SOURCE_DIR "/data/completion/qrptool") +
                               " && COMP_WORDS=(" + words + ") && COMP_CWORD=" + std::to_string(line.size() - 1) +
                               "; _qrptool qrptool; ((${#COMPREPLY[@]})) && printf '%s\\n' \"${COMPREPLY[@]}\"";
    return Lines(test::Run("bash -c " + Quoted(script)).out);
}

class Completion : public ::testing::Test {
  protected:
    Completion() {
        for (const char* name : {"a.qrp", "B.QRP", "notes.txt", "page.emf", "with space.qrp"})
            WriteFileBytes(m_dir / name, {});
        fs::create_directory(m_dir / "folder");
    }
    Words Complete(const Words& line) const { return test::Complete(m_dir.Path(), line); }
    ScratchDir m_dir;
};

TEST_F(Completion, CommandsAndOptionsAreThoseOfTheProgram) {
    const Words commands = Complete({"qrptool", ""});
    for (const char* command : {"info", "thumbnail", "print", "printers", "--help", "--version"})
        EXPECT_NE(std::find(commands.begin(), commands.end(), command), commands.end()) << command;
    EXPECT_EQ(Complete({"qrptool", "th"}), Words{"thumbnail"});

    EXPECT_EQ(
        Complete({"qrptool", "print", "a.qrp", "--"}),
        (Words{"--collate", "--copies", "--even", "--from", "--help", "--landscape", "--n-up", "--odd", "--option",
               "--pages", "--pdf", "--portrait", "--printer", "--reverse", "--scale", "--sides", "--to"}));
    EXPECT_EQ(Complete({"qrptool", "print", "a.qrp", "--sides", ""}), (Words{"long", "one", "short"}));
    EXPECT_EQ(Complete({"qrptool", "export", "a.qrp", "--format", ""}), (Words{"csv", "html", "text", "xlsx"}));
    EXPECT_EQ(Complete({"qrptool", "print", "a.qrp", "--copies", ""}), Words{});
}

TEST_F(Completion, FilesOfTheKindEachPlaceTakes) {
    EXPECT_EQ(Complete({"qrptool", "info", ""}), (Words{"B.QRP", "a.qrp", "folder", "with space.qrp"}));
    // make OUT.qrp PAGE.emf...: after the report come its pages.
    EXPECT_EQ(Complete({"qrptool", "make", "out.qrp", "page.emf", ""}), (Words{"folder", "page.emf"}));
    EXPECT_EQ(Complete({"qrptool", "render", "a.qrp", "-o", ""}), Words{"folder"});
    EXPECT_EQ(Complete({"qrptool", "export", "a.qrp", "-o", "n"}), Words{"notes.txt"});
    EXPECT_EQ(Complete({"qrptool", "thumbnail", "a.qrp", "t.png", ""}), Words{});
}

TEST_F(Completion, PrinterNamesComeFromCups) {
    const Words queues = Lines(test::Run("lpstat -e").out);
    EXPECT_EQ(Complete({"qrptool", "print", "a.qrp", "--printer", ""}), queues);
}

}  // namespace
}  // namespace qrp::test
