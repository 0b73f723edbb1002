#include "preview_fixture.h"

#include <QCoreApplication>

#include "preview_pages.h"
#include "report/page_stream.h"

namespace qrp::test {

PreviewTest::PreviewTest() : preview(new preview::TQRPreview(&host)) {
    host.resize(2000, 2000);
    host.show();
}

std::unique_ptr<TQRPrinter> PreviewTest::Document(int pages) {
    auto document = std::make_unique<TQRPrinter>(std::make_unique<FakePrinter>());
    if (pages > 0) {
        const auto path = scratch / ("report" + std::to_string(pages) + ".qrp");
        if (!std::filesystem::exists(path))
            WriteReport(path, pages, BlockPage);
        document->Load(path.string());
    }
    return document;
}

void PreviewTest::ResetFetches(TQRPrinter& document) {
    document.PageStream()->SetPosition(0);
}

bool PreviewTest::Fetched(TQRPrinter& document) {
    return document.PageStream()->Position() != 0;
}

void PreviewTest::RunPostedEvents() {
    QCoreApplication::sendPostedEvents();
}

}  // namespace qrp::test
