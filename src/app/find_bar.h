// The find bar below the preview: the text to find, match case and whole words, previous
// and next, where the current match stands ("3 of 41"), and a close button. Typing asks for
// a search once the typing pauses; Enter and Shift+Enter step through the matches, Escape
// closes the bar.
#pragma once

#include <cstdint>

#include <QTimer>
#include <QWidget>

#include "export/report_search.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace qrp::app {

class FindBar : public QWidget {
    Q_OBJECT
  public:
    explicit FindBar(QWidget* parent = nullptr);

    // Shows the bar with the field focused and its text selected; with `text`, that text
    // is searched at once.
    void Open();
    void Open(const QString& text);
    QString Text() const;
    exporter::SearchOptions Options() const;
    // The counter: "3 of 41" (current 0: none chosen yet), while searching the pages done.
    void ShowCount(std::size_t current, std::size_t total, std::int32_t searched, std::int32_t pages, bool running);
    void ShowError(const QString& text);

    QLineEdit* Field = nullptr;
    QCheckBox* MatchCase = nullptr;
    QCheckBox* WholeWords = nullptr;
    QToolButton* PreviousButton = nullptr;
    QToolButton* NextButton = nullptr;
    QLabel* Counter = nullptr;
    QToolButton* CloseButton = nullptr;

  signals:
    // The text or an option changed and typing has paused (an empty text ends the search).
    void SearchRequested();
    void NextRequested();
    void PreviousRequested();
    void Closed();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Close();

    QTimer m_pause;
};

}  // namespace qrp::app
