#include "pdf_metadata.h"

#include <QFile>
#include <QFileInfo>
#include <QPdfWriter>

#include "output_device.h"
#include "qrp_version.h"
#include "report/qrp_format.h"

namespace qrp::render {

namespace {

// A date as Qt's writer writes it: in UTC ending in "Z" when `utc`, else in local time
// with the offset, its hours and minutes around `zoneSeparator` and ending in `zoneEnd`.
QByteArray DateText(const QDateTime& created, bool utc, const QString& pattern, const char* zoneSeparator,
                    const char* zoneEnd) {
    if (utc)
        return created.toUTC().toString(pattern).toLatin1() + 'Z';
    const int offset = created.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return created.toString(pattern).toLatin1() + (offset < 0 ? '-' : '+') +
           QByteArray::number(minutes / 60).rightJustified(2, '0') + zoneSeparator +
           QByteArray::number(minutes % 60).rightJustified(2, '0') + zoneEnd;
}

// Rewrites the first date between `key` and `end` with the one `format` gives (in UTC
// when the old one ended in "Z"), when it is as long. False when there is none.
template <typename Format>
bool RewriteDate(QByteArray& pdf, const QByteArray& key, char end, Format format) {
    const qsizetype at = pdf.indexOf(key);
    if (at < 0)
        return false;
    const qsizetype first = at + key.size();
    const qsizetype last = pdf.indexOf(end, first);
    if (last <= first)
        return false;
    const QByteArray date = format(pdf[last - 1] == 'Z');
    if (date.size() != last - first)
        return false;
    pdf.replace(first, date.size(), date);
    return true;
}

}  // namespace

QString PdfMetadata::DefaultCreator() {
    return QStringLiteral("qrpview " QRP_VERSION);
}

PdfMetadata ReportPdfMetadata(const std::string& reportFile, std::optional<double> stamp) {
    const QFileInfo file(QFile::decodeName(QByteArray::fromStdString(reportFile)));
    PdfMetadata metadata;
    metadata.Title = file.fileName();
    if (stamp && *stamp > 0)
        metadata.Created = QDateTime::fromString(QString::fromStdString(StampTimeToIso(*stamp)), Qt::ISODate);
    if (!metadata.Created.isValid() || metadata.Created.date().year() < 1000 || metadata.Created.date().year() > 9999)
        metadata.Created = file.lastModified();
    return metadata;
}

void ApplyPdfMetadata(QPdfWriter& writer, const PdfMetadata& metadata) {
    writer.setTitle(metadata.Title);
    writer.setCreator(metadata.Creator);
    if (metadata.Archival)
        writer.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
}

bool StampPdfDates(QByteArray& pdf, const QDateTime& created) {
    const auto info = [&](bool utc) { return DateText(created, utc, QStringLiteral("yyyyMMddHHmmss"), "'", "'"); };
    const auto xmp = [&](bool utc) { return DateText(created, utc, QStringLiteral("yyyy-MM-ddTHH:mm:ss"), ":", ""); };
    const bool dated = RewriteDate(pdf, "/CreationDate (D:", ')', info);
    // The XMP metadata is written uncompressed, as PDF/A asks; its dates must agree with
    // the dictionary's.
    RewriteDate(pdf, "xmp:CreateDate=\"", '"', xmp);
    RewriteDate(pdf, "xmp:ModifyDate=\"", '"', xmp);
    return dated;
}

void StampDatesAsWritten(OutputDevice& device, const QDateTime& created) {
    if (!created.isValid())
        return;
    // The information dictionary and the XMP metadata come right after the header.
    constexpr qint64 kDatedHead = 64 * 1024;
    device.EditHead(kDatedHead, [created](QByteArray& head) { StampPdfDates(head, created); });
}

}  // namespace qrp::render
