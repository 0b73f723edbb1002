#include "export_filter.h"

#include "base/messages.h"

namespace qrp::exporter {

std::string TQRExportFilter::DescribeFilter() {
    return messages::abstractFilterDescription();
}

std::string TQRExportFilter::DefaultExtension() {
    return {};
}

std::string TQRExportFilter::ShownName() {
    return messages::abstractFilterName();
}

std::string TQRExportFilter::MakerName() {
    return messages::filterMakerName();
}

bool TQRExportFilter::ContinuousLayout() {
    return false;
}

void TQRExportFilter::BeginExport(std::int32_t, std::int32_t, const TFont&) {
    FActive = true;
}

void TQRExportFilter::FinishPage() {}

void TQRExportFilter::EndExport() {
    FActive = false;
}

void TQRExportFilter::BeginPage() {}

void TQRExportFilter::AddText(long double, long double, const TFont&, TColor, TAlignment, const std::string&) {}

}  // namespace qrp::exporter
