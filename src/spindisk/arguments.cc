// spindisk's argument parsing.
#include "spindisk/arguments.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

// "-x" or "-x VALUE" (also "-xVALUE"); false with the error set otherwise.
bool apply_short_option(const std::vector<std::string>& args, const std::vector<OptionSpec>& options, size_t& i,
                        ParsedArguments& parsed) {
    const std::string& arg = args[i];
    const OptionSpec* spec = nullptr;
    for (const OptionSpec& option : options) {
        if (option.short_name != 0 && arg[1] == option.short_name) spec = &option;
    }
    if (!spec || (!spec->takes_value && arg.size() > 2)) {
        parsed.error = "unknown option '" + arg + "'";
        return false;
    }
    if (!spec->takes_value) {
        parsed.values[spec->name] = "";
    } else if (arg.size() > 2) {
        parsed.values[spec->name] = arg.substr(2);
    } else if (i + 1 < args.size()) {
        parsed.values[spec->name] = args[++i];
    } else {
        parsed.error = "option '" + arg + "' needs a value";
        return false;
    }
    return true;
}

}  // namespace

ParsedArguments parse_command_arguments(const std::vector<std::string>& args,
                                        const std::vector<OptionSpec>& options) {
    ParsedArguments parsed;
    bool only_positional = false;
    for (size_t i = 0; i < args.size(); i++) {
        const std::string& arg = args[i];
        if (only_positional || arg.size() < 2 || arg[0] != '-') {
            parsed.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            only_positional = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            parsed.help = true;
            continue;
        }
        if (arg.compare(0, 2, "--") != 0) {
            if (!apply_short_option(args, options, i, parsed)) return parsed;
            continue;
        }
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
        const OptionSpec* spec = nullptr;
        for (const OptionSpec& option : options) {
            if (name == option.name) spec = &option;
        }
        if (!spec) {
            parsed.error = "unknown option '--" + name + "'";
            return parsed;
        }
        if (!spec->takes_value) {
            if (equals != std::string::npos && !spec->optional_value) {
                parsed.error = "option '--" + name + "' takes no value";
                return parsed;
            }
            parsed.values[name] = equals == std::string::npos ? "" : arg.substr(equals + 1);
        } else if (equals != std::string::npos) {
            parsed.values[name] = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            parsed.values[name] = args[++i];
        } else {
            parsed.error = "option '--" + name + "' needs a value";
            return parsed;
        }
        parsed.every[name].push_back(parsed.values[name]);
    }
    return parsed;
}

bool parse_unsigned(const std::string& text, unsigned long long max, unsigned long long& value) {
    if (text.empty() || text.size() > 20) return false;
    unsigned long long result = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        const unsigned digit = static_cast<unsigned>(c - '0');
        if (result > (max - digit) / 10) return false;
        result = result * 10 + digit;
    }
    value = result;
    return true;
}

bool parse_decimal(const std::string& text, double& value) {
    if (text.empty() || text.size() > 32) return false;
    bool seen_digit = false, seen_point = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            seen_digit = true;
        } else if (c == '.' && !seen_point) {
            seen_point = true;
        } else {
            return false;
        }
    }
    if (!seen_digit) return false;
    // The text is digits and one point, so strtod cannot stop early.
    value = std::strtod(text.c_str(), nullptr);
    return std::isfinite(value);
}
