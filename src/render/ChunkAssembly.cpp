#include "render/ChunkAssembly.h"

#include "app/DocumentLoader.h"
#include "resources/LoadResource.h"
#include "render/ChildProgram.h"
#include "render/ChunkTask.h"
#include "render/FrameRenderer.h"
#include "render/RenderPlan.h"
#include "render/VideoEncoder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string seconds(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

// The resource that the element named "Music" plays, in the plan's document or the linked one, as
// the player finds it: beside the document first. A production with music whose bytes cannot be had
// is refused: a silent video would pass for done.
bool musicOf(const RenderPlan& plan, ResourceData* sound, std::string* error) {
    const std::string named = plan.dataFile.empty() ? "the linked production (Demo.xml)" : plan.dataFile;
    DocumentLoader::Options load;
    load.file = plan.dataFile;
    load.upTo = DocumentLoader::Stage::Document;
    LoadedDocument loaded;
    if (!DocumentLoader::load(load, loaded)) {
        *error = "Cannot read the document " + named + ", which names the music: nothing was written";
        return false;
    }
    const std::string resource = FrameRenderer::musicResourceOf(*loaded.document);
    if (resource.empty()) return true;  // a production without music makes a video without sound
    std::string problem;
    *sound = loadResource(resource.c_str(), loaded.folder.get(), &problem);  // its bytes stay while it is held
    if (*sound) return true;
    *error = "Cannot read the music " + resource + " of " + named + (problem.empty() ? "" : " (" + problem + ")") +
             ": nothing was written";
    return false;
}

// Files that exist only while the assembly runs.
struct Scratch {
    ~Scratch() {
        std::error_code ignored;
        for (const std::string& path : paths) fs::remove(path, ignored);
    }
    std::vector<std::string> paths;
};

bool writeFile(const std::string& path, const void* data, std::size_t size) {
    std::ofstream file(path, std::ios::binary);
    file.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(file.flush());
}

}  // namespace

bool ChunkAssembly::run(const RenderPlan& plan, std::string* error) {
    ChunkTask::sweep(plan);  // what tasks that were killed left behind
    std::string problems;
    for (int i = 0; i < plan.chunkCount(); ++i) {
        std::string problem = plan.chunkProblem(i);
        if (!problem.empty()) problems += "\n  " + plan.describeChunk(i) + ", " + plan.chunkFile(i) + ": " + problem;
    }
    if (!problems.empty()) {
        *error = "Cannot assemble " + plan.output + ": chunks are missing or damaged:" + problems +
                 "\nRender them again with zodrender --task " + plan.folder + " N.";
        return false;
    }
    const std::string ffmpeg = VideoEncoder::findProgram("ffmpeg");
    if (ffmpeg.empty()) {
        *error = "Cannot find the ffmpeg program, which joins the chunks: install it (Debian: apt-get install ffmpeg)";
        return false;
    }

    Scratch scratch;
    const std::string tag = std::to_string(getpid());
    const std::string list = plan.folder + "/.concat-" + tag + ".txt";
    scratch.paths.push_back(list);
    {
        std::ofstream file(list);
        file << "ffconcat version 1.0\n";
        for (int i = 0; i < plan.chunkCount(); ++i)
            file << "file 'chunks/" << fs::path(plan.chunkFile(i)).filename().string() << "'\n";
        if (!file.flush()) {
            *error = "Cannot write " + list;
            return false;
        }
    }
    std::vector<std::string> args{ffmpeg, "-hide_banner", "-loglevel", "error", "-nostats", "-nostdin", "-y"};
    args.insert(args.end(), {"-f", "concat", "-safe", "0", "-i", list});
    const double duration = double(plan.frameCount()) / plan.fps;
    ResourceData sound;
    if (!musicOf(plan, &sound, error)) return false;
    if (sound) {
        const std::string music = plan.folder + "/.music-" + tag;
        scratch.paths.push_back(music);
        if (!writeFile(music, sound.data, sound.size)) {
            *error = "Cannot write a temporary copy of the music: " + music;
            return false;
        }
        // The slice and the encoder settings of a one-machine render, so the sound is the same.
        args.insert(args.end(), {"-ss", seconds(double(plan.firstFrame) / plan.fps), "-t", seconds(duration), "-i",
                                 music, "-map", "0:v", "-map", "1:a"});
        args.insert(args.end(), std::begin(VideoEncoder::musicCodec), std::end(VideoEncoder::musicCodec));
    }
    args.insert(args.end(), {"-c:v", "copy"});
    fs::path target(plan.output);
    const std::string ext = VideoEncoder::extensionOf(plan.output);
    if (ext.empty() || ext == ".mp4" || ext == ".m4v" || ext == ".mov")
        args.insert(args.end(), {"-movflags", "+faststart"});
    if (ext.empty()) args.insert(args.end(), {"-f", "mp4"});
    // Written under a hidden name beside the output and renamed when complete.
    const std::string hidden =
        (target.parent_path() / ("." + target.stem().string() + ".partial-" + tag + ext)).string();
    scratch.paths.push_back(hidden);
    args.push_back(hidden);
    std::string report;
    if (ChildProgram::run(args, &report) != 0) {
        while (!report.empty() && report.back() == '\n') report.pop_back();
        *error = "ffmpeg could not join the chunks: " + (report.empty() ? std::string("(no message)") : report);
        return false;
    }
    std::error_code failure;
    fs::rename(hidden, plan.output, failure);
    if (failure) {
        *error = "Cannot write " + plan.output + ": " + failure.message();
        return false;
    }
    scratch.paths.pop_back();
    return true;
}
