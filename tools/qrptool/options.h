// Argument parsing shared by the commands.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "command.h"

namespace qrp::tool {

struct ParsedArgs {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;                 // options that take a value ("-o" -> "out.emf")
    std::map<std::string, std::vector<std::string>> repeated;  // every value given, in order
    std::set<std::string> flags;                               // options without a value ("--json")

    bool Has(const std::string& flag) const { return flags.contains(flag); }
    std::string Value(const std::string& option) const;
    // Every value of an option that may be given more than once; the last one is Value.
    std::vector<std::string> Values(const std::string& option) const;
    // The file named by -o or --output; UsageError "missing -o <what>" when neither is given.
    std::string Output(const char* what) const;
};

// Throws UsageError for an unknown option or a missing value. "--name=value" is accepted
// for options that take a value.
ParsedArgs ParseArgs(const Args& args, std::initializer_list<const char*> valueOptions,
                     std::initializer_list<const char*> flagOptions);

// A whole number in [min, max]; throws UsageError naming what it is otherwise.
std::int64_t ParseNumber(const std::string& text, const char* what, std::int64_t min, std::int64_t max);

}  // namespace qrp::tool
