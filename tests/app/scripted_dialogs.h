// The viewer's dialogs for the tests: answers are queued beforehand, and every dialog shown
// is logged with what it was given.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/viewer_dialogs.h"

namespace qrp::test {

class ScriptedDialogs : public app::ViewerDialogs {
  public:
    // Answers, taken front first; a dialog without an answer is cancelled.
    std::deque<std::optional<app::FileChoice>> FileAnswers;
    // Plays the user's part in the print dialog; returns whether it was confirmed.
    std::deque<std::function<bool(app::TPrintDialog&, PrinterObject&)>> PrintAnswers;
    std::deque<bool> ConfirmAnswers;
    // Progress displays report Cancelled from this value on; -1 never.
    std::int32_t CancelAtProgress = -1;

    // What was shown: filter texts of file dialogs, message texts, questions.
    std::vector<std::string> FileFilters;
    std::vector<std::string> Messages;
    std::vector<std::string> Questions;
    std::vector<std::string> ProgressLabels;
    std::vector<std::string> ProgressSteps;  // each new label a display changed to
    // Runs at each new label, where the job lets pending events run.
    std::function<void(const std::string& label)> OnProgressStep;
    int PrinterSetups = 0;

    std::optional<app::FileChoice> OpenFile(const std::string& filter) override;
    std::optional<app::FileChoice> SaveFile(const std::string& filter) override;
    bool Print(app::TPrintDialog& dialog, PrinterObject& printer) override;
    void PrinterSetup(PrinterObject& printer) override;
    void Message(const std::string& text) override;
    bool Confirm(const std::string& text) override;
    std::unique_ptr<app::ProgressMonitor> Progress(const std::string& label, std::int32_t maximum) override;

  private:
    std::optional<app::FileChoice> NextFile(const std::string& filter);
};

}  // namespace qrp::test
