#include "render/VideoEncoder.h"

#include "render/Yuv420.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

// A hidden name beside the output, with its extension so that ffmpeg picks the same container.
// Creating it proves the folder can be written.
std::string makeTemporary(const std::string& output, std::string* error) {
    fs::path target(output);
    fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    std::string ext = target.extension().string();
    std::string pattern = (folder / ("." + target.stem().string() + ".partial-XXXXXX" + ext)).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = mkstemps(name.data(), static_cast<int>(ext.size()));
    if (fd < 0) {
        *error = "Cannot write " + output + ": " + std::strerror(errno);
        return {};
    }
    // mkstemps makes it private; the video gets the permissions of any new file.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    return name.data();
}

std::string format(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", seconds);
    return text;
}

}  // namespace

std::string VideoEncoder::findProgram(const char* name) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return {};
    std::string folders = path;
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        std::string folder = folders.substr(start, end - start);
        if (!folder.empty()) {
            std::string candidate = folder + "/" + name;
            struct stat info {};
            if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        start = end + 1;
    }
    return {};
}

std::string VideoEncoder::extensionOf(const std::string& path) {
    std::string ext = fs::path(path).extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

bool VideoEncoder::holdsH264(const std::string& ext) {
    // Phone video (3GP) is MP4's kin: its own default codecs take only a few picture sizes.
    return ext.empty() || ext == ".mp4" || ext == ".m4v" || ext == ".mov" || ext == ".mkv" || ext == ".3gp" ||
           ext == ".3g2";
}

VideoEncoder::~VideoEncoder() { abandon(); }

bool VideoEncoder::open(const VideoSettings& wanted) {
    settings = wanted;
    std::string ffmpeg = findProgram("ffmpeg");
    if (ffmpeg.empty()) {
        message = "Cannot find the ffmpeg program, which encodes the video: install it (Debian: apt-get install "
                  "ffmpeg), or render PNG frames with -o NAME.png";
        return false;
    }
    temporary = makeTemporary(settings.output, &message);
    if (temporary.empty()) return false;

    char logName[] = "/tmp/zodrender-ffmpeg-XXXXXX";
    int logFd = mkostemp(logName, O_CLOEXEC);
    if (logFd < 0) {
        message = std::string("Cannot create a temporary file: ") + std::strerror(errno);
        return false;
    }
    logFile = logName;

    const std::string ext = extensionOf(settings.output);
    // H.264 wants even sizes (zodrender's options see to it): an odd one goes as it is, for ffmpeg to say so.
    sendsYuv = holdsH264(ext) && settings.width % 2 == 0 && settings.height % 2 == 0;
    std::vector<std::string> args{ffmpeg, "-hide_banner", "-loglevel", "error", "-nostats", "-y",
                                  "-f", "rawvideo", "-pix_fmt", sendsYuv ? "yuv420p" : "bgra",
                                  "-video_size", std::to_string(settings.width) + "x" + std::to_string(settings.height),
                                  "-framerate", std::to_string(settings.fps), "-i", "pipe:0"};
    // Animated pictures and bare video streams hold no sound; a GIF's frames get a palette each,
    // of their own colours.
    const bool gif = ext == ".gif",
               silent = gif || ext == ".apng" || ext == ".webp" || ext == ".m1v" || ext == ".m2v";
    if (!settings.music.empty() && !silent) {
        args.insert(args.end(), {"-ss", format(settings.musicStart)});
        if (settings.duration >= 0) args.insert(args.end(), {"-t", format(settings.duration)});
        args.insert(args.end(), {"-i", settings.music, "-map", "0:v", "-map", "1:a"});
        if (settings.duration < 0) args.push_back("-shortest");
    }
    if (holdsH264(ext)) {
        args.insert(args.end(), {"-c:v", "libx264", "-pix_fmt", "yuv420p", "-crf", "18"});
        // normal keeps the encoder's own default speed.
        if (settings.quality == "draft") args.insert(args.end(), {"-preset", "ultrafast"});
        if (settings.quality == "best") args.insert(args.end(), {"-preset", "slower"});
        if (!settings.music.empty()) args.insert(args.end(), std::begin(musicCodec), std::end(musicCodec));
        if (ext.empty()) args.insert(args.end(), {"-f", "mp4"});
    }
    if (gif) args.insert(args.end(), {"-vf", "split[a][b];[a]palettegen=stats_mode=single[p];[b][p]paletteuse=new=1"});
    args.push_back(temporary);

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        close(logFd);
        message = std::string("Cannot start ffmpeg: ") + std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
    posix_spawn_file_actions_adddup2(&actions, logFd, 1);
    posix_spawn_file_actions_adddup2(&actions, logFd, 2);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int started = posix_spawn(&child, ffmpeg.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[0]);
    close(logFd);
    if (started != 0) {
        child = -1;
        close(fds[1]);
        message = std::string("Cannot start ffmpeg: ") + std::strerror(started);
        return false;
    }
    pipe = fds[1];
    // A frame in fewer pieces: fewer switches between this process and ffmpeg. The default size
    // still works, only slower.
    fcntl(pipe, F_SETPIPE_SZ, 1 << 20);
    // A dead encoder must show as a failed write, not end this process.
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

bool VideoEncoder::write(std::vector<std::uint32_t>& pixels) {
    if (pipe < 0) return false;
    if (!writer.joinable()) writer = std::thread([this] { feed(); });
    if (!waitForWriter()) {
        message = stoppedMessage();
        return false;
    }
    // The writer leaves pending alone until full is set; it keeps the frame written last.
    pending.swap(pixels);
    pixels.resize(pending.size());
    std::lock_guard<std::mutex> guard(lock);
    full = true;
    changed.notify_all();
    return true;
}

bool VideoEncoder::waitForWriter() {
    std::unique_lock<std::mutex> guard(lock);
    changed.wait(guard, [this] { return !full || failed; });
    return !failed;
}

void VideoEncoder::feed() {
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
        changed.wait(guard, [this] { return full || stopping; });
        if (!full) return;  // stopping with nothing left
        guard.unlock();
        // pending is not touched by write while full is set.
        bool ok;
        if (sendsYuv) {
            // Here rather than in write: the drawing of the next frame goes on meanwhile.
            converted.resize(Yuv420::bytes(settings.width, settings.height));
            Yuv420::convert(pending.data(), settings.width, settings.height, converted.data());
            ok = writeAll(reinterpret_cast<const char*>(converted.data()), converted.size());
        } else {
            ok = writeAll(reinterpret_cast<const char*>(pending.data()), pending.size() * 4);
        }
        guard.lock();
        full = false;
        failed = failed || !ok;
        changed.notify_all();
        if (failed) return;
    }
}

bool VideoEncoder::writeAll(const char* bytes, std::size_t left) {
    while (left > 0) {
        ssize_t n = ::write(pipe, bytes, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

bool VideoEncoder::finish() {
    if (pipe < 0 || child < 0) return false;
    const bool written = waitForWriter();
    stopWriter();
    if (!written) {
        message = stoppedMessage();
        return false;
    }
    close(pipe);
    pipe = -1;
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    child = -1;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        message = "ffmpeg failed: " + errorOutput();
        return false;
    }
    std::error_code error;
    fs::rename(temporary, settings.output, error);
    if (error) {
        message = "Cannot write " + settings.output + ": " + error.message();
        return false;
    }
    temporary.clear();
    return true;
}

void VideoEncoder::stopWriter() {
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
        changed.notify_all();
    }
    if (writer.joinable()) writer.join();
}

void VideoEncoder::abandon() {
    // A writer blocked on the pipe returns once ffmpeg is gone; only then is the pipe closed.
    if (child > 0 && writer.joinable()) kill(child, SIGTERM);
    stopWriter();
    if (pipe >= 0) close(pipe);
    pipe = -1;
    if (child > 0) {
        kill(child, SIGTERM);
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }
    child = -1;
    if (!temporary.empty()) std::remove(temporary.c_str());
    temporary.clear();
    if (!logFile.empty()) std::remove(logFile.c_str());
    logFile.clear();
}

std::string VideoEncoder::stoppedMessage() {
    // The pipe breaks a moment before the process is gone: a little wait tells a crash or a kill
    // from an ffmpeg that gave up on its own.
    int status = 0;
    pid_t ended = 0;
    for (int i = 0; i < 100 && child > 0 && (ended = waitpid(child, &status, WNOHANG)) == 0; ++i) usleep(20000);
    if (ended == child) child = -1;  // reaped: not to be waited for again
    if (ended <= 0 || !WIFSIGNALED(status)) return "ffmpeg stopped: " + errorOutput();
    const std::string said = errorOutput();
    return "ffmpeg stopped: killed by signal " + std::to_string(WTERMSIG(status)) + " (" + strsignal(WTERMSIG(status)) +
           ")" + (said == "(no message)" ? std::string() : ": " + said);
}

std::string VideoEncoder::errorOutput() {
    std::ifstream log(logFile);
    std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    // The user knows the output's name, not the hidden one ffmpeg writes to.
    if (text.find("Unable to find a suitable output format") != std::string::npos ||
        text.find("Unable to choose an output format") != std::string::npos)
        return "no video format has the extension \"" + fs::path(settings.output).extension().string() + "\" of " +
               settings.output + " (try .mp4, .mkv, .webm or .mov, or NAME.png for pictures)";
    for (std::size_t at; !temporary.empty() && (at = text.find(temporary)) != std::string::npos;)
        text.replace(at, temporary.size(), settings.output);
    return text.empty() ? "(no message)" : text;
}
