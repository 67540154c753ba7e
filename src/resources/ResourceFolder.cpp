#include "resources/ResourceFolder.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string quoted(const char* text) { return std::string("\"") + text + "\""; }

bool hasParentStep(const std::string& name) {
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find('/', start);
        if (end == std::string::npos) end = name.size();
        if (name.compare(start, end - start, "..") == 0) return true;
        start = end + 1;
    }
    return false;
}

std::string realPath(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

bool inside(const std::string& path, const std::string& folder) {
    if (folder == "/") return path.size() > 1 && path[0] == '/';
    return path.size() > folder.size() + 1 && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

}  // namespace

bool ResourceFolder::Signature::operator==(const Signature& other) const {
    return present == other.present && device == other.device && inode == other.inode && size == other.size &&
           modifiedNs == other.modifiedNs && changedNs == other.changedNs;
}

ResourceFolder::ResourceFolder(const std::string& documentFile) {
    const std::size_t slash = documentFile.rfind('/');
    std::string given = slash == std::string::npos ? "." : slash == 0 ? "/" : documentFile.substr(0, slash);
    folder = realPath(given);
    if (folder.empty()) folder = given;  // looked up as given; every lookup then finds nothing
}

ResourceFolder::Lookup ResourceFolder::locate(const char* name, std::string* path, std::string* problem) const {
    if (name == nullptr || *name == '\0') return Lookup::Absent;
    const std::string text = name;
    if (text[0] == '/') {
        *problem = "the resource " + quoted(name) + " is an absolute path; name a file inside the document's folder";
        return Lookup::Refused;
    }
    if (hasParentStep(text)) {
        *problem = "the resource " + quoted(name) + " steps out of the document's folder (\"..\")";
        return Lookup::Refused;
    }
    const std::string candidate = folder + "/" + text;
    struct stat info {};
    if (::lstat(candidate.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return Lookup::Absent;
        *problem = "the file " + quoted(name) + " cannot be read: " + std::strerror(errno);
        return Lookup::Refused;
    }
    // Links are followed to the end: only a file that really lies inside the folder is used.
    const std::string real = realPath(candidate);
    if (real.empty()) {
        *problem = "the file " + quoted(name) + " cannot be read: " + std::strerror(errno);
        return Lookup::Refused;
    }
    if (!inside(real, folder)) {
        *problem = "the resource " + quoted(name) + " is a link that leads out of the document's folder";
        return Lookup::Refused;
    }
    if (::stat(real.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        *problem = "the resource " + quoted(name) + " is not a file";
        return Lookup::Refused;
    }
    if (info.st_size == 0) {
        *problem = "the file " + quoted(name) + " is empty";
        return Lookup::Refused;
    }
    if (static_cast<unsigned long long>(info.st_size) > maxFileSize) {
        *problem = "the file " + quoted(name) + " is larger than 256 MiB";
        return Lookup::Refused;
    }
    *path = real;
    return Lookup::Found;
}

ResourceFolder::Lookup ResourceFolder::read(const char* name, const unsigned char** data, std::size_t* size,
                                            std::string* problem, std::shared_ptr<const void>* owner) {
    *data = nullptr;
    *size = 0;
    if (name == nullptr || *name == '\0') return Lookup::Absent;
    File* file = nullptr;
    for (File& known : files)
        if (known.name == name) file = &known;
    if (file == nullptr) {
        file = &files.emplace_back();
        file->name = name;
        file->signature = signatureOf(name);
        std::string path;
        file->lookup = locate(name, &path, &file->problem);
        if (file->lookup == Lookup::Found) {
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
            struct stat info {};
            std::string failure;
            if (fd < 0 || ::fstat(fd, &info) != 0) {
                failure = std::strerror(errno);
            } else if (!S_ISREG(info.st_mode) || static_cast<unsigned long long>(info.st_size) > maxFileSize) {
                failure = "it changed while it was read";
            } else {
                std::vector<unsigned char>& bytes = *file->bytes;
                bytes.resize(static_cast<std::size_t>(info.st_size));
                std::size_t done = 0;
                while (done < bytes.size()) {
                    const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
                    if (got < 0 && errno == EINTR) continue;
                    if (got < 0) failure = std::strerror(errno);
                    if (got <= 0) break;
                    done += static_cast<std::size_t>(got);
                }
                bytes.resize(done);  // a file cut short meanwhile gives what was there
            }
            if (fd >= 0) ::close(fd);
            if (failure.empty() && file->bytes->empty()) {
                file->lookup = Lookup::Refused;
                file->problem = "the file " + quoted(name) + " is empty";
            } else if (!failure.empty()) {
                file->lookup = Lookup::Refused;
                file->problem = "the file " + quoted(name) + " cannot be read: " + failure;
                file->bytes->clear();
            }
        }
    }
    if (file->lookup == Lookup::Found) {
        *data = file->bytes->data();
        *size = file->bytes->size();
        if (owner != nullptr) *owner = file->bytes;
    } else if (file->lookup == Lookup::Refused) {
        *problem = file->problem;
    }
    return file->lookup;
}

ResourceFolder::Signature ResourceFolder::signatureOf(const std::string& name) const {
    Signature signature;
    struct stat info {};
    if (name.empty() || name[0] == '/' || hasParentStep(name)) return signature;  // never read, never a change
    if (::stat((folder + "/" + name).c_str(), &info) != 0) return signature;
    signature.present = true;
    signature.device = info.st_dev;
    signature.inode = info.st_ino;
    signature.size = static_cast<unsigned long long>(info.st_size);
    signature.modifiedNs = static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
    signature.changedNs = static_cast<long long>(info.st_ctim.tv_sec) * 1000000000LL + info.st_ctim.tv_nsec;
    return signature;
}

bool ResourceFolder::changedOnDisk() const {
    for (const File& file : files)
        if (!(signatureOf(file.name) == file.signature)) return true;
    return false;
}
