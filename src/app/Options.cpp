#include "app/Options.h"

#include <cstdlib>
#include <cstring>

const char* const usageText =
    "Incorrect command line option. Use the following:\n\n"
    "-a\tSkip the setup dialog.\n"
    "-q\tEnable antialiasing.\n"
    "-w\tRun the demo in windowed mode.\n"
    "-x<n>\tSet the display x resoultion.\n"
    "-y<n>\tSet the display y resolution.\n"
    "-d<file>\tLoad a demo data file.\n"
    "-e\tStart with the editor shown, for authoring.";

bool Options::fail(const char* why) {
    hint = why;
    return false;
}

bool Options::parse(char* commandLine) {
    if (commandLine == nullptr) return true;
    const char* separators = " \t\n";
    char* rest = nullptr;
    for (char* token = strtok_r(commandLine, separators, &rest); token != nullptr;
         token = strtok_r(nullptr, separators, &rest)) {
        if (token[0] != '-') return false;
        const char* value = token + 2;  // safe: token[1] is at worst the terminating NUL
        switch (token[1]) {
        case 'a': skipSetup = true; break;
        case 'e': authoring = true; break;
        case 'q': antialias = true; break;
        case 'w': windowed = true; break;
        case 'x':
            if (*value == '\0') return fail("-x needs the width directly after it, as in -x1024");
            width = std::atoi(value);
            break;
        case 'y':
            if (*value == '\0') return fail("-y needs the height directly after it, as in -y768");
            height = std::atoi(value);
            break;
        case 'd':
            if (*value == '\0') return fail("-d needs the file name directly after it, as in -dmy.xml");
            dataFile = value;
            break;
        default: return false;
        }
    }
    return true;
}
