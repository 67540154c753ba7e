#include "app/Application.h"

#include "app/DocumentLoader.h"
#include "app/EditedDocument.h"
#include "app/SetupDialog.h"
#include "clock/Audio.h"
#include "clock/Music.h"
#include "database/Database.h"
#include "gui/Gui.h"
#include "platform/win/StopSignals.h"
#include "platform/win/VisibleDisplay.h"
#include "platform/win/win32.h"

#include <cstdio>
#include <string>

namespace {

// What made start-up fail, for the author: the box keeps its short message, standard error gets
// the file, line and object.
void explain(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

}  // namespace

Application::Application() = default;

Application::~Application() {
    display.shutdown();
    if (audioStarted) stopAudio();
    live.reset();
    if (loaded.database) loaded.database->deleteObjects();  // the music and its stream with the rest
}

int Application::run(int argc, char** argv) {
    if (!initialise(argc, argv)) return 1;
    if (!loaded.gui->isEditorShown()) loaded.music->setPaused(false);  // the editor holds the music
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        // The window's close (Alt+F4, the window manager) is the editor's close button: "Backup.xml"
        // once the editor was opened, and a question first when edits are not yet saved.
        if (display.quitRequested) {
            display.quitRequested = false;
            loaded.gui->requestClose();
        }
        // Ctrl+C or SIGTERM: the run ends at once, without asking; edits not yet saved go to
        // "Backup.xml" first.
        if (win::stopSignalled()) {
            loaded.gui->keepEditsOnStop();
            display.quitRequested = true;
        }
        serveEditorRequest();
        if (live) live->poll(loaded);  // between two frames: a new version is whole or not there
        loaded.music->update();
        if (!display.frame(loaded.music->time(), loaded.music->frameDelta())) break;
    }
    return 0;
}

bool Application::initialise(int argc, char** argv) {
    // The platform hands the arguments over split; the options read them as one text.
    commandLine.clear();
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    if (!parseOptions(commandLine.data()))
        return display.showMessage(options.hint ? (std::string(options.hint) + "\n\n" + usageText).c_str() : usageText);

    // Playing to a window nobody sees (with sound, for minutes) helps no one: say so and stop.
    std::string driver;
    if (!win::startVisibleDisplay(&driver)) {
        explain("no display to show the window on (video driver: " + driver +
                "); set DISPLAY, or SDL_VIDEODRIVER to choose a driver on purpose");
        return display.showMessage("Cannot open a display.");
    }

    // A dialog that cannot even open leaves the options as they are; the window then tells.
    if (!options.skipSetup && SetupDialog::show(&options) == 0) return false;
    // What the dialog offers shows on any screen: full screen falls back to the screen's own mode.
    display.screenModeFallback = !options.skipSetup;

    // From here on Ctrl+C ends the run as closing the window does (until now it simply ends the
    // process). Ours before any library's, which would only queue a quit event nobody reads.
    win::catchStopSignals();

    if (!display.create(nullptr, options.windowed, options.antialias, options.width, options.height)) return false;
    display.showCursor(false);

    splash.setIcon(130);  // without the picture the splash is a black frame
    display.setRoot(&splash);
    display.frame(0.0f, 0.001f);

    if (!startAudio(display.window)) return display.showMessage("Cannot start BASS");
    audioStarted = true;

    if (!loadDocument()) return false;
    // For authoring the editor comes first; and once opened it, not the end, follows the production.
    if (options.authoring && !loaded.gui->isEditorShown()) loaded.gui->toggleEditor();
    display.setRoot(loaded.gui.get());
    if (options.dataFile) {
        live = std::make_unique<LiveReload>(options.dataFile, &display);
        if (!live->start(loaded)) {  // plays on without following the files
            explain(std::string(options.dataFile) + ": its folder cannot be watched; changes on disk are not loaded");
            live.reset();
        }
    }
    return true;
}

void Application::serveEditorRequest() {
    std::string text, why;
    if (!loaded.gui || !loaded.gui->getEditor()->takeDocumentRequest(&text)) return;
    const std::string file = options.dataFile ? options.dataFile : "";
    if (!loadEditedDocument(loaded, text, file, &display, &why)) {
        explain(DocumentLoader::sourceName(file) + ": the edit is not applied: " + why);
        loaded.gui->getEditor()->documentRefused(why);
        return;
    }
    if (live) live->followed(loaded);
}

bool Application::parseOptions(char* text) {
    return options.parse(text);
}

bool Application::loadDocument() {
    DocumentLoader::Options load;
    load.file = options.dataFile ? options.dataFile : "";
    load.display = &display;
    load.authoring = options.authoring;
    const DocumentLoader::Result result = DocumentLoader::load(load, loaded);
    // What loads still plays, so zodcheck's findings come first; then why it did not load.
    for (const std::string& line : loaded.findings) explain(line);
    for (const std::string& line : result.problems) explain(line);
    if (!result) return display.showMessage(DocumentLoader::message(result.failure, options.dataFile == nullptr));
    if (!result.problems.empty()) {
        // Authoring: the editor opens anyway, with why nothing plays; mending the file plays it.
        explain(std::string(DocumentLoader::sourceName(load.file)) + ": " + DocumentLoader::message(DocumentLoader::Failure::Gui, false) +
                " The editor is shown.");
        loaded.gui->getEditor()->setProblems(result.problems);
    }
    return true;
}
