#include "qt_printer.h"

#include <algorithm>

#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include "base/errors.h"
#include "base/messages.h"
#include "cups_target.h"
#include "device_mode_mapping.h"
#include "qt_printer_canvas.h"
#include "render/output_device.h"

namespace qrp::print {

struct QtPrinter::Job {
    explicit Job(std::unique_ptr<FileStream> jobFile) : file(std::move(jobFile)) {}

    // Destroyed in reverse: the canvas and painter go before the writer they paint on, the
    // writer before the device it writes on, the device before its file.
    std::unique_ptr<FileStream> file;
    render::OutputDevice device{*file};
    JobTicket ticket;
    QPdfWriter output{&device};
    QPainter painter;
    QtPrinterCanvas canvas{painter};
};

QtPrinter::QtPrinter() : QtPrinter(std::make_unique<CupsTarget>()) {}

QtPrinter::QtPrinter(std::unique_ptr<PrintTarget> target) : m_target(std::move(target)) {}

QtPrinter::~QtPrinter() {
    if (!m_job)
        return;
    try {
        FinishJob(false);
    } catch (...) {
    }
}

void QtPrinter::RequireIdle() const {
    if (m_job)
        throw PrinterError(messages::printingInProgress());
}

void QtPrinter::RequirePrinting() const {
    if (!m_job)
        throw PrinterError(messages::printerNotPrinting());
}

std::vector<std::string> QtPrinter::Printers() {
    std::vector<std::string> names;
    for (const QString& name : m_target->PrinterNames())
        names.push_back(name.toStdString());
    return names;
}

QString QtPrinter::SelectedName() {
    if (!m_selected.isEmpty())
        return m_selected;
    const QString name = m_target->DefaultPrinterName();
    if (name.isEmpty())
        throw PrinterError(messages::noDefaultPrinter());
    return name;
}

int QtPrinter::PrinterIndex() {
    return static_cast<int>(m_target->PrinterNames().indexOf(SelectedName()));
}

void QtPrinter::SetPrinterIndex(int index) {
    RequireIdle();
    if (index == -1) {
        m_selected.clear();
        return;
    }
    const QStringList names = m_target->PrinterNames();
    if (index < 0 || index >= names.size())
        throw PrinterError(messages::printerIndexOutOfRange());
    m_selected = names[index];
}

PrinterFacts QtPrinter::FactsOf(const QString& name) {
    std::optional<PrinterFacts> facts = m_target->Facts(name);
    if (!facts)
        throw PrinterError(messages::printerNotValid());
    return std::move(*facts);
}

DeviceMode QtPrinter::DefaultMode(const QString& name) {
    const PrinterFacts facts = FactsOf(name);
    const std::unique_ptr<QPrinter> device = m_target->OpenDevice(name);
    if (!device)
        throw PrinterError(messages::printerNotValid());
    return ReadDeviceMode(*device, facts.offers);
}

void QtPrinter::Follow(const QString& name) {
    if (name == m_current)
        return;
    m_mode = DefaultMode(name);
    m_device.reset();
    m_current = name;
}

const QString& QtPrinter::Current() {
    // A job stays with the printer and device it began on, even when the system's default
    // changes under it; this also spares the spooler a query per page.
    if (!m_job)
        Follow(SelectedName());
    return m_current;
}

DeviceMode& QtPrinter::Mode() {
    Current();
    return m_mode;
}

DeviceSettings QtPrinter::GetPrinter() {
    const QString name = Current();
    const PrinterFacts facts = FactsOf(name);
    return {name.toStdString(), facts.driver.toStdString(), facts.port.toStdString(), m_mode};
}

void QtPrinter::SetPrinter(const DeviceSettings& settings) {
    RequireIdle();
    DeviceMode& mode = Mode();
    mode = settings.Mode ? *settings.Mode : DefaultMode(m_current);
    m_device.reset();
}

QPrinter& QtPrinter::Device() {
    const DeviceMode& mode = Mode();
    if (m_device)
        return *m_device;
    const PrinterFacts facts = FactsOf(m_current);
    std::unique_ptr<QPrinter> device = m_target->OpenDevice(m_current);
    if (!device)
        throw PrinterError(messages::printerNotValid());
    ApplyDeviceMode(mode, *device);
    if (m_jobPaper.isValid())
        device->setPageSize(m_jobPaper);
    device->setFullPage(true);
    m_metrics = MeasureDevice(device->pageLayout(), ChooseResolution(facts.resolutions));
    m_device = std::move(device);
    return *m_device;
}

void QtPrinter::SetJobPaper(const QPageSize& paper) {
    RequireIdle();
    m_jobPaper = paper;
    m_device.reset();
}

void QtPrinter::BeginDoc() {
    RequireIdle();
    const QPrinter& device = Device();
    auto job = std::make_unique<Job>(m_target->CreateJobFile());
    QPdfWriter& output = job->output;
    output.setResolution(m_metrics.dpi);
    // The whole sheet, as on a full-page printer: the origin is moved to the printable
    // area below.
    const QPageLayout layout = device.pageLayout();
    output.setPageLayout(QPageLayout(layout.pageSize(), layout.orientation(), QMarginsF()));
    const QString title = QString::fromStdString(m_title);
    // The PDF keeps no duplex setting: the ticket carries the device's.
    job->ticket = {title, layout, device.copyCount(), device.duplex(), m_jobOptions};
    render::PdfMetadata metadata = m_pdfMetadata;
    if (metadata.Title.isEmpty())
        metadata.Title = title;
    render::ApplyPdfMetadata(output, metadata);
    render::StampDatesAsWritten(job->device, metadata.Created);
    if (!job->painter.begin(&output))
        throw PrinterError(messages::printerNotValid());
    job->painter.translate(m_metrics.printable.topLeft());
    m_job = std::move(job);
}

void QtPrinter::NewPage() {
    RequirePrinting();
    m_job->output.newPage();
}

void QtPrinter::StartPage() {
    RequirePrinting();
}

void QtPrinter::FinishJob(bool deliver) {
    const std::unique_ptr<Job> job = std::move(m_job);
    const bool written = job->painter.end();
    if (!deliver)
        return;
    job->device.Finish();
    job->device.ThrowIfFailed();
    if (!written)
        throw FileError(messages::cannotCreateFile(job->file->Path(), "the PDF could not be written"));
    m_lastJob = m_target->Deliver(*job->file, job->ticket, m_current);
}

void QtPrinter::EndDoc() {
    RequirePrinting();
    FinishJob(true);
}

void QtPrinter::Abort() {
    RequirePrinting();
    FinishJob(false);
}

PrinterCanvas& QtPrinter::Canvas() {
    RequirePrinting();
    return m_job->canvas;
}

int QtPrinter::PageWidth() {
    Device();
    return m_metrics.printable.width();
}

int QtPrinter::PageHeight() {
    Device();
    return m_metrics.printable.height();
}

int QtPrinter::GetDeviceCaps(DeviceCap cap) {
    Device();
    return m_metrics.Cap(cap);
}

int QtPrinter::Copies() {
    return Mode().dmCopies;
}

TPrinterOrientation QtPrinter::Orientation() {
    return Mode().dmOrientation == DMORIENT_LANDSCAPE ? poLandscape : poPortrait;
}

std::optional<std::string> QtPrinter::DriverPath(const std::string& /*device*/) {
    return std::nullopt;
}

std::vector<std::uint16_t> QtPrinter::DevicePapers(const std::string& device, const std::string& /*port*/,
                                                   const DeviceMode* /*mode*/) {
    const std::optional<PrinterFacts> facts = m_target->Facts(QString::fromStdString(device));
    std::vector<std::uint16_t> ids;
    if (!facts)
        return ids;
    // The offered sizes do not depend on the mode. Sizes without a driver id cannot be
    // named; several sizes can share one id.
    for (const QPageSize& size : facts->pageSizes) {
        const int id = size.windowsId();
        if (id > 0 && std::find(ids.begin(), ids.end(), id) == ids.end())
            ids.push_back(static_cast<std::uint16_t>(id));
    }
    return ids;
}

}  // namespace qrp::print
