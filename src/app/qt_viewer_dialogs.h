// The viewer's dialogs on Qt: QFileDialog, QPrintDialog, QPageSetupDialog, QMessageBox and
// QProgressDialog, each made for one use and freed at its end.
#pragma once

#include "viewer_dialogs.h"

class QWidget;

namespace qrp::app {

class QtViewerDialogs : public ViewerDialogs {
  public:
    // parent: the window the dialogs belong to; it must outlive this object.
    explicit QtViewerDialogs(QWidget* parent) : m_parent(parent) {}

    std::optional<FileChoice> OpenFile(const std::string& filter) override;
    std::optional<FileChoice> SaveFile(const std::string& filter) override;
    bool Print(TPrintDialog& dialog, PrinterObject& printer) override;
    void PrinterSetup(PrinterObject& printer) override;
    void Message(const std::string& text) override;
    bool Confirm(const std::string& text) override;
    std::unique_ptr<ProgressMonitor> Progress(const std::string& label, std::int32_t maximum) override;

  private:
    std::optional<FileChoice> ChooseFile(const std::string& filter, bool save);

    QWidget* m_parent;
};

}  // namespace qrp::app
