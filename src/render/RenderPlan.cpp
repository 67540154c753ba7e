#include "render/RenderPlan.h"

#include "render/ChildProgram.h"
#include "render/ChunkTask.h"
#include "render/Counted.h"
#include "render/VideoEncoder.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const char* const planName = "plan.txt";
const char* const firstLine = "zodrender plan 2";

std::string fieldOf(const std::string& report, const std::string& key) {
    std::istringstream lines(report);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    }
    return {};
}

}  // namespace

std::string RenderPlan::options() const {
    std::ostringstream out;
    out << "output " << output << "\n"
        << "document " << dataFile << "\n"
        << "fps " << fps << "\nsize " << width << " " << height << "\n"
        << "frames " << firstFrame << " " << endFrame << "\nchunk " << chunkFrames << "\n"
        << "layout " << layoutWidth << " " << layoutHeight << "\nantialias " << antialias << "\nforce " << force
        << "\nquality " << quality << "\n";
    return out.str();
}

std::string RenderPlan::text() const {
    std::string reads;
    for (const auto& [part, value] : fingerprint.parts) reads += "reads " + value + " " + part + "\n";
    return std::string(firstLine) + "\n" + options() + reads;
}

bool RenderPlan::write(std::string* error) const {
    std::error_code failure;
    const std::string path = (fs::path(folder) / planName).string();
    if (fs::exists(path, failure)) {
        RenderPlan held;
        std::string unreadable;
        if (!held.read(folder, &unreadable)) {
            *error = folder + " holds something other than a plan of this zodrender (" + unreadable +
                     "): use another folder";
            return false;
        }
        // An edit shows first: the range of a production that got shorter or longer follows from it.
        if (held.fingerprint != fingerprint) {
            bool rendered = false;  // without chunks of the old version, the plan becomes this one
            for (const auto& entry : fs::directory_iterator(fs::path(folder) / "chunks", failure))
                rendered = rendered || entry.path().filename().string().rfind("chunk-", 0) == 0;
            if (rendered) {
                *error = "what the plan in " + folder + " renders has changed since it was made: " +
                         held.fingerprint.changesTo(fingerprint) + ". Its chunks show the old version: remove " +
                         folder + "/chunks to render this one there, or use another folder";
                return false;
            }
        } else if (held.options() != options()) {
            std::istringstream before(held.options()), after(options());
            std::string was, now, differing;
            while (std::getline(before, was) && std::getline(after, now))
                if (was != now) differing += (differing.empty() ? "" : ", ") + was.substr(0, was.find(' '));
            *error = folder + " holds the plan of another render (" + path + ", which differs in: " + differing +
                     "): use another folder";
            return false;
        } else {
            return true;  // the same render again: the chunks done so far count
        }
    }
    fs::create_directories(fs::path(folder) / "chunks", failure);
    if (failure) {
        *error = "Cannot make the plan folder " + folder + ": " + failure.message();
        return false;
    }
    const std::string hidden = path + ".partial";
    {
        std::ofstream file(hidden, std::ios::binary);
        file << text();
        if (!file.flush()) {
            *error = "Cannot write " + path;
            return false;
        }
    }
    fs::rename(hidden, path, failure);
    if (failure) {
        fs::remove(hidden, failure);
        *error = "Cannot write " + path;
        return false;
    }
    return true;
}

bool RenderPlan::read(const std::string& planFolder, std::string* error) {
    std::error_code failure;
    folder = fs::absolute(planFolder, failure).lexically_normal().string();
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    const std::string path = (fs::path(folder) / planName).string();
    std::ifstream file(path);
    std::string line;
    if (!std::getline(file, line) || line != firstLine) {
        *error = "No render plan in " + planFolder + " (" + path + " is missing or not a plan of this zodrender)";
        return false;
    }
    fingerprint.parts.clear();
    bool complete = true;
    while (std::getline(file, line)) {
        const std::size_t space = line.find(' ');
        const std::string key = line.substr(0, space);
        const std::string value = space == std::string::npos ? "" : line.substr(space + 1);
        std::istringstream numbers(value);
        if (key == "output") output = value;
        else if (key == "document") dataFile = value;
        else if (key == "quality") quality = value;
        else if (key == "fps") complete = complete && static_cast<bool>(numbers >> fps);
        else if (key == "size") complete = complete && static_cast<bool>(numbers >> width >> height);
        else if (key == "frames") complete = complete && static_cast<bool>(numbers >> firstFrame >> endFrame);
        else if (key == "chunk") complete = complete && static_cast<bool>(numbers >> chunkFrames);
        else if (key == "layout") complete = complete && static_cast<bool>(numbers >> layoutWidth >> layoutHeight);
        else if (key == "antialias") complete = complete && static_cast<bool>(numbers >> antialias);
        else if (key == "force") complete = complete && static_cast<bool>(numbers >> force);
        else if (key == "reads" && value.find(' ') != std::string::npos)
            fingerprint.parts[value.substr(value.find(' ') + 1)] = value.substr(0, value.find(' '));
    }
    if (!complete || output.empty() || fps < 1 || chunkFrames < 1 || firstFrame < 0 || endFrame <= firstFrame ||
        fingerprint.parts.count("document") == 0) {
        *error = path + " is damaged";
        return false;
    }
    return true;
}

