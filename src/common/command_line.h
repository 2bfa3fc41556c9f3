#pragma once
// The command lines of the tools: a table of options walked over the arguments.
//
// An argument that begins with "--" is a long option, "--name value" or
// "--name=value"; one that begins with a single "-" is looked up whole ("-h"); an
// empty one, "-" and one without a leading "-" are operands. Each tool keeps its own
// texts: the parser's own messages are "unknown option NAME", "NAME needs a value" and
// "NAME takes no value", and an option's check words the rest (badValue).

#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct CommandLineOption {
    std::string_view name;  // "--data", or a short one taken whole ("-h")
    bool takesValue = false;
    // Takes the option's value ("" for one without): returns "" when it was taken,
    // else the whole message saying why not. name is the option's own.
    std::function<std::string(std::string_view name, const std::string& value)> take;
};

struct CommandLineRules {
    // "--" alone ends the options: every argument after it is an operand.
    bool doubleDashEndsOptions = false;
    // An unknown short option is named without its "=value" ("-x=1" is "-x"), as a
    // long one always is.
    bool shortNameStopsAtEquals = false;
    // An option not in the table is handed to operand whole, as an operand is: for a
    // program that passes the arguments it does not know on to a library.
    bool unknownOptionsAreOperands = false;
};

// Walks args in order, handing each operand to operand and each option's value to its
// take. Returns "" or the first message of a refusal, after which nothing more is taken.
std::string parseCommandLine(const std::vector<std::string>& args, const std::vector<CommandLineOption>& options,
                             const std::function<std::string(const std::string& operand)>& operand,
                             CommandLineRules rules = {});

// An option that sets target when given.
CommandLineOption flagOption(std::string_view name, bool& target);

// "bad value for NAME: "VALUE" (WHAT)".
std::string badValue(std::string_view name, std::string_view value, std::string_view what);

// A whole decimal number from minimum to maximum, nothing around it.
bool parseInteger(std::string_view text, long long minimum, long long maximum, long long& value);
// A decimal number, finite, from minimum to maximum: no leading plus, and a leading
// minus only when negative values are wanted.
bool parseDecimal(std::string_view text, double minimum, double maximum, double& value);
