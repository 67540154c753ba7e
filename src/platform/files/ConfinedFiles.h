// Files opened beneath a folder: a relative name is resolved inside the folder in one step, so a
// folder swapped for a link between a caller's look and the open cannot lead outside. Where the
// kernel offers openat2, links that stay inside the folder work; elsewhere the name is walked one
// component at a time from the folder with O_NOFOLLOW, and every link is refused.
#pragma once

#include <string>
#include <vector>

namespace files {

enum class Opened { File, Absent, LeadsOut, Link, Failed };

struct OpenResult {
    int fd = -1;       // open, read-only, close-on-exec; the caller closes it; -1 unless `File`
    Opened outcome = Opened::Failed;
    int error = 0;     // errno for `Failed`
};

// `relative`: no leading slash, no ".." steps (callers refuse those first). A directory is opened
// when `directory` is true; a file is opened without blocking (a FIFO does not hang the open).
OpenResult openBeneath(const std::string& folder, const std::string& relative, bool directory);

// The entries of the folder `relative` beneath `folder` ("" for the folder itself), opened as above;
// "." and ".." left out. Empty when it cannot be listed.
std::vector<std::string> namesBeneath(const std::string& folder, const std::string& relative);

// Set only by tests: called between a caller's check of a name and its open, to change the folder
// there; and a switch to the component walk, so both ways are exercised on any kernel.
struct TestHooks {
    void (*beforeOpen)(const std::string& relative) = nullptr;
    bool walkOnly = false;
};
extern TestHooks testHooks;

}  // namespace files
