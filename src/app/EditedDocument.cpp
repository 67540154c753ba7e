#include "app/EditedDocument.h"

#include "app/Display.h"
#include "app/DocumentLoader.h"
#include "clock/Music.h"
#include "database/Database.h"
#include "gui/Gui.h"

bool loadEditedDocument(LoadedDocument& current, const std::string& text, const std::string& file, Display* display,
                        std::string* why) {
    if (!current.database || !current.gui || !current.music) return false;
    DocumentLoader::Options options;
    options.file = file;
    options.display = display;
    options.authoring = !current.gui->hasRootVisual();
    // What the file holds stays the base: the edit is an edit until saved.
    const std::string disk = current.database->hasDiskText() ? current.database->diskText() : current.text;
    if (!file.empty()) options.text = &disk;
    options.merged = &text;
    LoadedDocument next;
    const DocumentLoader::Result result = DocumentLoader::load(options, next);
    if (!result || !next.gui) {
        *why = result.problems.empty() ? "the document does not load" : result.problems.front();
        return false;
    }
    if (current.gui->hasRootVisual() && !next.gui->hasRootVisual()) {
        *why = result.problems.empty() ? "Main: the root visual does not load" : result.problems.front();
        return false;
    }
    current.music->update();
    const float time = current.music->time();
    const bool paused = current.music->isPaused();
    EditorState editor = current.gui->state();
    display->setRoot(next.gui.get());
    next.gui->continueFrom(editor);
    next.music->seek(time);
    next.music->setPaused(paused);
    current.swap(next);
    return true;
}
