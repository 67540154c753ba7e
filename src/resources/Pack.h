// Pack: a production carried by a copy of the player, appended to the executable file by zodpack:
// the document and the files beside it that it uses, each compressed, then an index and a
// trailer (a magic word, where the pack and its index start, the file's whole length and a SHA-256
// fingerprint of the whole file before it, the player included). A packed player plays its pack
// as the linked production; zodcheck and zodrender take a packed file where they take a document.
// The executable's own extent (from its ELF headers) tells a plain player from one with bytes
// after it, so a pack cut short, even one that lost its trailer, is noticed and refused whole.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class Pack {
public:
    enum class Opened { NotPacked, Packed, Damaged };  // Damaged: `problem` says why

    // Reads the executable `file`: NotPacked for a player without a pack (or a file that is not
    // an executable at all), Packed when the whole pack is there and its fingerprint matches.
    // `shown` names the file in `problem` when it is not `file` itself (the player's /proc/self/exe).
    static std::unique_ptr<Pack> open(const std::string& file, Opened* opened, std::string* problem,
                                      const std::string& shown = {});
    // Whether `file` starts as an executable does: then it is a (packed) player, not a document.
    static bool isExecutable(const std::string& file);

    // The pack every lookup of the process consults: the linked resource "Demo.xml" is its
    // document, and its files come before the linked ones of the same name.
    static void install(std::unique_ptr<Pack> pack);
    static const Pack* installed();
    // open, then install when Packed; for an executable without a pack, `problem` says so.
    static Opened installFrom(const std::string& file, std::string* problem, const std::string& shown = {});

    const std::string& document() const { return text; }
    const std::string& path() const { return file; }
    // The bytes of a carried file, letter case ignored as for the linked resources; null if absent.
    const std::vector<unsigned char>* find(const char* name) const;
    // As a linked resource: "Demo.xml" is the document, other names the carried files.
    bool lookup(const char* name, const unsigned char** data, std::size_t* size) const;
    std::vector<std::string> names() const;

    // zodpack's side. The length of the executable proper in `player` (a packed player counts
    // without its pack); 0 when it is not an ELF executable.
    static std::size_t executableLength(const unsigned char* player, std::size_t size);
    // The pack to append to the first `playerLength` bytes of `player`.
    static std::vector<unsigned char> build(const unsigned char* player, std::size_t playerLength, const std::string& document,
                                            const std::vector<std::pair<std::string, std::vector<unsigned char>>>& files);

private:
    std::string file;
    std::string text;
    std::vector<std::pair<std::string, std::vector<unsigned char>>> files;
};
