// truv-sim: runs an experiment with a simulated participant on a virtual clock and
// writes its data file and subject log as a run with a person does. See --help.

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "sim/sim_options.h"
#include "sim/simulated_participant.h"
#include "platform/platform.h"

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto options = parseSimOptions(args, error);
    if (!options) {
        std::cerr << "truv-sim: " << error << "\nTry 'truv-sim --help'.\n";
        return 2;
    }
    if (options->help) {
        std::cout << simUsageText();
        return 0;
    }
    // A write past the file size limit fails (and is rescued) instead of killing us.
    std::signal(SIGXFSZ, SIG_IGN);
    // The subject log's date and time are the real local time of the run, seed or not.
    return runSimulation(*options, localDateTime(), std::cout, std::cerr);
}
