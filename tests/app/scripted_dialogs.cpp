#include "scripted_dialogs.h"

namespace qrp::test {

namespace {

class ScriptedProgress : public app::ProgressMonitor {
  public:
    ScriptedProgress(std::int32_t cancelAt, std::vector<std::string>& steps,
                     const std::function<void(const std::string&)>& onStep)
        : m_cancelAt(cancelAt), m_steps(steps), m_onStep(onStep) {}
    void SetValue(std::int32_t value) override { m_value = value; }
    void SetLabel(const std::string& label) override {
        if (!m_steps.empty() && m_steps.back() == label)
            return;
        m_steps.push_back(label);
        if (m_onStep)
            m_onStep(label);
    }
    bool Cancelled() override { return m_cancelAt >= 0 && m_value >= m_cancelAt; }

  private:
    std::int32_t m_cancelAt;
    std::vector<std::string>& m_steps;
    const std::function<void(const std::string&)>& m_onStep;
    std::int32_t m_value = 0;
};

template <class T>
std::optional<T> TakeFront(std::deque<T>& queue) {
    if (queue.empty())
        return std::nullopt;
    T front = std::move(queue.front());
    queue.pop_front();
    return front;
}

}  // namespace

std::optional<app::FileChoice> ScriptedDialogs::NextFile(const std::string& filter) {
    FileFilters.push_back(filter);
    return TakeFront(FileAnswers).value_or(std::nullopt);
}

std::optional<app::FileChoice> ScriptedDialogs::OpenFile(const std::string& filter) {
    return NextFile(filter);
}

std::optional<app::FileChoice> ScriptedDialogs::SaveFile(const std::string& filter) {
    return NextFile(filter);
}

bool ScriptedDialogs::Print(app::TPrintDialog& dialog, PrinterObject& printer) {
    const auto answer = TakeFront(PrintAnswers);
    return answer && (*answer)(dialog, printer);
}

void ScriptedDialogs::PrinterSetup(PrinterObject&) {
    ++PrinterSetups;
}

void ScriptedDialogs::Message(const std::string& text) {
    Messages.push_back(text);
}

bool ScriptedDialogs::Confirm(const std::string& text) {
    Questions.push_back(text);
    return TakeFront(ConfirmAnswers).value_or(false);
}

std::unique_ptr<app::ProgressMonitor> ScriptedDialogs::Progress(const std::string& label, std::int32_t) {
    ProgressLabels.push_back(label);
    return std::make_unique<ScriptedProgress>(CancelAtProgress, ProgressSteps, OnProgressStep);
}

}  // namespace qrp::test
