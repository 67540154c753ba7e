#include "resources/DocumentText.h"

#include "resources/ResourceFolder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool readDocumentText(const std::string& file, std::string* text, std::string* problem) {
    text->clear();
    // Opened without blocking, so that a FIFO put in the document's place cannot hold the player.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        *problem = errno == ENOENT || errno == ENOTDIR ? "no such file" : std::string("cannot be read: ") + std::strerror(errno);
        return false;
    }
    struct stat info {};
    std::string failure;
    if (::fstat(fd, &info) != 0) {
        failure = std::string("cannot be read: ") + std::strerror(errno);
    } else if (!S_ISREG(info.st_mode)) {
        failure = "not a file";
    } else if (static_cast<unsigned long long>(info.st_size) > ResourceFolder::maxFileSize) {
        failure = "cannot be read: larger than " + std::to_string(ResourceFolder::maxFileSize >> 20) + " MiB";
    }
    char buffer[65536];
    while (failure.empty()) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) failure = std::string("cannot be read: ") + std::strerror(errno);
        if (got <= 0) break;
        text->append(buffer, static_cast<std::size_t>(got));
        if (text->size() > ResourceFolder::maxFileSize) failure = "cannot be read: it grew while it was read";
    }
    ::close(fd);
    if (failure.empty()) return true;
    text->clear();
    *problem = failure;
    return false;
}
