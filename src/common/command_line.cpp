#include "common/command_line.h"

#include <charconv>
#include <cmath>
#include <optional>

std::string parseCommandLine(const std::vector<std::string>& args, const std::vector<CommandLineOption>& options,
                             const std::function<std::string(const std::string& operand)>& operand,
                             CommandLineRules rules)
{
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg == "-" || arg.front() != '-') {
            if (std::string error = operand(arg); !error.empty())
                return error;
            continue;
        }
        if (rules.doubleDashEndsOptions && arg == "--") {
            optionsEnded = true;
            continue;
        }
        const bool isLong = arg.compare(0, 2, "--") == 0;
        const std::size_t equals = isLong ? arg.find('=') : std::string::npos;
        const std::string name = arg.substr(0, equals);
        std::optional<std::string> value;
        if (equals != std::string::npos)
            value = arg.substr(equals + 1);

        const CommandLineOption* option = nullptr;
        for (const CommandLineOption& o : options) {
            if (o.name == name)
                option = &o;
        }
        if (option == nullptr && rules.unknownOptionsAreOperands) {
            if (std::string error = operand(arg); !error.empty())
                return error;
            continue;
        }
        if (option == nullptr)
            return "unknown option " + (isLong || !rules.shortNameStopsAtEquals ? name : arg.substr(0, arg.find('=')));
        if (!option->takesValue && value)
            return name + " takes no value";
        if (option->takesValue && !value) {
            if (i + 1 == args.size())
                return name + " needs a value";
            value = args[++i];
        }
        if (std::string error = option->take(name, value.value_or("")); !error.empty())
            return error;
    }
    return {};
}

CommandLineOption flagOption(std::string_view name, bool& target)
{
    return {name, false, [&target](std::string_view, const std::string&) {
                target = true;
                return std::string();
            }};
}

std::string badValue(std::string_view name, std::string_view value, std::string_view what)
{
    std::string message = "bad value for ";
    message.append(name).append(": \"").append(value).append("\" (").append(what).append(")");
    return message;
}

bool parseInteger(std::string_view text, long long minimum, long long maximum, long long& value)
{
    if (text.empty())
        return false;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && value >= minimum && value <= maximum;
}

bool parseDecimal(std::string_view text, double minimum, double maximum, double& value)
{
    if (text.empty() || text.front() == '+' || (text.front() == '-' && minimum >= 0))
        return false;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && std::isfinite(value) && value >= minimum && value <= maximum;
}
