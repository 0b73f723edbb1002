#include "queue_options.h"

#include <QProcess>
#include <QStandardPaths>

namespace qrp::print {

namespace {

// lpoptions only reads the scheduler's answer; ten seconds means it is stuck.
constexpr int kLpoptionsTimeoutMs = 10000;

}  // namespace

std::optional<QueueOption> ParseQueueOption(const QString& line) {
    const qsizetype colon = line.indexOf(QStringLiteral(": "));
    if (colon <= 0)
        return std::nullopt;
    QueueOption option;
    option.name = line.left(colon).section('/', 0, 0);
    for (QString choice : line.mid(colon + 2).split(' ', Qt::SkipEmptyParts)) {
        if (choice.startsWith('*')) {
            choice.remove(0, 1);
            option.chosen = choice;
        }
        option.choices << choice;
    }
    return option;
}

std::vector<QueueOption> QueueOptions(const QString& printer) {
    std::vector<QueueOption> options;
    const QString lpoptions = QStandardPaths::findExecutable("lpoptions");
    if (lpoptions.isEmpty())
        return options;
    QProcess process;
    process.start(lpoptions, {"-p", printer, "-l"});
    if (!process.waitForFinished(kLpoptionsTimeoutMs) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        process.kill();
        process.waitForFinished();
        return options;
    }
    for (const QString& line : QString::fromLocal8Bit(process.readAllStandardOutput()).split('\n'))
        if (std::optional<QueueOption> option = ParseQueueOption(line))
            options.push_back(std::move(*option));
    return options;
}

}  // namespace qrp::print
