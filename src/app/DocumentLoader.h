// DocumentLoader: the one way a demo document is loaded, by the player's start-up, a live reload,
// zodcheck and zodrender (frames, plans, chunk assembly). The text is read once (the linked
// "Demo.xml", or a file given with -d: a regular file of sensible size), its nesting checked, parsed
// and a parse error explained; then, as far as the caller asks, the files beside it, the database,
// the music and the user interface are built. What fails is said in the same words everywhere, one
// line each, cause first; what loads is also checked as zodcheck checks it.
#pragma once

#include "app/LoadedDocument.h"

#include <string>
#include <vector>

class Display;

class DocumentLoader {
public:
    // How far a load goes; each stage includes those before it.
    enum class Stage {
        Document,  // the text, parsed, and the folder of files beside it
        Database,  // the database over it (objects load when asked for) and zodcheck's findings
        Music,     // the database's "Music", the clock
        Gui,       // the user interface with its root visual (needs a display)
    };
    // The stage that failed; start-up shows one message box for each (see message).
    enum class Failure { None, Read, Parse, Database, Music, Gui };

    struct Options {
        std::string file;                   // empty: the executable's own "Demo.xml"
        Stage upTo = Stage::Gui;
        Display* display = nullptr;         // hosts the user interface
        const std::string* text = nullptr;  // the file's text, when the caller has read it already
        const std::string* merged = nullptr;  // parsed in place of the file's text, which stays what is on disk
        bool leaveOutBrokenItems = false;      // groups draw what loads (a forced render)
        bool authoring = false;  // a root visual that does not load leaves the Gui the editor alone
    };

    struct Result {
        Failure failure = Failure::None;
        // Why it failed: "file:line: ..." lines, cause first; after an authoring load that built the
        // editor alone, why the root visual did not load.
        std::vector<std::string> problems;
        explicit operator bool() const { return failure == Failure::None; }
    };

    // Loads into `into`, which is replaced whole first. On failure `into` holds what was built
    // before the failing stage.
    static Result load(const Options& options, LoadedDocument& into);
    // Every problem zodcheck lists, one line each: the document read and parsed as above, then every
    // object checked and every file it names read and decoded (file empty: the linked one).
    static std::vector<std::string> check(const std::string& file);
    // The name diagnostics give the document: the file, or "Demo.xml".
    static std::string sourceName(const std::string& file);
    // The player's short message for a failure, as its start-up boxes always read.
    static const char* message(Failure failure, bool linked);
};
