// The input file reader. Whatever the bytes, every kept setting lies within what a
// run can use; a definition read without problems can be written; and one the
// writer accepts reads back as written, without problems, and writes the same bytes
// again.

#include "fuzz_support.h"

namespace {

bool withinRange(int value, int minimum, int maximum) { return value >= minimum && value <= maximum; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const ExperimentDefinition definition = parseInputFile(bytesOf(data, size), "fuzz.inp");
    FUZZ_REQUIRE(withinRange(definition.sessionCount, 0, maxSessions));
    // Sessions the file does not reach keep their defaults, which lie in range too.
    for (const SessionSettings& session : definition.sessions) {
        FUZZ_REQUIRE(withinRange(session.Cat1p, 0, 1) && withinRange(session.Cat2p, 0, 1));
        FUZZ_REQUIRE(withinRange(session.Delay, 0, maxDelay));
        FUZZ_REQUIRE(withinRange(session.nPrac, 0, maxTrials) && withinRange(session.nReal, 0, maxTrials));
    }

    std::string bytes;
    std::string reason;
    const bool written = formatInputFile(definition, bytes, reason);
    if (definition.problems.empty())
        FUZZ_REQUIRE(written);
    if (!written)
        return 0;

    const ExperimentDefinition again = parseInputFile(bytes, "fuzz.inp");
    FUZZ_REQUIRE(again.problems.empty());
    FUZZ_REQUIRE(sameDefinition(again, definition));
    std::string bytesAgain;
    FUZZ_REQUIRE(formatInputFile(again, bytesAgain, reason));
    FUZZ_REQUIRE(bytesAgain == bytes);
    return 0;
}
