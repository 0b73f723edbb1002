#include "text_finder.h"

#include <algorithm>

#include "find_bar.h"
#include "preview/preview.h"
#include "preview/text_overlay.h"

namespace qrp::app {

namespace {

// Room kept around a match scrolled into view, in image pixels.
constexpr int kViewMargin = 60;

}  // namespace

TextFinder::TextFinder(preview::TQRPreview& preview, preview::TextOverlay& overlay, FindBar& bar, TurnPage turnPage)
    : QObject(&bar), m_preview(preview), m_overlay(overlay), m_bar(bar), m_turnPage(std::move(turnPage)) {
    m_worker.OnMatches = [this](const std::vector<exporter::TextMatch>& matches) { Found(matches); };
    m_worker.OnProgress = [this](std::int32_t searched, std::int32_t pages) {
        m_searched = searched;
        m_pages = pages;
        ShowCount();
    };
    m_worker.OnFinished = [this](const std::string& error) { Finished(error); };
    connect(&bar, &FindBar::SearchRequested, this, &TextFinder::Search);
    connect(&bar, &FindBar::NextRequested, this, &TextFinder::Next);
    connect(&bar, &FindBar::PreviousRequested, this, &TextFinder::Previous);
    connect(&bar, &FindBar::Closed, this, &TextFinder::Clear);
    overlay.AddSource([this](std::int32_t page) {
        std::vector<preview::TextMark> marks;
        const auto first = std::ranges::lower_bound(m_matches, page, {}, &exporter::TextMatch::Page);
        for (auto match = first; match != m_matches.end() && match->Page == page; ++match) {
            const bool current = m_current && *m_current == static_cast<std::size_t>(match - m_matches.begin());
            for (const exporter::GlyphBox& box : match->Boxes)
                marks.push_back({box, current ? preview::MarkKind::CurrentMatch : preview::MarkKind::Match});
        }
        return marks;
    });
}

void TextFinder::Clear() {
    m_worker.Cancel();
    m_matches.clear();
    m_current.reset();
    m_searched = m_pages = 0;
    m_overlay.update();
    ShowCount();
}

void TextFinder::DocumentGoing() {
    Clear();
}

void TextFinder::DocumentLoaded() {
    if (m_bar.isVisible())
        Search();
}

void TextFinder::Search() {
    Clear();
    TQRPrinter* document = m_preview.Document();
    const exporter::TextQuery query(m_bar.Text().toStdString(), m_bar.Options());
    if (!document || query.Empty())
        return;
    m_startPage = m_preview.PageNumber();
    m_worker.Start(*document, query);
    ShowCount();
}

void TextFinder::Found(const std::vector<exporter::TextMatch>& matches) {
    m_matches.insert(m_matches.end(), matches.begin(), matches.end());
    if (!m_current && matches.front().Page >= m_startPage)
        Show(m_matches.size() - matches.size());
    else
        m_overlay.update();
    ShowCount();
}

void TextFinder::Finished(const std::string& error) {
    if (!error.empty()) {
        m_bar.ShowError(QString::fromStdString(error));
        return;
    }
    if (!m_current && !m_matches.empty())
        Show(0);
    ShowCount();
}

void TextFinder::ShowCount() {
    m_bar.ShowCount(m_current ? *m_current + 1 : 0, m_matches.size(), m_searched, m_pages, m_worker.Running());
}

void TextFinder::Show(std::size_t index) {
    m_current = index;
    const std::int32_t page = m_matches[index].Page;
    if (m_preview.PageNumber() != page) {
        m_turnPage(page);
        // The turn may have met the report rewritten on disk and reloaded it: the reload
        // searches again, and the match this was to show is gone.
        if (m_current != index)
            return;
    }
    const exporter::TextMatch& match = m_matches[index];
    QRectF area;
    for (const exporter::GlyphBox& box : match.Boxes)
        area |= m_overlay.OnImage(box);
    const QPoint centre = m_overlay.mapTo(m_preview.widget(), area.center().toPoint());
    m_preview.ensureVisible(centre.x(), centre.y(), static_cast<int>(area.width() / 2) + kViewMargin,
                            static_cast<int>(area.height() / 2) + kViewMargin);
    m_overlay.update();
    ShowCount();
}

// Steps from the current match when it is on the shown page; from elsewhere, the first
// match on or after the shown page (or the last on or before it, going back).
void TextFinder::Next() {
    if (m_matches.empty())
        return;
    const std::int32_t shown = m_preview.PageNumber();
    if (m_current && m_matches[*m_current].Page == shown) {
        Show((*m_current + 1) % m_matches.size());
        return;
    }
    const auto at = std::ranges::lower_bound(m_matches, shown, {}, &exporter::TextMatch::Page);
    Show(at == m_matches.end() ? 0 : static_cast<std::size_t>(at - m_matches.begin()));
}

void TextFinder::Previous() {
    if (m_matches.empty())
        return;
    const std::int32_t shown = m_preview.PageNumber();
    if (m_current && m_matches[*m_current].Page == shown) {
        Show((*m_current + m_matches.size() - 1) % m_matches.size());
        return;
    }
    const auto after = std::ranges::upper_bound(m_matches, shown, {}, &exporter::TextMatch::Page);
    Show(after == m_matches.begin() ? m_matches.size() - 1 : static_cast<std::size_t>(after - m_matches.begin()) - 1);
}

}  // namespace qrp::app
