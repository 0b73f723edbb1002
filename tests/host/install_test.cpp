// `cmake --install` of the build into a staging folder puts each part where a desktop
// finds it.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "print/print_checks.h"
#include "support/test_paths.h"

namespace qrp::test {
namespace {

namespace fs = std::filesystem;

TEST(Install, PutsProgramsLibraryHeaderAndDesktopFilesInPlace) {
    const ScratchDir scratch;
    const fs::path stage = scratch / "install-stage";
    const CommandResult install =
        test::Run("cmake --install " + Quoted(BinaryDir().string()) + " --prefix " + Quoted(stage.string()));
    ASSERT_EQ(install.status, 0) << install.out;

    std::vector<std::string> listed;
    for (const auto& entry : fs::recursive_directory_iterator(stage))
        if (!entry.is_directory())
            listed.push_back(entry.path().lexically_relative(stage).string());
    std::sort(listed.begin(), listed.end());
    std::string listing;
    for (const auto& file : listed)
        listing += file + "\n";
    std::cout << listing;

    for (const char* expected :
         {"bin/qrpview", "bin/qrptool", "lib/libqrpviewer.so", "lib/qrpview/qrptool-print.so", "include/qrpviewer.h",
          "share/applications/qrpview.desktop", "share/mime/packages/qrpview.xml",
          "share/icons/hicolor/scalable/apps/qrpview.svg", "share/qrpview/fonts/qrpview-fonts.conf",
          "share/thumbnailers/qrpview.thumbnailer", "share/metainfo/org.example.qrpview.metainfo.xml",
          "share/man/man1/qrpview.1.gz", "share/man/man1/qrptool.1.gz", "share/bash-completion/completions/qrptool",
          "share/doc/qrpview/copyright", "share/doc/qrpview/changelog.gz"})
        EXPECT_TRUE(std::find(listed.begin(), listed.end(), expected) != listed.end()) << expected << "\n" << listing;

    // The installed program finds its library next door, not in the build tree.
    const CommandResult libraries = test::Run("ldd " + Quoted((stage / "bin/qrpview").string()));
    EXPECT_NE(libraries.out.find((stage / "bin/../lib/libqrpviewer.so").string()), std::string::npos) << libraries.out;

    // The installed tool loads its printing module from the installed tree.
    const fs::path pdf = scratch / "installed-tool.pdf";
    const CommandResult printed =
        test::Run(Quoted((stage / "bin/qrptool").string()) + " pdf " +
                  Quoted((BinaryDir() / "samples" / "sample.qrp").string()) + " -o " + Quoted(pdf.string()));
    EXPECT_EQ(printed.status, 0) << printed.out;
    EXPECT_TRUE(fs::is_regular_file(pdf)) << printed.out;
}

}  // namespace
}  // namespace qrp::test
