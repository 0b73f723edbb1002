// The shipped font configuration: Windows face names reach installed fonts with the same
// metrics. The test environment applied it before Qt started, as the programs do.
#include "render/font_setup.h"

#include <cstdlib>

#include <QFont>
#include <QFontInfo>

#include <gtest/gtest.h>

namespace qrp::test {
namespace {

TEST(FontSetup, ConfigurationIsFoundAndInEffect) {
    const auto conf = render::ProjectFontConfig();
    ASSERT_TRUE(conf.has_value());
    EXPECT_EQ(conf->filename(), "qrpview-fonts.conf");
    // Already set (by the environment): left alone.
    EXPECT_EQ(render::UseProjectFontConfig(), std::filesystem::path(std::getenv("FONTCONFIG_FILE")));
}

struct Substitute {
    const char* asked;
    const char* expected;
};

class FontSubstitution : public ::testing::TestWithParam<Substitute> {};

TEST_P(FontSubstitution, FaceNameResolves) {
    QFont font(QString::fromUtf8(GetParam().asked));
    font.setPixelSize(20);
    EXPECT_EQ(QFontInfo(font).family().toStdString(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    WindowsFaces, FontSubstitution,
    ::testing::Values(Substitute{"Arial", "Liberation Sans"}, Substitute{"Helvetica", "Liberation Sans"},
                      Substitute{"Times New Roman", "Liberation Serif"}, Substitute{"Courier New", "Liberation Mono"},
                      Substitute{"細明體", "AR PL UMing TW"}, Substitute{"新細明體", "AR PL UMing TW"},
                      Substitute{"MingLiU", "AR PL UMing TW"}, Substitute{"PMingLiU", "AR PL UMing TW"},
                      Substitute{"標楷體", "AR PL UKai TW"}, Substitute{"DFKai-SB", "AR PL UKai TW"},
                      Substitute{"MS Sans Serif", "Liberation Sans"}, Substitute{"MS Shell Dlg", "Liberation Sans"},
                      Substitute{"Tahoma", "DejaVu Sans"}));

}  // namespace
}  // namespace qrp::test