bool RenderPlan::stillCurrent(const std::string& version, std::string* error) const {
    RenderFingerprint now;
    std::string failure;
    if (!RenderFingerprint::of(dataFile, version, &now, &failure)) {
        *error = "The plan in " + folder + " cannot be checked against what it renders: " + failure;
        return false;
    }
    if (now == fingerprint) return true;
    *error = "what the plan in " + folder + " renders has changed since it was made: " + fingerprint.changesTo(now) +
             ". Its chunks would mix two versions: plan again in another folder (or remove " + folder + "/chunks)";
    return false;
}

int RenderPlan::chunkCount() const {
    return (frameCount() + chunkFrames - 1) / chunkFrames;
}

ChunkRange RenderPlan::chunk(int index) const {
    ChunkRange range;
    range.first = firstFrame + index * chunkFrames;
    range.end = std::min(endFrame, range.first + chunkFrames);
    return range;
}

std::string RenderPlan::chunkFile(int index) const {
    char name[32];
    std::snprintf(name, sizeof name, "chunk-%05d.mp4", index);
    return (fs::path(folder) / "chunks" / name).string();
}

std::string RenderPlan::describeChunk(int index) const {
    const ChunkRange range = chunk(index);
    if (range.end - range.first == 1) return "chunk " + std::to_string(index) + " (frame " + std::to_string(range.first) + ")";
    return "chunk " + std::to_string(index) + " (frames " + std::to_string(range.first) + " to " +
           std::to_string(range.end - 1) + ")";
}

std::string RenderPlan::chunkProblem(int index) const {
    const std::string path = chunkFile(index);
    std::error_code failure;
    if (!fs::is_regular_file(path, failure)) return "missing";
    if (std::string problem = ChunkTask::checksumProblem(path); !problem.empty()) return problem;
    const std::string ffprobe = VideoEncoder::findProgram("ffprobe");
    if (ffprobe.empty()) return "cannot be checked: the ffprobe program is missing (it comes with ffmpeg)";
    std::string report;
    // Counting packets reads the whole file without decoding it: a cut-off file comes up short.
    int code =
        ChildProgram::run({ffprobe, "-v", "error", "-select_streams", "v:0", "-count_packets", "-show_entries",
                           "stream=codec_name,width,height,nb_read_packets", "-of", "default=noprint_wrappers=1", path},
                          &report);
    const int frames = chunk(index).end - chunk(index).first;
    if (code != 0 || fieldOf(report, "codec_name") != "h264") return "is damaged (not a readable H.264 video)";
    if (fieldOf(report, "width") != std::to_string(width) || fieldOf(report, "height") != std::to_string(height))
        return "is damaged (a picture size other than the plan's)";
    const std::string count = fieldOf(report, "nb_read_packets");
    if (count != std::to_string(frames)) return "is damaged (" + count + " of " + counted(frames, "frame") + ")";
    return {};
}

std::vector<std::string> RenderPlan::chunkArguments(int index) const {
    std::vector<std::string> words{"--fps", std::to_string(fps), "--size",
                                   std::to_string(width) + "x" + std::to_string(height), "--quality", quality, "--layout",
                                   layoutWidth > 0 ? std::to_string(layoutWidth) + "x" + std::to_string(layoutHeight)
                                                   : std::string("output")};
    if (antialias) words.push_back("--antialias");
    if (force) words.push_back("--force");
    if (!dataFile.empty()) words.push_back("-d" + dataFile);
    const ChunkRange range = chunk(index);
    words.insert(words.end(),
                 {"--frames", std::to_string(range.first) + ":" + std::to_string(range.end), "-o", chunkFile(index)});
    return words;
}
