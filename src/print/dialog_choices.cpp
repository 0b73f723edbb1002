#include "dialog_choices.h"

#include <QPageRanges>
#include <QPrintEngine>
#include <QPrinter>
#include <QRegularExpression>

namespace qrp::print {

namespace {

// Where Qt's CUPS engine keeps the dialog's job options: name, value, name, value...
const auto kCupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// lp splits its -o text at spaces and takes quotes and backslashes as its own: a value
// holding any of them (billing text, for one) goes in double quotes, " and \ escaped.
QString LpValue(const QString& value) {
    static const QRegularExpression plain(QStringLiteral(R"(^[^\s"'\\]*$)"));
    if (plain.match(value).hasMatch())
        return value;
    QString quoted = value;
    quoted.replace('\\', QStringLiteral("\\\\")).replace('"', QStringLiteral("\\\""));
    return '"' + quoted + '"';
}

}  // namespace

DialogChoices ReadDialogChoices(QPrinter& device) {
    DialogChoices choices;
    const QList<QPageRanges::Range> ranges = device.pageRanges().toRangeList();
    if (ranges.size() > 1)
        for (const QPageRanges::Range& range : ranges)
            choices.pages.List.push_back({range.from, range.to});
    choices.pages.Reverse = device.pageOrder() == QPrinter::LastPageFirst;

    const QStringList cups = device.printEngine()->property(kCupsOptions).toStringList();
    for (qsizetype i = 0; i + 1 < cups.size(); i += 2) {
        const QString& name = cups[i];
        const QString& value = cups[i + 1];
        if (name == "page-set")
            choices.pages.Set = value == "odd" ? TQRPageSet::Odd : value == "even" ? TQRPageSet::Even : TQRPageSet::All;
        else if (name != "page-ranges" && name != "outputorder")
            choices.jobOptions << name + "=" + LpValue(value);
    }
    switch (device.duplex()) {
        case QPrinter::DuplexLongSide:
            choices.jobOptions << "sides=two-sided-long-edge";
            break;
        case QPrinter::DuplexShortSide:
            choices.jobOptions << "sides=two-sided-short-edge";
            break;
        default:
            break;
    }
    if (device.copyCount() > 1)
        choices.jobOptions << (device.collateCopies() ? "collate=true" : "collate=false");
    return choices;
}

}  // namespace qrp::print
