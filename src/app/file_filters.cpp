#include "file_filters.h"

namespace qrp::app {

QStringList QtNameFilters(const std::string& filter) {
    const QStringList parts = QString::fromUtf8(filter).split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString pattern = parts[i + 1].trimmed();
        // Qt takes the patterns from the last parenthesised group of the entry.
        const QString group = u'(' + pattern + u')';
        filters << (description.endsWith(group) ? description : description + u' ' + group);
    }
    return filters;
}

int FilterIndexOf(const QStringList& filters, const QString& selected) {
    const qsizetype at = filters.indexOf(selected);
    return at < 0 ? 1 : static_cast<int>(at) + 1;
}

}  // namespace qrp::app
