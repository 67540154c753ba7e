#include "app/Application.h"

#include "resources/LoadResource.h"
#include "resources/ResourceFolder.h"
#include "app/SetupDialog.h"
#include "clock/Audio.h"
#include "clock/Music.h"
#include "database/Database.h"
#include "database/DocumentCheck.h"
#include "database/XmlNesting.h"
#include "database/XmlParseError.h"
#include "gui/Gui.h"
#include "platform/win/StopSignals.h"
#include "platform/win/VisibleDisplay.h"
#include "platform/win/win32.h"

#include <tinyxml.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace {

std::string fileText(const char* fileName) {
    std::ifstream file(fileName, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// The parser recurses per level; a file nested deeper than any real document is refused unread.
bool nestingAcceptable(const char* fileName) {
    std::ifstream file(fileName, std::ios::binary);
    if (!file) return false;
    return xmlNestingDepth(fileText(fileName)) <= maxXmlNesting;
}

// What made start-up fail, for the author: the box keeps its short message, standard error gets
// the file, line and object.
void explain(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

void explain(const Database& database) {
    for (const std::string& line : database.loadProblems()) explain(line);
}

// As zodcheck says it: the element left open and its line rather than where the parser gave up.
std::string parseError(const std::string& source, const std::string& text, const TiXmlDocument& document) {
    return DocumentCheck::format(source, XmlParseError::explain(text, document));
}

}  // namespace

Application::Application() {
    loaded.document = std::make_unique<TiXmlDocument>("demo.xml");
    loaded.database = std::make_unique<Database>();
    loaded.gui = std::make_unique<Gui>();
}

Application::~Application() {
    display.shutdown();
    if (audioStarted) stopAudio();
    live.reset();
    loaded.database->deleteObjects();  // the music and its stream with the rest
}

int Application::run(int argc, char** argv) {
    if (!initialise(argc, argv)) return 1;
    loaded.music->setPaused(false);
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        // Ctrl+C or SIGTERM: the run ends as when the window is closed, nothing saved.
        if (win::stopSignalled()) display.quitRequested = true;
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

    loaded.music = static_cast<Music*>(loaded.database->music(TypeMusic));
    if (loaded.music == nullptr) {
        explain(*loaded.database);
        return display.showMessage("Cannot load music.");
    }

    if (!loaded.gui->init(loaded.database.get(), &display)) {
        explain(*loaded.database);
        return display.showMessage("Cannot load Gui.");
    }
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

bool Application::parseOptions(char* text) {
    return options.parse(text);
}

bool Application::loadDocument() {
    std::string source = options.dataFile ? options.dataFile : "Demo.xml";
    if (options.dataFile == nullptr) {
        ResourceData resource = loadResource("Demo.xml");
        if (!resource) return display.showMessage("Cannot open database resource");
        std::string text(reinterpret_cast<const char*>(resource.data), resource.size);
        if (xmlNestingDepth(text) > maxXmlNesting) {
            explain(source + ": elements nested too deeply");
            return display.showMessage("XML parsing error");
        }
        loaded.document->Parse(text.c_str());
        if (loaded.document->Error()) {
            explain(parseError(source, text, *loaded.document));
            return display.showMessage("XML parsing error");
        }
        loaded.database->setSourceName(source);  // the document keeps "demo.xml", the file it saves to
    } else {
        // TinyXML sizes its buffer from a seek to the end, which a folder or a device answers
        // with nonsense: only a regular file is read.
        std::error_code error;
        if (!std::filesystem::is_regular_file(options.dataFile, error)) {
            explain(source + (std::filesystem::exists(options.dataFile, error) ? ": not a file" : ": no such file"));
            return display.showMessage("XML loading and parsing error");
        }
        if (!nestingAcceptable(options.dataFile)) {
            explain(source + ": elements nested too deeply");
            return display.showMessage("XML loading and parsing error");
        }
        if (!loaded.document->LoadFile(options.dataFile)) {
            explain(parseError(source, fileText(options.dataFile), *loaded.document));
            return display.showMessage("XML loading and parsing error");
        }
        loaded.database->setFolder(std::make_unique<ResourceFolder>(options.dataFile));  // files beside it
    }
    if (!loaded.database->load(loaded.document.get())) {
        explain(source + ": no \"demo\" element");
        return display.showMessage("The database cannot load");
    }
    // Every problem zodcheck would list, in its words: a broken object must not just go missing.
    // What loads still plays.
    for (const DocumentProblem& problem : DocumentCheck::check(*loaded.document, loaded.database->folder()))
        explain(DocumentCheck::format(source, problem));
    return true;
}
