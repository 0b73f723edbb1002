#include "qt_viewer_dialogs.h"

#include <algorithm>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>

#include "application_printer.h"
#include "base/errors.h"
#include "file_filters.h"
#include "print/dialog_choices.h"
#include "viewer_settings.h"

namespace qrp::app {

namespace {

// A QPrinter showing the application-wide printer's selection, copies and orientation, as
// far as the printer can tell them.
void Preset(QPrinter& device, PrinterObject& printer) {
    const std::vector<std::string> names = printer.Printers();
    try {
        const int index = printer.PrinterIndex();
        if (index >= 0 && index < static_cast<int>(names.size()))
            device.setPrinterName(QString::fromStdString(names[index]));
        device.setCopyCount(printer.Copies());
        device.setPageOrientation(printer.Orientation() == poLandscape ? QPageLayout::Landscape
                                                                       : QPageLayout::Portrait);
    } catch (const PrinterError&) {
        // No default printer, or no device settings: the dialog keeps Qt's own choice.
    }
}

TPrinterOrientation OrientationOf(const QPrinter& device) {
    return device.pageLayout().orientation() == QPageLayout::Landscape ? poLandscape : poPortrait;
}

class QtProgress : public ProgressMonitor {
  public:
    QtProgress(QWidget* parent, const QString& label, int maximum)
        : m_dialog(label, QObject::tr("Cancel"), 0, maximum, parent) {
        m_dialog.setWindowModality(Qt::WindowModal);
        m_dialog.setMinimumDuration(1000);
        m_dialog.setAutoClose(false);
        m_dialog.setAutoReset(false);
    }
    void SetValue(std::int32_t value) override { m_dialog.setValue(value); }
    void SetLabel(const std::string& label) override { m_dialog.setLabelText(QString::fromStdString(label)); }
    bool Cancelled() override { return m_dialog.wasCanceled(); }

  private:
    QProgressDialog m_dialog;
};

}  // namespace

std::optional<FileChoice> QtViewerDialogs::ChooseFile(const std::string& filter, bool save) {
    const QStringList filters = QtNameFilters(filter);
    QFileDialog dialog(m_parent);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters.front());
    const FileDialogKind kind = save ? FileDialogKind::Save : FileDialogKind::Load;
    if (const std::string folder = settings::LastFolder(kind); !folder.empty())
        dialog.setDirectory(QFile::decodeName(QByteArray::fromStdString(folder)));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    settings::SetLastFolder(kind, QFile::encodeName(dialog.directory().absolutePath()).toStdString());
    return FileChoice{QFile::encodeName(dialog.selectedFiles().front()).toStdString(),
                      FilterIndexOf(filters, dialog.selectedNameFilter())};
}

std::optional<FileChoice> QtViewerDialogs::OpenFile(const std::string& filter) {
    return ChooseFile(filter, false);
}

std::optional<FileChoice> QtViewerDialogs::SaveFile(const std::string& filter) {
    return ChooseFile(filter, true);
}

bool QtViewerDialogs::Print(TPrintDialog& state, PrinterObject& printer) {
    QPrinter device;
    Preset(device, printer);
    if (state.Paper.isValid())
        device.setPageSize(state.Paper);
    QPrintDialog dialog(&device, m_parent);
    dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintSelection |
                      QAbstractPrintDialog::PrintShowPageSize);
    dialog.setMinMax(state.MinPage, std::max(state.MinPage, state.MaxPage));
    device.setFromTo(std::clamp(state.FromPage, state.MinPage, std::max(state.MinPage, state.MaxPage)),
                     std::clamp(state.ToPage, state.MinPage, std::max(state.MinPage, state.MaxPage)));
    static constexpr QAbstractPrintDialog::PrintRange kRanges[] = {
        QAbstractPrintDialog::AllPages, QAbstractPrintDialog::Selection, QAbstractPrintDialog::PageRange};
    dialog.setPrintRange(kRanges[state.PrintRange]);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    switch (dialog.printRange()) {
        case QAbstractPrintDialog::Selection:
            state.PrintRange = prSelection;
            break;
        case QAbstractPrintDialog::PageRange:
            state.PrintRange = prPageNums;
            state.FromPage = device.fromPage();
            state.ToPage = device.toPage();
            break;
        default:
            state.PrintRange = prAllPages;
            break;
    }
    const print::DialogChoices choices = print::ReadDialogChoices(device);
    state.Pages = choices.pages;
    if (state.PrintRange != prPageNums)
        state.Pages.List.clear();
    state.JobOptions = choices.jobOptions;
    state.Paper = device.pageLayout().pageSize();
    const std::vector<std::string> names = printer.Printers();
    const auto chosen = std::find(names.begin(), names.end(), device.printerName().toStdString());
    if (chosen != names.end())
        printer.SetPrinterIndex(static_cast<int>(chosen - names.begin()));
    SetPrinterCopies(printer, device.copyCount());
    SetPrinterOrientation(printer, OrientationOf(device));
    return true;
}

void QtViewerDialogs::PrinterSetup(PrinterObject& printer) {
    QPrinter device;
    Preset(device, printer);
    QPageSetupDialog dialog(&device, m_parent);
    if (dialog.exec() == QDialog::Accepted)
        SetPrinterOrientation(printer, OrientationOf(device));
}

void QtViewerDialogs::Message(const std::string& text) {
    QMessageBox::information(m_parent, QApplication::applicationDisplayName(), QString::fromUtf8(text));
}

bool QtViewerDialogs::Confirm(const std::string& text) {
    return QMessageBox::question(m_parent, QApplication::applicationDisplayName(), QString::fromUtf8(text)) ==
           QMessageBox::Yes;
}

std::unique_ptr<ProgressMonitor> QtViewerDialogs::Progress(const std::string& label, std::int32_t maximum) {
    return std::make_unique<QtProgress>(m_parent, QString::fromUtf8(label), maximum);
}

}  // namespace qrp::app
