#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/command_line.h"

namespace {

TEST(CommandLine, ArgumentsAreTakenInOrderUntilTheFirstRefusal)
{
    struct Case {
        std::vector<std::string> args;
        CommandLineRules rules;
        std::string taken;  // what the table and the operands took, in order
        std::string error;
    };
    const CommandLineRules ends{.doubleDashEndsOptions = true, .shortNameStopsAtEquals = true};
    const Case cases[] = {
        {{"--value", "-x", "--value=a=b", "--flag", "-h"}, {}, "--value=-x --value=a=b --flag= -h= ", ""},
        {{"", "-", "in", "--", "-h"}, ends, "<> <-> <in> <-h> ", ""},
        {{"--"}, {}, "", "unknown option --"},
        {{"--flag=", "in"}, {}, "", "--flag takes no value"},
        {{"in", "--value"}, {}, "<in> ", "--value needs a value"},
        {{"--nope=1"}, ends, "", "unknown option --nope"},
        {{"-h=1"}, {}, "", "unknown option -h=1"},
        {{"-h=1"}, ends, "", "unknown option -h"},
        {{"--checked", "bad", "--flag"}, {}, "", "bad value for --checked: \"bad\" (not that)"},
        {{"--value", "1", "stop", "--value", "2"}, {}, "--value=1 ", "no operand"},
    };
    for (const Case& c : cases) {
        std::string taken;
        const auto take = [&](std::string_view name, const std::string& value) {
            taken.append(name).append("=").append(value).append(" ");
            return std::string();
        };
        const std::vector<CommandLineOption> options = {
            {"--flag", false, take},
            {"-h", false, take},
            {"--value", true, take},
            {"--checked", true,
             [](std::string_view name, const std::string& value) { return badValue(name, value, "not that"); }},
        };
        const std::string error = parseCommandLine(
            c.args, options,
            [&](const std::string& operand) {
                if (operand == "stop")
                    return std::string("no operand");
                taken += "<" + operand + "> ";
                return std::string();
            },
            c.rules);
        EXPECT_EQ(error, c.error) << testing::PrintToString(c.args);
        EXPECT_EQ(taken, c.taken) << testing::PrintToString(c.args);
    }
}

}  // namespace
