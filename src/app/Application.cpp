#include "app/Application.h"

#include "app/LoadResource.h"
#include "app/SetupDialog.h"
#include "clock/Music.h"
#include "platform/win/win32.h"

#include <tinyxml.h>

#include <string>

namespace {

const char* const windowTitle = "Zod'e Revez!";

}  // namespace

Application::Application() : document(std::make_unique<TiXmlDocument>("demo.xml")) {}

Application::~Application() {
    // display.shutdown and stopAudio come first once the display and the audio start-up exist.
    database.deleteObjects();
}

int Application::run(int argc, char** argv) {
    if (!initialise(argc, argv)) return 1;
    // The main loop (messages, music.update, display.frame) runs once the display exists.
    return 0;
}

bool Application::initialise(int argc, char** argv) {
    // The platform hands the arguments over split; the options read them as one text.
    commandLine.clear();
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    if (!parseOptions(commandLine.data())) {
        showMessage(usageText);
        return false;
    }
    if (!options.skipSetup && SetupDialog::show(&options) == 0) return false;

    if (!loadDocument()) return false;

    music = dynamic_cast<Music*>(database.music(TypeMusic));
    if (music == nullptr) {
        showMessage("Cannot load music.");
        return false;
    }
    return true;
}

bool Application::parseOptions(char* text) {
    return options.parse(text);
}

bool Application::loadDocument() {
    if (options.dataFile == nullptr) {
        ResourceData resource = loadResource("Demo.xml");
        if (!resource) {
            showMessage("Cannot open database resource");
            return false;
        }
        std::string text(reinterpret_cast<const char*>(resource.data), resource.size);
        document->Parse(text.c_str());
        if (document->Error()) {
            showMessage("XML parsing error");
            return false;
        }
    } else if (!document->LoadFile(options.dataFile)) {
        showMessage("XML loading and parsing error");
        return false;
    }
    if (!database.load(document.get())) {
        showMessage("The database cannot load");
        return false;
    }
    return true;
}

void Application::showMessage(const char* text) {
    MessageBoxA(nullptr, text, windowTitle, MB_OK | MB_ICONERROR);
}
