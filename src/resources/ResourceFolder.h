// ResourceFolder: the files beside a document given with -d. A resource name that the document
// gives is a relative path inside the document's folder; it is read from there when such a file
// exists, otherwise the executable's resource of that name is used. As for the linked resources,
// letter case is ignored in every component of the name (an exact match wins when two files differ
// only in case). Names that would leave the folder (absolute paths, ".." steps, links pointing
// outside) are refused unread; the file is opened beneath the folder in one step, so a folder
// swapped for a link meanwhile cannot lead outside either. Each file is read whole once; its bytes
// are shared with whoever takes `owner`, so they outlive the folder; what was read (or found
// absent) is remembered, so that a change on disk can be told apart from one that does not matter.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <vector>

class ResourceFolder {
public:
    static constexpr std::size_t maxFileSize = std::size_t(256) << 20;  // no picture, mesh or music is larger

    enum class Lookup { Absent, Found, Refused };  // Refused: `problem` says why

    // The folder of `documentFile` (its real path; the working folder for a bare name).
    explicit ResourceFolder(const std::string& documentFile);

    // Where `name` lies, without reading it. Found gives the file's path (the folder's, then the
    // name as it is spelt on disk).
    Lookup locate(const char* name, std::string* path, std::string* problem) const;
    // The file's bytes, read whole on the first call: Found with the bytes, Absent when no file of
    // that name is there, Refused when it cannot be used (the reason in `problem`). With `owner`, a
    // share of the bytes that keeps them alive.
    Lookup read(const char* name, const unsigned char** data, std::size_t* size, std::string* problem,
                std::shared_ptr<const void>* owner = nullptr);
    // For an absent name: the names present that are nearest to it (at the level where it was
    // missed, with the path leading there), for "did you mean" in its message.
    std::vector<std::string> nearNames(const char* name) const;

    // Whether any name asked for so far would now give other bytes (or a file where there was none).
    bool changedOnDisk() const;
    std::vector<std::string> names() const;  // every name asked for so far, in that order
    const std::string& path() const { return folder; }

private:
    struct Signature {  // what tells a rewritten file from an untouched one
        bool present = false;
        unsigned long long device = 0, inode = 0, size = 0;
        long long modifiedNs = 0, changedNs = 0;
        bool operator==(const Signature& other) const;
    };
    struct File {
        std::string name;
        Signature signature;
        // Shared with those who read it; empty for an absent or refused name.
        std::shared_ptr<std::vector<unsigned char>> bytes = std::make_shared<std::vector<unsigned char>>();
        Lookup lookup = Lookup::Absent;
        std::string problem;
    };
    Signature signatureOf(const std::string& name) const;
    // `name` as it lies on disk, component by component; Absent fills `near` when given.
    Lookup resolve(const std::string& name, std::string* relative, std::vector<std::string>* near) const;
    // The checks and the confined open: Found with an open descriptor of a regular file in range.
    Lookup open(const char* name, int* fd, std::string* relative, std::string* problem) const;

    std::string folder;     // real path, no trailing slash (except "/")
    std::deque<File> files;
};
