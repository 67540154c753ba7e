// Options: the settings of one run, from the command line and the setup dialog. dataFile points
// into the command-line text that parse cut in place, so that text must outlive the options.
#pragma once

struct Options {
    // Tokens split at blanks, tabs and line feeds; each must be "-" and one option letter.
    // False for any other token, or for -x, -y or -d without a value. The last repeat wins.
    bool parse(char* commandLine);

    bool skipSetup = false;          // -a
    bool authoring = false;          // -e: the editor from the start; a document that does not build still opens
    bool antialias = false;          // -q, or the dialog's "&Antialiased" box
    bool windowed = false;           // -w, or the dialog's "&Windowed" box
    int width = 800;                 // -x<n>, or the dialog's list
    int height = 600;                // -y<n>, or the dialog's list
    const char* dataFile = nullptr;  // -d<file>, inside the command line; null: the resource "Demo.xml"
    // After a failed parse, what more than the usage can say: "-d ok.xml" is -d without a name.
    const char* hint = nullptr;

private:
    bool fail(const char* why);
};

// The message of a bad option, shown as it has always read.
extern const char* const usageText;
