#include "options.h"

#include <charconv>

namespace qrp::tool {

std::string ParsedArgs::Value(const std::string& option) const {
    const auto it = values.find(option);
    return it == values.end() ? std::string() : it->second;
}

std::vector<std::string> ParsedArgs::Values(const std::string& option) const {
    const auto it = repeated.find(option);
    return it == repeated.end() ? std::vector<std::string>() : it->second;
}

std::string ParsedArgs::Output(const char* what) const {
    std::string output = Value("-o");
    if (output.empty())
        output = Value("--output");
    if (output.empty())
        throw UsageError{std::string("missing -o ") + what};
    return output;
}

ParsedArgs ParseArgs(const Args& args, std::initializer_list<const char*> valueOptions,
                     std::initializer_list<const char*> flagOptions) {
    const auto isOneOf = [](const std::string& name, std::initializer_list<const char*> options) {
        for (const char* option : options)
            if (name == option)
                return true;
        return false;
    };
    ParsedArgs parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg[0] != '-') {
            parsed.positional.push_back(arg);
            continue;
        }
        std::string name = arg;
        std::string value;
        bool inlineValue = false;
        if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            inlineValue = true;
        }
        if (isOneOf(name, valueOptions)) {
            if (!inlineValue) {
                if (i + 1 >= args.size())
                    throw UsageError{"option " + name + " needs a value"};
                value = args[++i];
            }
            parsed.values[name] = value;
            parsed.repeated[name].push_back(value);
        } else if (!inlineValue && isOneOf(name, flagOptions)) {
            parsed.flags.insert(name);
        } else {
            throw UsageError{"unknown option " + arg};
        }
    }
    return parsed;
}

std::int64_t ParseNumber(const std::string& text, const char* what, std::int64_t min, std::int64_t max) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < min || value > max)
        throw UsageError{std::string(what) + " must be a whole number from " + std::to_string(min) + " to " +
                         std::to_string(max) + ", not '" + text + "'"};
    return value;
}

}  // namespace qrp::tool
