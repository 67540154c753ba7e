// Runs the executable under test as a child process with message boxes off and the silent audio
// output, collects its standard error and exit code, and kills it after a time limit so that no
// test can hang.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

struct ChildOutcome {
    int exitCode = -1;      // -1: killed at the time limit, or ended by a signal
    std::string errors;     // everything written to standard error
    double seconds = 0.0;   // how long it ran
};

struct ChildOptions {
    int timeLimitSeconds = 30;
    std::string workingDirectory;  // empty: the test's own
    bool withDisplay = true;       // false: DISPLAY and WAYLAND_DISPLAY are taken away
};

ChildOutcome runExecutable(const std::vector<std::string>& arguments, const ChildOptions& options = {});
// Starts the executable in folder and returns at once (its pid, negative when fork failed); its
// standard error goes to "stderr.txt" there. The caller waits for it or kills it. NAME=value
// entries replace inherited ones.
pid_t startExecutable(const std::vector<std::string>& arguments, const std::string& folder,
                      const std::vector<std::string>& environment = {});
// Another program (the tools beside the player), with NAME=value entries replacing inherited ones.
ChildOutcome runTool(const std::string& program, const std::vector<std::string>& arguments,
                        const ChildOptions& options, const std::vector<std::string>& environment = {});
