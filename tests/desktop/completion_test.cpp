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

// A bash command line that prints the words the completion offers for Tab at the end of
// `line` (the last word is the one being completed), one a line, run in `dir`.
std::string CompletionScript(const fs::path& dir, const Words& line) {
    std::string words;
    for (const std::string& word : line)
        words += " " + Quoted(word);
    return "cd " + Quoted(dir.string()) + " && PATH=" + Quoted((BinaryDir() / "tools" / "qrptool").string()) +
           ":$PATH && source " + Quoted(QRP_SOURCE_DIR "/data/completion/qrptool") + " && COMP_WORDS=(" + words +
           ") && COMP_CWORD=" + std::to_string(line.size() - 1) +
           "; _qrptool qrptool; ((${#COMPREPLY[@]})) && printf '%s\\n' \"${COMPREPLY[@]}\"";
}

// The offered words, sorted.
Words Complete(const fs::path& dir, const Words& line) {
    return Lines(test::Run("bash -c " + Quoted(CompletionScript(dir, line))).out);
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

// lpadmin takes a queue named like a command substitution; completing it must not run it,
// and what goes on the line must not run either when the line does.
TEST_F(Completion, PrinterNamesAreOfferedQuotedAndNeverRun) {
    const std::string queue = "x$(touch${IFS}ran)";
    const std::string offered = "x\\$\\(touch\\$\\{IFS\\}ran\\)";
    const auto complete = [&](const std::string& typed) {
        return "(" + CompletionScript(m_dir.Path(), {"qrptool", "print", "a.qrp", "--printer", typed}) + ")";
    };
    const std::string script = "lpadmin -p " + Quoted(queue) + " -E -v file:///dev/null && " + complete("") +
                               " && echo -- && " + complete("x");
    const test::CommandResult result =
        test::Run(QRP_SOURCE_DIR "/tests/support/with_private_cups.sh bash -c " + Quoted(script));
    if (result.status == 77)
        GTEST_SKIP() << "no print scheduler of the test's own";
    const std::size_t split = result.out.find("--\n");
    ASSERT_NE(split, std::string::npos) << result.out;
    EXPECT_EQ(Lines(result.out.substr(0, split)), (Words{"Alpha", "Beta", offered}));
    EXPECT_EQ(Lines(result.out.substr(split + 3)), Words{offered});
    EXPECT_FALSE(fs::exists(m_dir.Path() / "ran"));
    // The word offered, run as the shell runs the line, is the queue's name.
    EXPECT_EQ(test::Run("bash -c " + Quoted("printf %s " + offered)).out, queue);
}

}  // namespace
}  // namespace qrp::test
