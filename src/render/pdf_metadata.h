// What a PDF of a report says about itself: the report's file name as its title, this
// program and version as its creator, and the report's own stamp as its creation date, so
// that a PDF made today from last year's report is dated last year. Optionally PDF/A-1b
// for archives (Qt's writer then adds the XMP metadata and the sRGB output intent).
//
// Qt's writer dates a PDF with the time of writing and has no setting for it, so the dates
// are put right in the bytes it writes: each date Qt wrote is rewritten in place at the same
// length (the same instant is written in UTC when Qt wrote "Z"), so no offset in the
// cross-reference table moves.
#pragma once

#include <optional>
#include <string>

#include <QByteArray>
#include <QDateTime>
#include <QString>

class QPdfWriter;

namespace qrp::render {

class OutputDevice;

struct PdfMetadata {
    QString Title;
    QString Creator = DefaultCreator();
    QDateTime Created;      // invalid: left as the writer dates it
    bool Archival = false;  // PDF/A-1b

    static QString DefaultCreator();  // "qrpview VERSION"
};

// For a PDF of reportFile, whose header holds `stamp` (days since 1899-12-30, local time).
// Without a stamp, or with one that is no date between the years 1000 and 9999 (a damaged
// or unset header), the file's modification time stands in for it.
PdfMetadata ReportPdfMetadata(const std::string& reportFile, std::optional<double> stamp);

// Title, creator and version of a writer before its first page.
void ApplyPdfMetadata(QPdfWriter& writer, const PdfMetadata& metadata);

// Rewrites the creation date of the information dictionary and the creation and
// modification dates of the XMP metadata, as Qt's writer put them in the finished `pdf`,
// to `created`. False when there was no date of Qt's form to rewrite.
bool StampPdfDates(QByteArray& pdf, const QDateTime& created);
// Puts `created` into the dates of the PDF being written on `device` as they pass: Qt's
// writer puts them in the PDF's first kilobytes. Nothing to do for an invalid `created`.
void StampDatesAsWritten(OutputDevice& device, const QDateTime& created);

}  // namespace qrp::render
