#include "print_options.h"

#include <algorithm>
#include <array>
#include <utility>

namespace qrp::tool {

namespace {

// The spooler or document value of a named choice; UsageError listing the choices.
template <typename T, std::size_t N>
T Choose(const ParsedArgs& parsed, const char* option, const std::array<std::pair<const char*, T>, N>& choices,
         T fallback) {
    const std::string text = parsed.Value(option);
    if (text.empty() && !parsed.values.contains(option))
        return fallback;
    std::string names;
    for (const auto& [name, value] : choices) {
        if (text == name)
            return value;
        names += names.empty() ? name : std::string("|") + name;
    }
    throw UsageError{std::string(option) + " takes " + names + ", not '" + text + "'"};
}

}  // namespace

PageOptions ReadPageOptions(const ParsedArgs& parsed) {
    PageOptions options;
    if (parsed.values.contains("--pages")) {
        const std::string list = parsed.Value("--pages");
        if (parsed.values.contains("--from") || parsed.values.contains("--to"))
            throw UsageError{"give --pages or --from/--to, not both"};
        const auto spans = ParsePageList(list);
        if (!spans || spans->empty())
            throw UsageError{"--pages takes a list such as 1-3,7, not '" + list + "'"};
        options.pages.List = *spans;
    }
    if (parsed.Has("--odd") && parsed.Has("--even"))
        throw UsageError{"give --odd or --even, not both"};
    options.pages.Set = parsed.Has("--odd")    ? TQRPageSet::Odd
                        : parsed.Has("--even") ? TQRPageSet::Even
                                               : TQRPageSet::All;
    options.pages.Reverse = parsed.Has("--reverse");
    options.scale = Choose<TQRPrintScale, 3>(
        parsed, "--scale",
        {{{"stretch", TQRPrintScale::Stretch}, {"fit", TQRPrintScale::Fit}, {"actual", TQRPrintScale::Actual}}},
        TQRPrintScale::Stretch);
    return options;
}

QStringList ReadJobOptions(const ParsedArgs& parsed) {
    QStringList options;
    const char* sides = Choose<const char*, 3>(
        parsed, "--sides", {{{"one", "one-sided"}, {"long", "two-sided-long-edge"}, {"short", "two-sided-short-edge"}}},
        nullptr);
    if (sides)
        options << QString("sides=") + sides;
    const char* nUp = Choose<const char*, 6>(
        parsed, "--n-up", {{{"1", "1"}, {"2", "2"}, {"4", "4"}, {"6", "6"}, {"9", "9"}, {"16", "16"}}}, nullptr);
    if (nUp)
        options << QString("number-up=") + nUp;
    if (parsed.Has("--collate"))
        options << "collate=true";
    for (const std::string& option : parsed.Values("--option")) {
        const auto eq = option.find('=');
        // lp splits at blanks and line breaks, and no value holds another control character;
        // the bytes of UTF-8 letters are neither.
        const bool plain =
            std::none_of(option.begin(), option.end(), [](unsigned char c) { return c <= ' ' || c == 0x7F; });
        if (eq == std::string::npos || eq == 0 || !plain)
            throw UsageError{"--option takes NAME=VALUE, not '" + option + "'"};
        options << QString::fromStdString(option);
    }
    return options;
}

}  // namespace qrp::tool
