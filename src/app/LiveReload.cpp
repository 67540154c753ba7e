#include "app/LiveReload.h"

#include "app/Display.h"
#include "resources/ResourceFolder.h"
#include "clock/Music.h"
#include "database/Database.h"
#include "database/DocumentCheck.h"
#include "database/DocumentMerge.h"
#include "database/ObjectType.h"
#include "database/XmlNesting.h"
#include "gui/Gui.h"
#include "platform/win/win32.h"

#include <tinyxml.h>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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
    if (!current.database || !current.database->folder() || !readText(file, &knownText)) return false;
    seenSaves = current.database->saveCount();
    // The folder, not the file: an editor that saves through a temporary file replaces the file.
    watch = FindFirstChangeNotificationA(current.database->folder()->path().c_str(), TRUE,
                                         FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE);
    return watch != INVALID_HANDLE_VALUE;
}

bool LiveReload::readText(const std::string& name, std::string* text) {
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    bool read = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                static_cast<unsigned long long>(info.st_size) <= ResourceFolder::maxFileSize;
    text->clear();
    char buffer[65536];
    while (read) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) read = false;
        if (got <= 0) break;
        text->append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return read;
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
    const bool loaded = load(file, display, next, &problems);
    if (!loaded) {
        problems.push_back(file + ": not loaded; the version on screen plays on");
        const bool again = problems == lastFailure && text == knownText;
        knownText = text;
        if (again) return false;
        lastFailure = problems;
        for (const std::string& line : problems) say(line);
        if (current.gui) current.gui->getEditor()->setProblem(problems.front().c_str());
        return false;
    }
    knownText = text;
    lastFailure.clear();
    editsAnnounced = false;
    swapIn(current, next);
    seenSaves = current.database->saveCount();
    // As at start-up: what still plays may have problems of its own, in zodcheck's words.
    for (const DocumentProblem& problem : DocumentCheck::check(*current.document, current.database->folder()))
        say(DocumentCheck::format(file, problem));
    return true;  // `next` holds the old version now and takes it away
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
    if (!load(file, display, next, &problems, &merged.text)) {
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
                      const std::string* merged) {
    std::string text;
    if (!readText(name, &text)) {
        problems->push_back(name + ": cannot be read");
        return false;
    }
    if (xmlNestingDepth(text) > maxXmlNesting) {
        problems->push_back(name + ": elements nested too deeply");
        return false;
    }
    next.document = std::make_unique<TiXmlDocument>(name.c_str());
    // Parsed as at start-up, from the file, so that the lines and the name it saves to are the same.
    if (merged ? (next.document->Parse(merged->c_str()), next.document->Error()) : !next.document->LoadFile(name.c_str())) {
        std::string where = name;
        if (next.document->ErrorRow() > 0) where += ":" + std::to_string(next.document->ErrorRow());
        problems->push_back(where + ": " + (next.document->ErrorDesc() ? next.document->ErrorDesc() : "cannot be parsed"));
        return false;
    }
    next.database = std::make_unique<Database>();
    next.database->setFolder(std::make_unique<ResourceFolder>(name));
    if (!next.database->load(next.document.get())) {
        problems->push_back(name + ": no \"demo\" element");
        return false;
    }
    next.database->setText(merged ? *merged : text);  // what saves keep of unedited elements
    next.database->setDiskText(text);
    next.music = static_cast<Music*>(next.database->music(TypeMusic));
    if (next.music == nullptr) {
        *problems = next.database->loadProblems();
        if (problems->empty()) problems->push_back(name + ": Music: no music of that name");
        return false;
    }
    next.gui = std::make_unique<Gui>();
    if (!next.gui->init(next.database.get(), display)) {
        *problems = next.database->loadProblems();
        if (problems->empty()) problems->push_back(name + ": the editor cannot be built");
        return false;
    }
    return true;
}

void LiveReload::swapIn(LoadedDocument& current, LoadedDocument& next) {
    // The old clock as it is now, after the load: the new one takes over from there.
    current.music->update();
    const float time = current.music->time();
    const bool paused = current.music->isPaused();
    display->setRoot(next.gui.get());
    next.gui->continueFrom(*current.gui);
    next.music->seek(time);
    next.music->setPaused(paused);
    current.swap(next);
}
