// The report's printer object on Qt's print support. The printers, and where a finished
// job goes, come from a PrintTarget: by default the system's CUPS queues (cups_target.h);
// PdfPrinter (pdf_printer.h) prints into a PDF file instead.
//
// The device mode is ours: the driver's defaults are read from a QPrinter for the printer,
// and the mode is applied to a fresh QPrinter, the device context, whenever it changed.
// That device answers GetDeviceCaps: resolution (ChooseResolution), the unprintable
// margins as physical offsets, the sheet as physical size, the printable area as page
// width and height. A job is a QPainter on a PDF writer laid out like the device, with the
// origin moved to the printable area's corner as printers have it, writing on the target's
// job file through a device that checks every write (a job never goes to Qt's native
// printing); EndDoc hands the file to the target, Abort drops it, so an aborted job never
// reaches the spooler.
//
// Where Qt has no answer: paper sources cannot be chosen through Qt on CUPS (the mode's
// source is kept but never offered or applied), and the driver's file path is unknown
// (DriverPath gives none, so the driver name is the printer's make and model).
#pragma once

#include <memory>
#include <string>

#include <QString>
#include <QStringList>

#include "device_metrics.h"
#include "print_target.h"
#include "render/pdf_metadata.h"
#include "report/printer.h"

class QPrinter;

namespace qrp::print {

class QtPrinter : public PrinterObject {
  public:
    // The system's printers.
    QtPrinter();
    explicit QtPrinter(std::unique_ptr<PrintTarget> target);
    // An open job is dropped as by Abort.
    ~QtPrinter() override;
    QtPrinter(const QtPrinter&) = delete;
    QtPrinter& operator=(const QtPrinter&) = delete;

    std::vector<std::string> Printers() override;
    // The selected printer's place in Printers(); -1 when it has left the list.
    int PrinterIndex() override;
    void SetPrinterIndex(int index) override;
    DeviceSettings GetPrinter() override;
    // The mode is for the selected printer; the names are not looked at.
    void SetPrinter(const DeviceSettings& settings) override;
    std::string Title() override { return m_title; }
    void SetTitle(const std::string& title) override { m_title = title; }
    bool Printing() override { return m_job != nullptr; }
    // Also FileError when the job's file cannot be created.
    void BeginDoc() override;
    void NewPage() override;
    // Also PrinterError "The print job was not accepted: ..." when the spooler refuses it,
    // FileError when the PDF cannot be put in place; the job is closed either way.
    void EndDoc() override;
    void Abort() override;
    // "Printer is not currently printing" outside a job.
    PrinterCanvas& Canvas() override;
    int PageWidth() override;
    int PageHeight() override;
    int GetDeviceCaps(DeviceCap cap) override;
    int Copies() override;
    TPrinterOrientation Orientation() override;
    std::optional<std::string> DriverPath(const std::string& device) override;
    std::vector<std::uint16_t> DevicePapers(const std::string& device, const std::string& port,
                                            const DeviceMode* mode) override;

    // Starts a device page. BeginDoc and NewPage already start the next page, so a job's
    // page is always started and this has no effect beyond the check for an open job: a
    // direct run's extra page start after each page break makes no blank sheet.
    void StartPage() override;
    // Job options for the spooler beyond the device mode ("sides=two-sided-long-edge",
    // "number-up=2"), as lp -o takes them; they go with every later job.
    void SetJobOptions(const QStringList& options) { m_jobOptions = options; }
    // Title, creator, date and PDF version of the PDF every later job writes (by default
    // the job's title, this program as creator and the time of writing).
    void SetPdfMetadata(const render::PdfMetadata& metadata) { m_pdfMetadata = metadata; }
    // The paper of every later job, over the device mode's (which stays the report's and
    // sizes its preview); an invalid size gives the device mode's paper back.
    void SetJobPaper(const QPageSize& paper);
    // What became of the last finished job: the spooler's job id or the PDF file's path.
    const std::string& LastJob() const { return m_lastJob; }

  private:
    struct Job;

    QString SelectedName();
    // Follows the selection: another printer gets its driver's defaults and a new device.
    void Follow(const QString& name);
    // The printer the mode and device are for: the selected one, or the job's.
    const QString& Current();
    DeviceMode& Mode();
    PrinterFacts FactsOf(const QString& name);
    DeviceMode DefaultMode(const QString& name);
    QPrinter& Device();
    // Ends the painter and drops the job's file, after handing it on when deliver is set.
    void FinishJob(bool deliver);
    void RequireIdle() const;
    void RequirePrinting() const;

    std::unique_ptr<PrintTarget> m_target;
    QString m_selected;  // empty: the system's default printer
    QString m_current;   // the printer m_mode and m_device belong to
    DeviceMode m_mode;
    std::unique_ptr<QPrinter> m_device;
    DeviceMetrics m_metrics;
    std::string m_title;
    QStringList m_jobOptions;
    render::PdfMetadata m_pdfMetadata;
    QPageSize m_jobPaper;
    std::unique_ptr<Job> m_job;
    std::string m_lastJob;
};

}  // namespace qrp::print
