// ChunkTask: one chunk of a plan rendered by a task, so that nothing is left behind when a task
// dies (SIGKILL included) and so that a finished chunk can be told from a damaged one.
//   chunks/.chunk-00002.owner   "host pid start" of the task rendering chunk 2, while it runs
//   chunks/.chunk-00002.partial-XXXXXX.mp4   the video being written
//   chunks/chunk-00002.mp4.sum  the checksum of the chunk's bytes, written when it is finished
// A later task or an assembly removes the owner file and the partial video of a task that is gone:
// on this machine, a process that no longer runs; on another, one whose owner file has not been
// touched for five minutes (a running task touches it every 30 seconds).
#pragma once

#include <string>
#include <vector>

class RenderPlan;

class ChunkTask {
public:
    // Renders chunk `index` with this program (`arguments`: its command line after the program's
    // name); the exit code. Refused with 1 while another task on this machine renders the chunk.
    static int run(const RenderPlan& plan, int index, const std::vector<std::string>& arguments);
    // Removes what tasks on this machine that are gone left in the plan's chunks folder.
    static void sweep(const RenderPlan& plan);
    // Empty when the chunk file's bytes are those its task finished; otherwise what is wrong.
    static std::string checksumProblem(const std::string& chunkFile);
    static std::string checksumFile(const std::string& chunkFile) { return chunkFile + ".sum"; }
};
