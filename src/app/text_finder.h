// Find across the report: runs the find bar's query over the shown document in a
// SearchWorker, keeps every match in page order, marks the shown page's matches on the
// preview and steps through them, turning pages through the window's own page turning
// and scrolling the current match into view. The first match at or after the page shown
// when the search began is shown as soon as it is found (wrapping to the first match of
// the report when there is none after it).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include <QObject>

#include "export/report_search.h"
#include "search_worker.h"

namespace qrp::preview {
class TQRPreview;
class TextOverlay;
}  // namespace qrp::preview

namespace qrp::app {

class FindBar;

class TextFinder : public QObject {
    Q_OBJECT
  public:
    using TurnPage = std::function<void(std::int32_t page)>;

    // All must outlive the finder; turnPage shows a page as the window's commands do.
    TextFinder(preview::TQRPreview& preview, preview::TextOverlay& overlay, FindBar& bar, TurnPage turnPage);

    // Before the shown document is freed or replaced: the search stops (its thread joined)
    // and the matches go.
    void DocumentGoing();
    // A new report is shown: an open bar's text is searched in it.
    void DocumentLoaded();

    void Next();
    void Previous();

    const std::vector<exporter::TextMatch>& Matches() const { return m_matches; }
    // The current match's place in Matches, if one is chosen.
    std::optional<std::size_t> Current() const { return m_current; }
    bool Searching() const { return m_worker.Running(); }

  private:
    void Search();
    void Clear();
    void Show(std::size_t index);
    void ShowCount();
    void Found(const std::vector<exporter::TextMatch>& matches);
    void Finished(const std::string& error);

    preview::TQRPreview& m_preview;
    preview::TextOverlay& m_overlay;
    FindBar& m_bar;
    TurnPage m_turnPage;
    SearchWorker m_worker;
    std::vector<exporter::TextMatch> m_matches;  // in page and reading order
    std::optional<std::size_t> m_current;
    std::int32_t m_startPage = 1;
    std::int32_t m_searched = 0, m_pages = 0;
};

}  // namespace qrp::app
