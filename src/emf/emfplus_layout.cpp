#include "emfplus_layout.h"

namespace qrp::emf::plus {

namespace {

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\u3000';
}

std::vector<std::u16string> Paragraphs(std::u16string_view text) {
    std::vector<std::u16string> paragraphs(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            continue;
        if (text[i] == u'\n' || text[i] == u'\r')
            paragraphs.emplace_back();
        else
            paragraphs.back().push_back(text[i]);
    }
    return paragraphs;
}

// Fills lines of at most `width` from one paragraph.
class LineFiller {
  public:
    LineFiller(double width, const MeasureText& measure, std::vector<std::u16string>& lines)
        : m_width(width), m_measure(measure), m_lines(lines) {}

    void Word(std::u16string_view word, std::u16string_view spaces) {
        const double wordWidth = m_measure(word);
        if (!m_line.empty() && m_lineWidth + m_spaceWidth + wordWidth > m_width)
            Break();
        if (m_line.empty() && wordWidth > m_width) {
            Characters(word);
        } else {
            m_line.append(m_spaces).append(word);
            m_lineWidth += m_spaceWidth + wordWidth;
        }
        m_spaces = spaces;
        m_spaceWidth = spaces.empty() ? 0 : m_measure(spaces);
    }

    void Finish() { Break(); }

  private:
    void Break() {
        m_lines.push_back(std::move(m_line));
        m_line.clear();
        m_lineWidth = m_spaceWidth = 0;
        m_spaces = {};
    }

    // A word too long for any line: as many characters (surrogate pairs kept whole) as fit.
    void Characters(std::u16string_view word) {
        for (std::size_t i = 0; i < word.size();) {
            const std::size_t n = (word[i] >= 0xD800 && word[i] < 0xDC00 && i + 1 < word.size()) ? 2 : 1;
            const double w = m_measure(word.substr(i, n));
            if (!m_line.empty() && m_lineWidth + w > m_width)
                Break();
            m_line.append(word.substr(i, n));
            m_lineWidth += w;
            i += n;
        }
    }

    double m_width;
    const MeasureText& m_measure;
    std::vector<std::u16string>& m_lines;
    std::u16string m_line;
    double m_lineWidth = 0, m_spaceWidth = 0;
    std::u16string_view m_spaces;
};

}  // namespace

std::vector<std::u16string> LayOutLines(std::u16string_view text, double width, const MeasureText& measure) {
    std::vector<std::u16string> paragraphs = Paragraphs(text);
    if (!(width > 0))
        return paragraphs;
    std::vector<std::u16string> lines;
    for (const std::u16string& paragraph : paragraphs) {
        const std::u16string_view p = paragraph;
        LineFiller filler(width, measure, lines);
        std::size_t at = 0;
        while (at < p.size()) {
            std::size_t end = at;
            while (end < p.size() && !IsSpace(p[end]))
                ++end;
            std::size_t next = end;
            while (next < p.size() && IsSpace(p[next]))
                ++next;
            filler.Word(p.substr(at, end - at), p.substr(end, next - end));
            at = next;
        }
        filler.Finish();
    }
    return lines;
}

}  // namespace qrp::emf::plus
