// zodpack -o OUT FILE: one executable file that plays a document: a copy of the player with the
// document and the files beside it that it uses appended, compressed (resources/Pack.h). The
// document is checked first as zodrender checks it; one with problems is refused unless --force.
#include "Version.h"
#include "database/DocumentCheck.h"
#include "resources/Pack.h"
#include "resources/ResourceFolder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* usage =
    "Usage: zodpack -o OUT [--force] [--player FILE] FILE\n"
    "Writes OUT, one executable file: the player carrying the demo document FILE and the files beside it\n"
    "that it uses, compressed. It plays as the linked production does; zodcheck and zodrender take it\n"
    "as a document.\n"
    "  -o OUT         the file to write\n"
    "  --force        pack a document that has problems\n"
    "  --player FILE  the player to copy (default: the zodrevez beside zodpack)\n"
    "  --version      print the version\n";

int fail(const std::string& text) {
    std::fprintf(stderr, "zodpack: %s\n", text.c_str());
    return 1;
}

bool readWhole(const std::string& path, std::string* bytes) {
    std::error_code error;
    if (!fs::is_regular_file(path, error)) return false;
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    const std::streamoff size = file.tellg();
    if (!file || size < 0) return false;
    bytes->resize(static_cast<std::size_t>(size));
    file.seekg(0);
    file.read(bytes->data(), size);
    return file.gcount() == size;
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return fs::equivalent(a, b, error);
}

}  // namespace

int main(int argc, char** argv) {
    std::string output, document, player;
    bool force = false;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--help" || word == "-h") {
            std::fputs(usage, stdout);
            return 0;
        } else if (word == "--version") {
            std::printf("zodpack %s\n", zodVersion);
            return 0;
        } else if (word == "--force") {
            force = true;
        } else if ((word == "-o" || word == "--player") && i + 1 < argc) {
            (word == "-o" ? output : player) = argv[++i];
        } else if (!word.empty() && word[0] != '-' && document.empty()) {
            document = word;
        } else {
            std::fprintf(stderr, "zodpack: unexpected \"%s\"\n%s", word.c_str(), usage);
            return 1;
        }
    }
    if (output.empty() || document.empty()) {
        std::fputs(usage, stderr);
        return 1;
    }
    if (Pack::isExecutable(document)) return fail(document + " is a program; give the document to pack");
    std::string text;
    if (!readWhole(document, &text)) return fail("cannot read " + document);

    // Every problem, as zodrender lists them: a broken object would silently be missing.
    const std::vector<DocumentProblem> problems = DocumentCheck::checkFile(document.c_str(), true);
    for (const DocumentProblem& problem : problems)
        std::fprintf(stderr, "%s\n", DocumentCheck::format(document, problem).c_str());
    if (!problems.empty() && !force)
        return fail("the document has problems (listed above); nothing was written. --force packs it anyway");

    // The files the player would read from the folder, found as it finds them: the check reads
    // every resource (the pictures an X mesh names too). Those not in the folder are linked in.
    ResourceFolder folder(document);
    DocumentCheck::checkText(text, &folder, &folder);
    std::vector<std::pair<std::string, std::vector<unsigned char>>> carried;
    std::size_t sizes = 0;
    for (const std::string& name : folder.names()) {
        const unsigned char* data = nullptr;
        std::size_t size = 0;
        std::string ignored;  // a file that cannot be used was a problem above
        if (folder.read(name.c_str(), &data, &size, &ignored) != ResourceFolder::Lookup::Found) continue;
        carried.emplace_back(name, std::vector<unsigned char>(data, data + size));
        sizes += size;
    }

    if (player.empty()) {
        std::error_code error;
        const fs::path self = fs::read_symlink("/proc/self/exe", error);
        player = (error ? fs::path(".") : self.parent_path()) / "zodrevez";
    }
    std::string program;
    if (!readWhole(player, &program)) return fail("cannot read the player " + player + " (--player names it)");
    const auto* programBytes = reinterpret_cast<const unsigned char*>(program.data());
    const std::size_t playerLength = Pack::executableLength(programBytes, program.size());
    if (playerLength == 0) return fail(player + " is not the player executable");
    if (sameFile(output, document) || sameFile(output, player))
        return fail("the output " + output + " would overwrite the " + (sameFile(output, player) ? "player" : "document"));
    for (const auto& entry : carried)
        if (sameFile(output, folder.path() + "/" + entry.first)) return fail("the output " + output + " is a file the document uses");

    // A packed player brings only the player: its old pack is left behind.
    const std::vector<unsigned char> pack = Pack::build(programBytes, playerLength, text, carried);
    const std::string partial = output + ".part";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(program.data(), static_cast<std::streamsize>(playerLength));
        out.write(reinterpret_cast<const char*>(pack.data()), static_cast<std::streamsize>(pack.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            fs::remove(partial, ignored);
            return fail("cannot write " + output);
        }
    }
    std::error_code error;
    fs::permissions(partial, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec, error);
    if (!error) fs::rename(partial, output, error);
    if (error) {
        std::error_code ignored;
        fs::remove(partial, ignored);
        return fail("cannot write " + output + ": " + error.message());
    }
    std::fprintf(stderr, "zodpack: wrote %s: %zu bytes, the player's %zu and %zu file%s of %zu bytes compressed to %zu\n",
                 output.c_str(), playerLength + pack.size(), playerLength, carried.size() + 1,
                 carried.empty() ? "" : "s", sizes + text.size(), pack.size());
    return 0;
}
