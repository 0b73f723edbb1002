// Writes an archive of packed, text-heavy reports for the archive benchmarks and for trying
// qrptool's commands over many reports (text_report.h says how it is laid out).
// usage: make_archive DIR [REPORTS [PAGES]]   (default 1000 reports of 10 pages)
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "text_report.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 4) {
        std::fputs("usage: make_archive DIR [REPORTS [PAGES]]\n", stderr);
        return 2;
    }
    const int reports = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int pages = argc > 3 ? std::atoi(argv[3]) : 10;
    if (reports < 1 || pages < 1) {
        std::fputs("make_archive: REPORTS and PAGES must be whole numbers from 1\n", stderr);
        return 2;
    }
    try {
        qrp::bench::WriteTextArchive(argv[1], reports, pages);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make_archive: %s\n", error.what());
        return 1;
    }
    return 0;
}
