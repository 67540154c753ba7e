#include "support/ChildProcess.h"

#include "support/TestPaths.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

ChildOutcome runExecutable(const std::vector<std::string>& arguments, int timeLimitSeconds,
                           const std::string& workingDirectory) {
    ChildOutcome outcome;
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return outcome;
    const auto started = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child == 0) {
        dup2(pipeFds[1], 2);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        close(pipeFds[0]);
        if (!workingDirectory.empty() && chdir(workingDirectory.c_str()) != 0) _exit(126);
        setenv("ZOD_NO_MESSAGE_BOXES", "1", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        std::string program = testing_paths::executable();
        std::vector<std::string> copies = arguments;
        std::vector<char*> argv{program.data()};
        for (std::string& argument : copies) argv.push_back(argument.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    const auto deadline = started + std::chrono::seconds(timeLimitSeconds);
    char buffer[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            kill(child, SIGKILL);
            break;
        }
        pollfd fd{pipeFds[0], POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(left.count())) <= 0) continue;
        ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n <= 0) break;
        outcome.errors.append(buffer, static_cast<std::size_t>(n));
    }
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status)) outcome.exitCode = WEXITSTATUS(status);
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return outcome;
}
