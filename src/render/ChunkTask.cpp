#include "render/ChunkTask.h"

#include "render/RenderFingerprint.h"
#include "render/RenderPlan.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string hostName() {
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    return name;
}

// When the process started, in clock ticks since boot: a pid used again by another process has
// another start.
std::string startOf(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::size_t close = stat.rfind(')');  // the command name may hold spaces
    if (close == std::string::npos) return {};
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
        if (i == 22) return field;
    }
    return {};
}

std::string ownerOf(const RenderPlan& plan, int index) {
    const fs::path chunk(plan.chunkFile(index));
    return (chunk.parent_path() / ("." + chunk.stem().string() + ".owner")).string();
}

// A running task touches its owner file this often; one untouched for ten times as long is gone.
constexpr auto heartbeat = std::chrono::seconds(30);

// Whether the owner file names a task that still runs. A process on this machine is asked for;
// one on another machine counts as gone once its owner file is no longer touched.
bool ownerAlive(const std::string& ownerFile) {
    std::ifstream file(ownerFile);
    std::string host, start;
    long pid = 0;
    if (!(file >> host >> pid >> start)) return false;
    if (host != hostName()) {
        std::error_code failure;
        const auto touched = fs::last_write_time(ownerFile, failure);
        return !failure && fs::file_time_type::clock::now() - touched < 10 * heartbeat;
    }
    return pid > 0 && startOf(static_cast<pid_t>(pid)) == start;
}

std::string hashOfFile(const std::string& path, bool* read) {
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    *read = static_cast<bool>(file) || file.eof();
    return RenderFingerprint::hashOf(bytes.data(), bytes.size()) + " " + std::to_string(bytes.size());
}

}  // namespace

void ChunkTask::sweep(const RenderPlan& plan) {
    const fs::path chunks = fs::path(plan.chunkFile(0)).parent_path();
    std::error_code failure;
    std::vector<std::string> gone;  // stems of chunks whose owner is gone
    for (const auto& entry : fs::directory_iterator(chunks, failure)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 7 && name[0] == '.' && name.compare(name.size() - 6, 6, ".owner") == 0 &&
            !ownerAlive(entry.path().string()))
            gone.push_back(name.substr(1, name.size() - 7));
    }
    for (const std::string& stem : gone) {
        for (const auto& entry : fs::directory_iterator(chunks, failure)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("." + stem + ".partial-", 0) == 0) fs::remove(entry.path(), failure);
        }
        fs::remove(chunks / ("." + stem + ".owner"), failure);
    }
}

std::string ChunkTask::checksumProblem(const std::string& chunkFile) {
    std::ifstream file(checksumFile(chunkFile));
    std::string recorded;
    if (!std::getline(file, recorded)) return "is not finished (its task recorded no checksum)";
    bool read = false;
    const std::string now = hashOfFile(chunkFile, &read);
    if (!read) return "cannot be read";
    if (now != recorded) return "is damaged (its bytes are not those its task wrote)";
    return {};
}

int ChunkTask::run(const RenderPlan& plan, int index, const std::vector<std::string>& arguments) {
    sweep(plan);
    const std::string owner = ownerOf(plan, index);
    if (fs::exists(owner) && ownerAlive(owner)) {
        std::ifstream file(owner);
        std::string who((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        while (!who.empty() && who.back() == '\n') who.pop_back();
        std::fprintf(stderr, "zodrender: %s is being rendered by another task (host, pid: %s)\n",
                     plan.describeChunk(index).c_str(), who.c_str());
        return 1;
    }
    const std::string chunk = plan.chunkFile(index);
    std::error_code ignored;
    fs::remove(checksumFile(chunk), ignored);
    {
        std::ofstream file(owner);
        file << hostName() << " " << getpid() << " " << startOf(getpid()) << "\n";
        if (!file.flush()) {
            std::fprintf(stderr, "zodrender: Cannot write %s\n", owner.c_str());
            return 1;
        }
    }
    // The render runs as a child, which this task outlives to record the checksum; a child whose
    // task is killed is told to stop (SIGTERM: it removes what it wrote).
    std::vector<std::string> words = arguments;
    words.insert(words.begin(), "zodrender");
    std::vector<char*> pointers;
    for (std::string& word : words) pointers.push_back(word.data());
    pointers.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(1);
        execv("/proc/self/exe", pointers.data());
        _exit(127);
    }
    int status = 0;
    bool reaped = false;
    auto beaten = std::chrono::steady_clock::now();
    while (child > 0) {
        const pid_t ended = waitpid(child, &status, WNOHANG);
        reaped = ended == child;
        if (reaped || (ended < 0 && errno != EINTR)) break;
        usleep(100000);
        if (std::chrono::steady_clock::now() - beaten >= heartbeat) {
            fs::last_write_time(owner, fs::file_time_type::clock::now(), ignored);
            beaten = std::chrono::steady_clock::now();
        }
    }
    int code = reaped && WIFEXITED(status) ? WEXITSTATUS(status) : 1;
    if (code == 0) {
        bool read = false;
        const std::string sum = hashOfFile(chunk, &read);
        std::ofstream file(checksumFile(chunk));
        file << sum << "\n";
        if (!read || !file.flush()) {
            std::fprintf(stderr, "zodrender: Cannot record the checksum of %s\n", chunk.c_str());
            code = 1;
        }
    }
    fs::remove(owner, ignored);
    return code;
}
