// zodcheck FILE: lists every problem of a demo document at once, one line each, and exits with 0
// when there is none, 1 otherwise.
#include "Version.h"
#include "app/DocumentLoader.h"
#include "database/DocumentCheck.h"
#include "resources/Pack.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const char* usage = "Usage: zodcheck FILE\nLists every problem of a demo document (or of the one a file made by "
                        "zodpack carries) with its line; exit code 0 when there is none.\n  --version  print the version\n";
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::printf("zodcheck %s\n", zodVersion);
        return 0;
    }
    if (argc != 2) {
        std::fputs(usage, stderr);
        return 1;
    }
    std::vector<std::string> problems;
    if (*argv[1] && Pack::isExecutable(argv[1])) {
        // A packed production: its document, its files first and then the linked ones.
        std::string problem;
        if (Pack::installFrom(argv[1], &problem) != Pack::Opened::Packed) {
            std::printf("%s\n", problem.c_str());
            return 1;
        }
        for (const DocumentProblem& found : DocumentCheck::checkText(Pack::installed()->document()))
            problems.push_back(DocumentCheck::format(argv[1], found));
    } else {
        // An empty name would mean the executable's own document, which has no file to name.
        problems = *argv[1] ? DocumentLoader::check(argv[1]) : std::vector<std::string>{": no such file"};
    }
    for (const std::string& line : problems) std::printf("%s\n", line.c_str());
    if (problems.empty()) {
        std::printf("%s: no problems\n", argv[1]);
        return 0;
    }
    std::printf("%s: %zu problem%s\n", argv[1], problems.size(), problems.size() == 1 ? "" : "s");
    return 1;
}
