#include "support/ChildProcess.h"

#include "support/TestPaths.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

// Everything a child needs, made before fork: another thread of this process may hold the
// allocator's lock at that moment, so the child calls nothing but chdir, dup2 and execve.
struct PreparedChild {
    std::string program;
    std::vector<std::string> arguments, environment;
    std::vector<char*> argv, envp;
};

// Message boxes off and the silent audio output, NAME=value entries replacing inherited ones.
void prepare(PreparedChild& child, const std::string& executable, const std::vector<std::string>& arguments,
             bool withDisplay, const std::vector<std::string>& extraEnvironment) {
    child.program = executable;
    child.arguments = arguments;
    child.argv = {child.program.data()};
    for (std::string& argument : child.arguments) child.argv.push_back(argument.data());
    child.argv.push_back(nullptr);
    auto replaced = [&](const std::string& text) {
        for (const std::string& own : extraEnvironment)
            if (startsWith(text, own.substr(0, own.find('=') + 1).c_str())) return true;
        return false;
    };
    for (const char* own : {"ZOD_NO_MESSAGE_BOXES=1", "SDL_AUDIODRIVER=dummy"})
        if (!replaced(own)) child.environment.push_back(own);
    child.environment.insert(child.environment.end(), extraEnvironment.begin(), extraEnvironment.end());
    for (char** variable = environ; *variable; ++variable) {
        std::string text = *variable;
        if (startsWith(text, "ZOD_NO_MESSAGE_BOXES=") || startsWith(text, "SDL_AUDIODRIVER=") || replaced(text)) continue;
        if (!withDisplay && (startsWith(text, "DISPLAY=") || startsWith(text, "WAYLAND_DISPLAY="))) continue;
        child.environment.push_back(text);
    }
    for (std::string& text : child.environment) child.envp.push_back(text.data());
    child.envp.push_back(nullptr);
}

}  // namespace

ChildOutcome runExecutable(const std::vector<std::string>& arguments, const ChildOptions& options) {
    return runTool(testing_paths::executable(), arguments, options);
}

pid_t startExecutable(const std::vector<std::string>& arguments, const std::string& folder,
                      const std::vector<std::string>& environment) {
    PreparedChild prepared;
    prepare(prepared, testing_paths::executable(), arguments, true, environment);
    const std::string log = folder + "/stderr.txt";
    int errors = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    pid_t child = fork();
    if (child == 0) {
        if (chdir(folder.c_str()) != 0) _exit(126);
        if (errors >= 0) dup2(errors, 2);
        execve(prepared.program.c_str(), prepared.argv.data(), prepared.envp.data());
        _exit(127);
    }
    if (errors >= 0) close(errors);
    return child;
}

ChildOutcome runTool(const std::string& executable, const std::vector<std::string>& arguments,
                        const ChildOptions& options, const std::vector<std::string>& extraEnvironment) {
    ChildOutcome outcome;
    // Close-on-exec, so that no other process started meanwhile (xdotool) holds the pipe open.
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return outcome;
    PreparedChild prepared;
    prepare(prepared, executable, arguments, options.withDisplay, extraEnvironment);
    const char* folder = options.workingDirectory.empty() ? nullptr : options.workingDirectory.c_str();
    int null = open("/dev/null", O_WRONLY | O_CLOEXEC);

    const auto started = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child == 0) {
        if (folder && chdir(folder) != 0) _exit(126);
        dup2(pipeFds[1], 2);
        dup2(null, 1);
        execve(prepared.program.c_str(), prepared.argv.data(), prepared.envp.data());
        _exit(127);
    }
    close(null);
    close(pipeFds[1]);
    const auto deadline = started + std::chrono::seconds(options.timeLimitSeconds);
    char buffer[4096];
    int status = 0;
    bool ended = child < 0;
    while (!ended) {
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            status = -1;
            break;
        }
        pollfd fd{pipeFds[0], POLLIN, 0};
        if (poll(&fd, 1, 50) > 0) {
            ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
            if (n > 0) outcome.errors.append(buffer, static_cast<std::size_t>(n));
        }
        ended = waitpid(child, &status, WNOHANG) == child;
    }
    // What the program wrote just before it ended.
    fcntl(pipeFds[0], F_SETFL, O_NONBLOCK);
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        outcome.errors.append(buffer, static_cast<std::size_t>(n));
    close(pipeFds[0]);
    if (status != -1 && WIFEXITED(status)) outcome.exitCode = WEXITSTATUS(status);
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return outcome;
}
