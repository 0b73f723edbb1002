// The man pages and --help describe the same commands and options: an option added to a
// program's help and not to its man page, or left in the man page after it went, fails here.
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "print/print_checks.h"
#include "support/test_paths.h"

namespace qrp::test {
namespace {

namespace fs = std::filesystem;
using Names = std::set<std::string>;

// The options a text names: words of one or two dashes and a letter, after a space, a
// bracket, a bar, a parenthesis or a comma.
Names OptionsIn(const std::string& text) {
    static const std::regex option(R"((?:^|[\s\[|(,])(--?[A-Za-z][A-Za-z0-9-]*))");
    Names found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), option); it != std::sregex_iterator(); ++it)
        found.insert((*it)[1]);
    return found;
}

fs::path ManPage(const char* name) {
    return BinaryDir() / "data" / "man" / (std::string(name) + ".1");
}

// A man page's text by section, with roff's escaped dashes and font changes taken out: each
// ".SH NAME" opens section "NAME", each ".SS name" inside it section "NAME/name".
std::map<std::string, std::string> ManSections(const fs::path& page) {
    static const std::regex fonts(R"(\\f[BIRP]|\\&)");
    std::map<std::string, std::string> sections;
    std::ifstream in(page);
    std::string line, section, subsection;
    while (std::getline(in, line)) {
        line = std::regex_replace(std::regex_replace(line, std::regex(R"(\\-)"), "-"), fonts, "");
        if (line.starts_with(".SH ")) {
            section = line.substr(4);
            subsection.clear();
        } else if (line.starts_with(".SS ")) {
            subsection = section + "/" + line.substr(4);
        } else {
            sections[subsection.empty() ? section : subsection] += line + "\n";
        }
    }
    return sections;
}

std::string Help(const fs::path& program, const std::string& args) {
    const CommandResult help = test::Run(Quoted(program.string()) + " " + args);
    EXPECT_EQ(help.status, 0) << program << " " << args;
    return help.out;
}

// man's own check of the page, as lintian runs it: no warnings.
std::string ManWarnings(const fs::path& page) {
    return test::Run("LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z " + Quoted(page.string()) +
                     " 2>&1 >/dev/null")
        .out;
}

TEST(ManPages, QrptoolPageHasEveryCommandAndOptionOfItsHelp) {
    const fs::path qrptool = BinaryDir() / "tools" / "qrptool" / "qrptool";
    const auto man = ManSections(ManPage("qrptool"));
    const std::string help = Help(qrptool, "--help");
    EXPECT_EQ(OptionsIn(help), OptionsIn(man.at("OPTIONS")));

    // The commands are the help's indented lines under "commands:".
    Names commands;
    static const std::regex commandLine(R"(\n  ([a-z]+) )");
    const std::string list = help.substr(help.find("commands:"));
    for (auto it = std::sregex_iterator(list.begin(), list.end(), commandLine); it != std::sregex_iterator(); ++it)
        commands.insert((*it)[1]);
    Names documented;
    for (const auto& [name, text] : man)
        if (name.starts_with("COMMANDS/"))
            documented.insert(name.substr(9));
    EXPECT_EQ(commands, documented);
    EXPECT_GE(commands.size(), 10u);

    for (const std::string& command : commands) {
        if (man.contains("COMMANDS/" + command)) {
            EXPECT_EQ(OptionsIn(Help(qrptool, command + " --help")), OptionsIn(man.at("COMMANDS/" + command)))
                << command;
        }
    }
    EXPECT_EQ(ManWarnings(ManPage("qrptool")), "");
}

TEST(ManPages, QrpviewPageHasEveryOptionOfItsHelp) {
    const std::string help = Help(BinaryDir() / "src" / "app" / "qrpview", "--help");
    EXPECT_EQ(OptionsIn(help), OptionsIn(ManSections(ManPage("qrpview")).at("OPTIONS")));
    EXPECT_EQ(ManWarnings(ManPage("qrpview")), "");
}

}  // namespace
}  // namespace qrp::test
