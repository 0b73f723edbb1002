#include "missing_glyphs.h"

#include <mutex>
#include <set>
#include <unordered_map>

#include <QFont>
#include <QGlyphRun>
#include <QRawFont>
#include <QString>
#include <QTextLayout>

namespace qrp::render {

namespace {

struct Registry {
    std::mutex mutex;
    std::set<char32_t> missing;
    std::unordered_map<char32_t, bool> known;  // character -> some font has it
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

// Lays the character out alone: Qt's font merging draws it from any installed font that
// has it, and from none gives glyph 0, the box.
bool SomeFontHas(const QFont& font, char32_t c) {
    QTextLayout layout(QString::fromUcs4(&c, 1), font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    for (const QGlyphRun& run : layout.glyphRuns())
        for (const quint32 glyph : run.glyphIndexes())
            if (glyph != 0)
                return true;
    return false;
}

}  // namespace

void NoteMissingCharacters(const std::vector<char32_t>& characters) {
    if (characters.empty())
        return;
    Registry& registry = TheRegistry();
    const std::lock_guard lock(registry.mutex);
    registry.missing.insert(characters.begin(), characters.end());
}

std::vector<char32_t> TakeMissingCharacters() {
    Registry& registry = TheRegistry();
    const std::lock_guard lock(registry.mutex);
    std::vector<char32_t> characters(registry.missing.begin(), registry.missing.end());
    registry.missing.clear();
    return characters;
}

void NoteUnsupportedCharacters(const QFont& font, const QRawFont* raw, const QString& text) {
    Registry& registry = TheRegistry();
    for (const char32_t c : text.toUcs4()) {
        if (c <= 0x20 || QChar::isSpace(c) || QChar::category(c) == QChar::Other_Format ||
            (raw && raw->supportsCharacter(c)))
            continue;
        std::unique_lock lock(registry.mutex);
        auto known = registry.known.find(c);
        if (known == registry.known.end()) {
            lock.unlock();
            const bool has = SomeFontHas(font, c);
            lock.lock();
            known = registry.known.emplace(c, has).first;
        }
        if (!known->second)
            registry.missing.insert(c);
    }
}

}  // namespace qrp::render
