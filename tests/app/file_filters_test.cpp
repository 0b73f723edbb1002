#include "app/file_filters.h"

#include <gtest/gtest.h>

#include "export/csv_filter.h"
#include "export/filter_library.h"
#include "export/html_filter.h"
#include "export/text_filter.h"

namespace qrp::test {
namespace {

TEST(FileFilters, PairsBecomeQtFiltersWithoutRepeatingAPatternTheDescriptionShows) {
    EXPECT_EQ(app::QtNameFilters("Report files (*.qrp)|*.qrp"), QStringList{"Report files (*.qrp)"});
    EXPECT_EQ(app::QtNameFilters("Report file(*.QRP)|*.QRP|Text|*.TXT"),
              (QStringList{"Report file(*.QRP)", "Text (*.TXT)"}));
    EXPECT_EQ(app::QtNameFilters("Dangling|*.A|Alone"), QStringList{"Dangling (*.A)"});
    EXPECT_TRUE(app::QtNameFilters("").isEmpty());
}

TEST(FileFilters, TheLibrarysSaveFilterMapsBackToItsOneBasedIndex) {
    const exporter::FilterLibraryOwner owner;
    const exporter::TQRTextFilter text;
    const exporter::TQRCSVFilter csv;
    const exporter::TQRHTMLFilter html;
    const QStringList filters = app::QtNameFilters(exporter::FilterLibrary().BuildSaveFilter());
    ASSERT_EQ(filters.size(), 4);
    for (int i = 0; i < filters.size(); ++i)
        EXPECT_EQ(app::FilterIndexOf(filters, filters[i]), i + 1);
    // The index k >= 2 names the library's entry k - 2.
    EXPECT_TRUE(filters[2].startsWith(QString::fromStdString(exporter::FilterLibrary().Filters()[1].FilterName)));
    EXPECT_EQ(app::FilterIndexOf(filters, QStringLiteral("nothing of ours")), 1);
}

}  // namespace
}  // namespace qrp::test
