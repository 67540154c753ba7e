// LiveReload: a -d document that follows its files. The folders that the document and its files lie
// in are watched through the system's change notification; once the changes have settled, the document is loaded again, whole,
// between two frames, when it or a file it uses differs from what was last loaded or saved. The new
// version replaces the running one only when it loaded, and goes on at the same time, paused or not,
// with the editor as it was. A version that does not load leaves the running one, and says why on
// standard error and in the editor. Edits not yet saved are never replaced: the editor asks whether
// to take the file's version, keep its own, or merge the two object by object. The player's own
// saves are what it already has, so they load nothing.
#pragma once

#include "app/LoadedDocument.h"
#include "platform/win/ChangeNotification.h"

#include <string>
#include <vector>

class Display;

class LiveReload {
public:
    LiveReload(std::string documentFile, Display* display);
    ~LiveReload();
    LiveReload(const LiveReload&) = delete;
    LiveReload& operator=(const LiveReload&) = delete;

    // Starts watching, with `current` as loaded from the file now; false when the folder cannot be
    // watched (the player then plays on without following it).
    bool start(const LoadedDocument& current);
    // Between two frames: true when `current` was replaced by a new version.
    bool poll(LoadedDocument& current);

    // `current` was replaced by the editor's own edit: its saves are counted from there.
    void followed(const LoadedDocument& current);

    bool isWaiting() const { return pending; }          // a change seen, not yet looked at
    bool isHoldingEdits() const { return editsAnnounced; }  // a change on disk was left for unsaved edits

    // The document file loaded whole into `next`, as start-up loads it (from `text` when it has been
    // read already): false with the lines that say why, cause first. With `merged`, that text is
    // loaded in place of the file's, which stays what is on disk.
    static bool load(const std::string& file, Display* display, LoadedDocument& next, std::vector<std::string>* problems,
                     const std::string* text = nullptr, const std::string* merged = nullptr);
    // The file's text, as long as it is a readable regular file of sensible size.
    static bool readText(const std::string& file, std::string* text);

private:
    bool due();  // a change was seen and the folders have been quiet since
    // Watches the folders that `loaded`'s files (and `tried`'s, when given) lie in or would lie in.
    void watchFilesOf(const LoadedDocument& loaded, const LoadedDocument* tried = nullptr);
    // The author's answer to a change on disk under unsaved edits; true when `current` was replaced.
    bool answer(LoadedDocument& current);
    bool takeFile(LoadedDocument& current);
    bool merge(LoadedDocument& current);
    void tell(LoadedDocument& current, const std::string& line);  // standard error and the editor
    void swapIn(LoadedDocument& current, LoadedDocument& next);

    std::string file;
    Display* display;  // not owned
    HANDLE watch = INVALID_HANDLE_VALUE;
    bool pending = false;     // a change seen, not yet looked at
    DWORD firstChange = 0;    // milliseconds of the timer
    DWORD lastChange = 0;
    std::string knownText;    // the document as last loaded, tried or saved
    unsigned seenSaves = 0;   // the database's saves already taken into knownText
    bool editsAnnounced = false;            // the refusal to replace unsaved edits was said
    std::string heldText;                   // the version on disk the editor was last asked about
    std::vector<std::string> lastFailure;  // said once for the same text and the same cause
};
