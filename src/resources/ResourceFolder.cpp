#include "resources/ResourceFolder.h"

#include "platform/files/ConfinedFiles.h"
#include "resources/NearNames.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <strings.h>
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

ResourceFolder::Lookup ResourceFolder::resolve(const std::string& name, std::string* relative,
                                               std::vector<std::string>* near) const {
    relative->clear();
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find('/', start);
        if (end == std::string::npos) end = name.size();
        const std::string part = name.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        std::vector<std::string> present = files::namesBeneath(folder, *relative);
        std::sort(present.begin(), present.end());
        std::string chosen;
        if (std::find(present.begin(), present.end(), part) != present.end()) {
            chosen = part;  // an exact match wins over one that differs in case
        } else {
            for (const std::string& candidate : present)
                if (chosen.empty() && ::strcasecmp(candidate.c_str(), part.c_str()) == 0) chosen = candidate;
        }
        if (chosen.empty() && present.empty()) chosen = part;  // not listable: the open decides
        if (chosen.empty()) {
            if (near != nullptr) {
                const std::string rest = start <= name.size() ? name.substr(end) : "";
                for (const std::string& nearName : nearestNames(part, present))
                    near->push_back((relative->empty() ? "" : *relative + "/") + nearName + rest);
            }
            return Lookup::Absent;
        }
        *relative += (relative->empty() ? "" : "/") + chosen;
    }
    return relative->empty() ? Lookup::Absent : Lookup::Found;
}

ResourceFolder::Lookup ResourceFolder::open(const char* name, int* fd, std::string* relative, std::string* problem) const {
    *fd = -1;
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
    if (resolve(text, relative, nullptr) == Lookup::Absent) return Lookup::Absent;
    // The names were looked at first; the open itself stays beneath the folder whatever changed since.
    const files::OpenResult opened = files::openBeneath(folder, *relative, false);
    switch (opened.outcome) {
    case files::Opened::File: break;
    case files::Opened::Absent: return Lookup::Absent;
    case files::Opened::LeadsOut:
        *problem = "the resource " + quoted(name) + " is a link that leads out of the document's folder";
        return Lookup::Refused;
    case files::Opened::Link:
        *problem = "the resource " + quoted(name) + " goes through a link, which this system cannot follow safely";
        return Lookup::Refused;
    case files::Opened::Failed:
        *problem = "the file " + quoted(name) + " cannot be read: " + std::strerror(opened.error);
        return Lookup::Refused;
    }
    struct stat info {};
    std::string refusal;
    if (::fstat(opened.fd, &info) != 0) {
        refusal = "the file " + quoted(name) + " cannot be read: " + std::strerror(errno);
    } else if (!S_ISREG(info.st_mode)) {
        refusal = "the resource " + quoted(name) + " is not a file";
    } else if (info.st_size == 0) {
        refusal = "the file " + quoted(name) + " is empty";
    } else if (static_cast<unsigned long long>(info.st_size) > maxFileSize) {
        refusal = "the file " + quoted(name) + " is larger than 256 MiB";
    }
    if (!refusal.empty()) {
        ::close(opened.fd);
        *problem = refusal;
        return Lookup::Refused;
    }
    *fd = opened.fd;
    return Lookup::Found;
}

ResourceFolder::Lookup ResourceFolder::locate(const char* name, std::string* path, std::string* problem) const {
    int fd = -1;
    std::string relative;
    const Lookup lookup = open(name, &fd, &relative, problem);
    if (fd >= 0) ::close(fd);
    if (lookup == Lookup::Found) *path = (folder == "/" ? "" : folder) + "/" + relative;
    return lookup;
}

std::vector<std::string> ResourceFolder::nearNames(const char* name) const {
    std::vector<std::string> near;
    std::string relative;
    if (name != nullptr && *name != '\0' && *name != '/' && !hasParentStep(name)) resolve(name, &relative, &near);
    return near;
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
        int fd = -1;
        std::string relative;
        file->lookup = open(name, &fd, &relative, &file->problem);
        if (file->lookup == Lookup::Found) {
            struct stat info {};
            std::string failure;
            if (::fstat(fd, &info) != 0) {
                failure = std::strerror(errno);
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
    std::string relative;  // as it lies now: a file that differs in case counts too
    if (resolve(name, &relative, nullptr) == Lookup::Absent) return signature;
    if (::stat((folder + "/" + relative).c_str(), &info) != 0) return signature;
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

std::vector<std::string> ResourceFolder::names() const {
    std::vector<std::string> asked;
    for (const File& file : files) asked.push_back(file.name);
    return asked;
}
