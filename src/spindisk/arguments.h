// A small parser for spindisk's GNU-style arguments: --flag, --name VALUE,
// --name=VALUE, a short -x or -x VALUE where an option has one, and "--"
// before positional arguments that start with "-". A lone "-" is positional.
#pragma once

#include <map>
#include <string>
#include <vector>

struct OptionSpec {
    const char* name;  // without the leading "--"
    bool takes_value;
    char short_name = 0;          // -x for the same option; 0: none
    bool optional_value = false;  // a flag that may also be given as --name=VALUE
};

struct ParsedArguments {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;  // flags map to ""; the last if given twice
    std::map<std::string, std::vector<std::string>> every;  // each value, in order, for options given more than once
    bool help = false;                          // --help or -h was given
    std::string error;                          // non-empty: bad usage, said for a person
    bool has(const std::string& name) const { return values.count(name) != 0; }
};

ParsedArguments parse_command_arguments(const std::vector<std::string>& args,
                                        const std::vector<OptionSpec>& options);

// Whole decimal numbers only ("12", not "1e3", "-1" or "12x"); false otherwise.
bool parse_unsigned(const std::string& text, unsigned long long max, unsigned long long& value);

// A decimal number that may have a fraction ("0.5", "3"); false otherwise.
bool parse_decimal(const std::string& text, double& value);
