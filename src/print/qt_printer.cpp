#include "qt_printer.h"

#include <algorithm>
#include <exception>

#include <QFile>
#include <QPainter>
#include <QPrinter>

#include "base/errors.h"
#include "base/messages.h"
#include "cups_target.h"
#include "device_mode_mapping.h"
#include "qt_printer_canvas.h"

namespace qrp::print {

struct QtPrinter::Job {
    QString file;
    JobTicket ticket;
    // Destroyed in reverse: the canvas and painter go before the printer they paint on.
    QPrinter output{QPrinter::HighResolution};
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
    auto job = std::make_unique<Job>();
    job->file = m_target->CreateJobFile();
    QPrinter& output = job->output;
    output.setOutputFormat(QPrinter::PdfFormat);
    output.setOutputFileName(job->file);
    output.setResolution(m_metrics.dpi);
    output.setFullPage(true);
    output.setPageLayout(device.pageLayout());
    output.setDocName(QString::fromStdString(m_title));
    // A PDF printer keeps no duplex setting: the ticket carries the device's.
    job->ticket = {output.docName(), device.pageLayout(), device.copyCount(), device.duplex(), m_jobOptions};
    output.setCreator(m_pdfMetadata.Creator);
    if (!m_pdfMetadata.Title.isEmpty())
        output.setDocName(m_pdfMetadata.Title);
    if (m_pdfMetadata.Archival)
        output.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
    if (!job->painter.begin(&output)) {
        QFile::remove(job->file);
        throw PrinterError(messages::printerNotValid());
    }
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
    std::exception_ptr failure;
    if (deliver) {
        try {
            if (!written)
                throw FileError(messages::cannotCreateFile(job->file.toStdString(), "the PDF could not be written"));
            render::StampPdfFile(QFile::encodeName(job->file).toStdString(), m_pdfMetadata.Created);
            m_lastJob = m_target->Deliver(job->file, job->ticket, m_current);
        } catch (...) {
            failure = std::current_exception();
        }
    }
    QFile::remove(job->file);
    if (failure)
        std::rethrow_exception(failure);
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
