#include "export/filter_library.h"

#include <cctype>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include <gtest/gtest.h>

#include "export/csv_filter.h"
#include "export/html_filter.h"
#include "export/text_filter.h"
#include "support/test_paths.h"

namespace qrp::exporter {
namespace {

constexpr const char* kReportPair = "Report file(*.QRP)|*.QRP";
constexpr const char* kTextPair = "|Text file (*.TXT)|*.TXT";
constexpr const char* kCsvPair = "|Comma Separated (*.CSV)|*.CSV";
constexpr const char* kHtmlPair = "|HTML document (*.HTM)|*.HTM";

// Another class under the plain text filter's shown name: the library must match by name.
class LookAlikeFilter : public TQRExportFilter {
  public:
    using TQRExportFilter::TQRExportFilter;
    std::string ShownName() override { return "Text file"; }
};

TEST(ExportFilterBase, SlotsAnswerTheAbstractTexts) {
    TQRExportFilter filter("unused");
    EXPECT_EQ(filter.DescribeFilter(), "Abstract non-working export filter");
    EXPECT_EQ(filter.ShownName(), "Abstract filter");
    EXPECT_EQ(filter.DefaultExtension(), "");
    EXPECT_FALSE(filter.MakerName().empty());
    EXPECT_FALSE(filter.ContinuousLayout());
    EXPECT_EQ(filter.FileName(), "unused");
    EXPECT_FALSE(filter.Active());
    filter.BeginExport(2100, 2970, {});
    EXPECT_TRUE(filter.Active());
    filter.EndExport();
    EXPECT_FALSE(filter.Active());
}

struct FilterFacts {
    TQRExportFilterClass type;
    const char* describe;
    const char* name;
    const char* extension;
    bool continuous;
};

TEST(ExportFilterBase, EveryFilterKindDescribesItself) {
    const FilterFacts facts[] = {
        {FilterClassOf<TQRAsciiExportFilter>, "Text export (ASCII) filter", "Text file", "TXT", false},
        {FilterClassOf<TQRCommaSeparatedFilter>, "Comma separated text file", "Comma Separated", "CSV", false},
        {FilterClassOf<TQRHTMLDocumentFilter>, "HTML document for web publishing", "HTML document", "HTM", true},
        {FilterClassOf<TQRAbstractExportFilter>, "", "QRAbstract", "", false},
    };
    for (const auto& fact : facts) {
        const auto filter = fact.type("x");
        EXPECT_EQ(filter->DescribeFilter(), fact.describe);
        EXPECT_EQ(filter->ShownName(), fact.name);
        EXPECT_EQ(filter->DefaultExtension(), fact.extension);
        EXPECT_EQ(filter->ContinuousLayout(), fact.continuous) << fact.name;
        EXPECT_EQ(filter->MakerName(), TQRExportFilter("x").MakerName());
    }
}

TEST(FilterLibrary, ExistsOnlyWhileItsOwnerLives) {
    EXPECT_THROW(FilterLibrary(), std::logic_error);
    EXPECT_THROW(TQRTextFilter(), std::logic_error);
    {
        FilterLibraryOwner owner;
        EXPECT_THROW(FilterLibraryOwner(), std::logic_error);
        EXPECT_TRUE(FilterLibrary().Filters().empty());
    }
    EXPECT_THROW(FilterLibrary(), std::logic_error);
}

TEST(FilterLibrary, WithoutComponentsOffersOnlyTheReportFile) {
    FilterLibraryOwner owner;
    EXPECT_EQ(FilterLibrary().BuildSaveFilter(), kReportPair);
}

TEST(FilterLibrary, ViewerComponentsGiveExactlyFourPairs) {
    FilterLibraryOwner owner;
    TQRTextFilter text;
    TQRCSVFilter csv;
    TQRHTMLFilter html;
    EXPECT_EQ(FilterLibrary().BuildSaveFilter(), std::string(kReportPair) + kTextPair + kCsvPair + kHtmlPair);
    const auto& filters = FilterLibrary().Filters();
    ASSERT_EQ(filters.size(), 3u);
    EXPECT_EQ(filters[0].FilterType, FilterClassOf<TQRAsciiExportFilter>);
    EXPECT_EQ(filters[1].FilterType, FilterClassOf<TQRCommaSeparatedFilter>);
    EXPECT_EQ(filters[2].FilterType, FilterClassOf<TQRHTMLDocumentFilter>);
}

TEST(FilterLibrary, DialogIndexTwoAndUpPicksEntryIndexMinusTwo) {
    FilterLibraryOwner owner;
    TQRTextFilter text;
    TQRCSVFilter csv;
    TQRHTMLFilter html;
    const char* shown[] = {"Text file", "Comma Separated", "HTML document"};
    for (int dialogIndex = 2; dialogIndex <= 4; ++dialogIndex) {
        const auto& entry = FilterLibrary().Filters()[dialogIndex - 2];
        const auto filter = entry.FilterType("chosen");  // no extension added
        EXPECT_EQ(filter->ShownName(), shown[dialogIndex - 2]);
        EXPECT_EQ(filter->FileName(), "chosen");
    }
}

TEST(FilterLibrary, TwoTextComponentsListTheFormatTwiceAndTheFirstGoes) {
    FilterLibraryOwner owner;
    auto first = std::make_unique<TQRTextFilter>();
    TQRCSVFilter csv;
    TQRTextFilter second;
    EXPECT_EQ(FilterLibrary().BuildSaveFilter(), std::string(kReportPair) + kTextPair + kCsvPair + kTextPair);
    first.reset();
    EXPECT_EQ(FilterLibrary().BuildSaveFilter(), std::string(kReportPair) + kCsvPair + kTextPair);
}

TEST(FilterLibrary, DestroyingAComponentWhoseEntryIsGoneChangesNothing) {
    FilterLibraryOwner owner;
    auto text = std::make_unique<TQRTextFilter>();
    TQRHTMLFilter html;
    FilterLibrary().RemoveFilter(FilterClassOf<TQRAsciiExportFilter>);
    text.reset();
    EXPECT_EQ(FilterLibrary().BuildSaveFilter(), std::string(kReportPair) + kHtmlPair);
    FilterLibrary().RemoveFilter(FilterClassOf<TQRCommaSeparatedFilter>);
    EXPECT_EQ(FilterLibrary().Filters().size(), 1u);
}

TEST(FilterLibrary, RemovesByShownNameNotByClass) {
    FilterLibraryOwner owner;
    TQRCSVFilter csv;
    FilterLibrary().AddFilter(FilterClassOf<TQRAsciiExportFilter>);
    FilterLibrary().RemoveFilter(FilterClassOf<LookAlikeFilter>);
    EXPECT_EQ(FilterLibrary().BuildSaveFilter(), std::string(kReportPair) + kCsvPair);
}

TEST(FilterLibrary, EntriesTakeNameAndUpperCaseExtensionAtRegistration) {
    FilterLibraryOwner owner;
    TQRTextFilter text;
    TQRCSVFilter csv;
    TQRHTMLFilter html;
    for (const auto& entry : FilterLibrary().Filters()) {
        EXPECT_EQ(entry.FilterName, entry.FilterType({})->ShownName());
        EXPECT_EQ(entry.Extension, entry.FilterType({})->DefaultExtension());
        for (const char c : entry.Extension)
            EXPECT_TRUE(std::isupper(static_cast<unsigned char>(c))) << entry.Extension;
    }
}

TEST(FilterLibrary, AFilterThatIsNeverDrivenCreatesNoFile) {
    FilterLibraryOwner owner;
    TQRTextFilter text;
    TQRCSVFilter csv;
    TQRHTMLFilter html;
    qrp::test::ScratchDir dir;
    for (const auto& entry : FilterLibrary().Filters()) {
        const auto path = dir / ("out." + entry.Extension);
        entry.FilterType(path.string()).reset();
        EXPECT_FALSE(std::filesystem::exists(path)) << path;
    }
}

}  // namespace
}  // namespace qrp::exporter
