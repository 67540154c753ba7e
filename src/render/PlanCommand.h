// PlanCommand: zodrender's commands for a render split over machines.
//   --plan DIR [--chunk S] -o OUT [render options]  writes the plan: chunks of S seconds (default 5)
//   --task DIR N                                     renders chunk N (one command line per chunk)
//   --assemble DIR                                   joins the chunks and the music into OUT
//   --progress DIR                                   how many chunks are done, and which are not
#pragma once

#include <string>

class PlanCommand {
public:
    static bool claims(int argc, char** argv);  // one of the words above is on the command line
    // The exit code. `version`, the program's, is part of what a plan's chunks must agree on.
    static int run(int argc, char** argv, const std::string& version);
};
