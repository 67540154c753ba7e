#include "app/LiveReload.h"

#include "app/Display.h"
#include "app/DocumentLoader.h"
#include "clock/Music.h"
#include "database/Database.h"
#include "database/DocumentMerge.h"
#include "gui/Gui.h"
#include "platform/win/win32.h"
#include "resources/DocumentText.h"
#include "resources/ResourceFolder.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <utility>

namespace {

namespace fs = std::filesystem;

constexpr DWORD quietMilliseconds = 100;    // editors write in several steps; the last one counts
constexpr DWORD longestWaitMilliseconds = 300;  // a folder that never rests still loads in time

void say(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

}  // namespace

LiveReload::LiveReload(std::string documentFile, Display* display) : file(std::move(documentFile)), display(display) {}

LiveReload::~LiveReload() {
    if (watch != INVALID_HANDLE_VALUE) FindCloseChangeNotification(watch);
}

bool LiveReload::start(const LoadedDocument& current) {
    if (!current.database || !current.database->folder()) return false;
    seenSaves = current.database->saveCount();
    // Folders, not files: an editor that saves through a temporary file replaces the file.
    watch = FindFirstChangeNotificationA(current.database->folder()->path().c_str(), FALSE,
                                         FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE);
    if (watch == INVALID_HANDLE_VALUE) return false;
    watchFilesOf(current);
    // Known is what was loaded, not what the file holds now: a save between the load and the
    // watch is signalled by nothing, so a file that differs already is taken as a change.
    std::string now;
    const bool readable = readText(file, &now);
    knownText = current.text.empty() ? now : current.text;
    if (knownText.empty() && !readable) return false;
    if (!readable || now != knownText) {
        pending = true;
        firstChange = lastChange = timeGetTime();
    }
    return true;
}

void LiveReload::watchFilesOf(const LoadedDocument& loaded, const LoadedDocument* tried) {
    // Only these folders, not all below: a version-control store beside the document has thousands.
    std::vector<std::string> folders;
    for (const LoadedDocument* document : {&loaded, tried}) {
        const ResourceFolder* files = document && document->database ? document->database->folder() : nullptr;
        if (files == nullptr) continue;
        const fs::path root = files->path();
        folders.push_back(root.string());
        for (const std::string& name : files->names()) {
            std::string path, problem;
            // A file not there yet may come, and with it its folder: that folder is awaited.
            if (files->locate(name.c_str(), &path, &problem) != ResourceFolder::Lookup::Found)
                path = (root / name).string();
            const fs::path folder = fs::path(path).lexically_normal().parent_path();
            const auto [end, at] = std::mismatch(root.begin(), root.end(), folder.begin(), folder.end());
            if (end == root.end()) folders.push_back(folder.string());  // names that lead out are never read
        }
    }
    std::vector<const char*> names;
    for (const std::string& folder : folders) names.push_back(folder.c_str());
    if (watch != INVALID_HANDLE_VALUE && !names.empty())
        SetChangeNotificationFolders(watch, names.data(), static_cast<DWORD>(names.size()));
}

bool LiveReload::readText(const std::string& name, std::string* text) {
    std::string ignored;  // the load that follows says why
    return readDocumentText(name, text, &ignored);
}

bool LiveReload::due() {
    const DWORD now = timeGetTime();
    if (WaitForSingleObject(watch, 0) == WAIT_OBJECT_0) {
        FindNextChangeNotification(watch);
        if (!pending) firstChange = now;
        pending = true;
        lastChange = now;
    }
    if (!pending || (now - lastChange < quietMilliseconds && now - firstChange < longestWaitMilliseconds)) return false;
    pending = false;
    return true;
}

bool LiveReload::poll(LoadedDocument& current) {
    if (watch == INVALID_HANDLE_VALUE || !current.database || !current.gui || current.gui->isQuitting()) return false;
    if (answer(current)) return true;
    if (current.database->saveCount() != seenSaves) {
        // Written by the player itself: that is what it holds already.
        seenSaves = current.database->saveCount();
        knownText = current.database->savedText();
        editsAnnounced = false;
    }
    if (!due()) return false;
    std::string text;
    if (!readText(file, &text)) return false;  // between an editor's steps: its last one signals again
    const ResourceFolder* files = current.database->folder();
    if (text == knownText && !(files && files->changedOnDisk()) && lastFailure.empty()) return false;
    if (current.database->hasUnsavedEdits()) {
        // Each new version is shown once, with the choices: the file's, mine, or both merged.
        if (!editsAnnounced || text != heldText) {
            const std::string line = file + ": changed on disk while the editor holds edits not yet saved";
            say(line);
            current.gui->getEditor()->getDiskChange()->askAboutChange(line);
        }
        heldText = text;
        editsAnnounced = true;
        return false;
    }

    LoadedDocument next;
    std::vector<std::string> problems;
    const bool loaded = load(file, display, next, &problems, &text);
    watchFilesOf(next, loaded ? nullptr : &current);  // a new version may use files in other folders
    if (!loaded) {
        problems.insert(problems.begin(), next.findings.begin(), next.findings.end());  // as start-up lists them
        problems.push_back(file + ": not loaded; the version on screen plays on");
        const bool again = problems == lastFailure && text == knownText;
        knownText = text;
        if (again) return false;
        lastFailure = problems;
        for (const std::string& line : problems) say(line);
        // The failure itself, cause first, then what zodcheck finds in that version.
        if (current.gui) {
            EditorPanel* editor = current.gui->getEditor();
            editor->setProblems({problems.begin() + static_cast<long>(next.findings.size()), problems.end()});
            editor->setFindings(next.findings);
        }
        return false;
    }
    knownText = text;
    lastFailure.clear();
    editsAnnounced = false;
    swapIn(current, next);
    seenSaves = current.database->saveCount();
    // As at start-up: what still plays may have problems of its own, in zodcheck's words.
    for (const std::string& line : current.findings) say(line);
    return true;  // `next` holds the old version now and takes it away
}

void LiveReload::followed(const LoadedDocument& current) {
    if (current.database) seenSaves = current.database->saveCount();
}

bool LiveReload::answer(LoadedDocument& current) {
    switch (current.gui->getEditor()->getDiskChange()->takeChoice()) {
    case DiskChangeBar::TakeFile: return takeFile(current);
    case DiskChangeBar::Merge: return merge(current);
    case DiskChangeBar::KeepMine:
        // Seen and declined: the next save writes the editor's version over it.
        if (!current.database->acceptChangeOnDisk()) tell(current, file + ": cannot be read");
        return false;
    default: return false;
    }
}

void LiveReload::tell(LoadedDocument& current, const std::string& line) {
    say(line);
    current.gui->getEditor()->getDiskChange()->tell(line);
}

// The file's version, as any reload loads it; the edits go.
bool LiveReload::takeFile(LoadedDocument& current) {
    std::string text;
    LoadedDocument next;
    std::vector<std::string> problems;
    if (!readText(file, &text) || !load(file, display, next, &problems)) {
        if (problems.empty()) problems.push_back(file + ": cannot be read");
        for (const std::string& line : problems) say(line);
        tell(current, problems.front() + "; the edits stay");
        return false;
    }
    knownText = text;
    lastFailure.clear();
    editsAnnounced = false;
    swapIn(current, next);
    seenSaves = current.database->saveCount();
    return true;
}

// The file's version of every object the editor did not change and the editor's of those it did,
// loaded as the new version; the editor's edits stay edits not yet saved.
bool LiveReload::merge(LoadedDocument& current) {
    std::string theirs, mine;
    if (!readText(file, &theirs)) {
        tell(current, file + ": cannot be read; nothing merged");
        return false;
    }
    if (!current.database->compose(&mine)) {
        tell(current, current.database->saveError());
        return false;
    }
    const std::string& base = current.database->hasDiskText() ? current.database->diskText() : knownText;
    MergedDocument merged;
    if (!mergeDocuments(base, mine, theirs, &merged)) {
        tell(current, file + ": cannot be merged element by element; nothing changed");
        return false;
    }
    LoadedDocument next;
    std::vector<std::string> problems;
    if (!load(file, display, next, &problems, nullptr, &merged.text)) {
        for (const std::string& line : problems) say(line);
        tell(current, "The merged version does not load: " + problems.front());
        return false;
    }
    knownText = theirs;
    lastFailure.clear();
    editsAnnounced = false;
    swapIn(current, next);
    seenSaves = current.database->saveCount();
    current.gui->getEditor()->getHistory().markUnsaved();
    std::string line = file + ": merged; not saved yet";
    if (!merged.changedOnBothSides.empty()) {
        line += "; changed on both sides, mine kept:";
        for (const std::string& name : merged.changedOnBothSides) line += " \"" + name + "\"";
    }
    tell(current, line);
    return true;
}

bool LiveReload::load(const std::string& name, Display* display, LoadedDocument& next, std::vector<std::string>* problems,
                      const std::string* text, const std::string* merged) {
    DocumentLoader::Options load;
    load.file = name;
    load.display = display;
    load.text = text;
    load.merged = merged;
    DocumentLoader::Result result = DocumentLoader::load(load, next);
    *problems = std::move(result.problems);
    return static_cast<bool>(result);
}

void LiveReload::swapIn(LoadedDocument& current, LoadedDocument& next) {
    // The old clock as it is now, after the load: the new one takes over from there.
    current.music->update();
    const float time = current.music->time();
    EditorState editor = current.gui->state();
    // A document that built no root visual (an authoring start) plays as soon as it builds one.
    const bool mended = !current.gui->hasRootVisual() && next.gui->hasRootVisual();
    if (mended) editor.shown = false;
    const bool paused = current.music->isPaused() && !mended;
    display->setRoot(next.gui.get());
    const std::vector<std::string> dropped = next.gui->continueFrom(editor);
    for (const std::string& line : dropped) say(file + ": " + line);
    if (!dropped.empty()) next.gui->getEditor()->setProblem((file + ": " + dropped.front()).c_str());
    next.music->seek(time);
    next.music->setPaused(paused);
    current.swap(next);
}
