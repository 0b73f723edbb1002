// A CUPS queue's own options as its driver offers them (lpoptions -l): each with its
// choices and the one the queue uses unless told otherwise. Qt's public API names neither
// the paper trays nor the driver's defaults.
#pragma once

#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

namespace qrp::print {

struct QueueOption {
    QString name;  // the driver's keyword: "Duplex", "InputSlot", "Resolution"
    QStringList choices;
    QString chosen;  // the default; empty when the driver marks none
};

// Empty when the queue has no options or lpoptions cannot tell them.
std::vector<QueueOption> QueueOptions(const QString& printer);
// One line of lpoptions -l ("Resolution/Output Resolution: 150dpi *300dpi"), or none.
std::optional<QueueOption> ParseQueueOption(const QString& line);

}  // namespace qrp::print
