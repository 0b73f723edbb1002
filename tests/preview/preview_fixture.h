// A preview in a shown host widget (so that resizes reach it at once) and a real document
// loaded from a report file of block pages, over a fake printer.
#pragma once

#include <filesystem>
#include <memory>

#include <QWidget>

#include <gtest/gtest.h>

#include "preview/preview.h"
#include "report/document.h"
#include "support/fake_printer.h"
#include "support/test_paths.h"

namespace qrp::test {

class PreviewTest : public ::testing::Test {
  protected:
    PreviewTest();

    // A new document over a fake printer; with `pages` > 0 it has loaded a report of that
    // many block pages.
    std::unique_ptr<TQRPrinter> Document(int pages = 3);
    void Resize(int width, int height) { preview->resize(width, height); }
    // Moves the page stream to 0, so that Fetched() tells whether a page was read since.
    static void ResetFetches(TQRPrinter& document);
    static bool Fetched(TQRPrinter& document);
    static void RunPostedEvents();

    ScratchDir scratch;
    QWidget host;
    preview::TQRPreview* preview;  // owned by host
};

}  // namespace qrp::test
