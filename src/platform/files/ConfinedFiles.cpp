#include "platform/files/ConfinedFiles.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <utility>

namespace files {

TestHooks testHooks;

namespace {

class Descriptor {  // closes what it holds
public:
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int release() { return std::exchange(fd, -1); }
    int fd;
};

OpenResult failure(int error) {
    OpenResult result;
    result.error = error;
    result.outcome = error == ENOENT || error == ENOTDIR ? Opened::Absent : Opened::Failed;
    return result;
}

OpenResult opened(int fd) {
    OpenResult result;
    result.fd = fd;
    result.outcome = Opened::File;
    return result;
}

// openat2 with RESOLVE_BENEATH; false when the kernel lacks it (the walk is used then).
bool openInOneStep(int folder, const std::string& relative, int flags, OpenResult* result) {
    open_how how{};
    how.flags = static_cast<unsigned long long>(flags & ~O_NOFOLLOW);  // a link that stays beneath is fine
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
    const long fd = ::syscall(SYS_openat2, folder, relative.c_str(), &how, sizeof how);
    if (fd >= 0) {
        *result = opened(static_cast<int>(fd));
        return true;
    }
    if (errno == ENOSYS || errno == EPERM) return false;  // no openat2, or a filter forbids it
    *result = failure(errno);
    if (errno == EXDEV) result->outcome = Opened::LeadsOut;
    return true;
}

// One component at a time, no link followed anywhere on the way.
OpenResult walk(int folder, const std::string& relative, int flags) {
    Descriptor at(::dup(folder));
    if (at.fd < 0) return failure(errno);
    std::size_t start = 0;
    while (true) {
        std::size_t end = relative.find('/', start);
        const bool last = end == std::string::npos;
        if (last) end = relative.size();
        const std::string part = relative.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") {
            if (!last) continue;
            return opened(at.release());  // "a/" or "a/.": the folder itself
        }
        const int next = ::openat(at.fd, part.c_str(), last ? flags : O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) {
            const int error = errno;
            struct stat info {};
            if ((error == ELOOP || error == ENOTDIR) && ::fstatat(at.fd, part.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISLNK(info.st_mode)) {
                OpenResult link;
                link.outcome = Opened::Link;
                link.error = ELOOP;
                return link;
            }
            return failure(error);
        }
        if (last) return opened(next);
        Descriptor inner(next);
        std::swap(at.fd, inner.fd);
    }
}

}  // namespace

OpenResult openBeneath(const std::string& folder, const std::string& relative, bool directory) {
    Descriptor root(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (root.fd < 0) return failure(errno);
    if (testHooks.beforeOpen != nullptr) testHooks.beforeOpen(relative);
    const int flags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | (directory ? O_DIRECTORY : O_NONBLOCK);
    const std::string name = relative.empty() ? "." : relative;
    OpenResult result;
    if (!testHooks.walkOnly && openInOneStep(root.fd, name, flags, &result)) return result;
    return walk(root.fd, name, flags);
}

std::vector<std::string> namesBeneath(const std::string& folder, const std::string& relative) {
    std::vector<std::string> names;
    OpenResult listed = openBeneath(folder, relative, true);
    if (listed.outcome != Opened::File) return names;
    DIR* entries = ::fdopendir(listed.fd);
    if (entries == nullptr) {
        ::close(listed.fd);
        return names;
    }
    while (const dirent* entry = ::readdir(entries)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(entries);
    return names;
}

}  // namespace files
