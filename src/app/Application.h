// The program's top-level object: options, setup dialog, display, loading picture, audio,
// document, music and editor, then the main loop until the user quits or the production ends.
// Start-up stops at the first failure (after its message); the destructor always shuts down, in
// a fixed order, whatever start-up reached.
#pragma once

#include "app/Display.h"
#include "app/Options.h"
#include "database/Database.h"
#include "gui/Gui.h"
#include "gui/SplashImage.h"

#include <memory>
#include <string>

class Music;
class TiXmlDocument;

class Application {
public:
    Application();
    ~Application();  // display, audio, objects, then the members in reverse order

    int run(int argc, char** argv);  // 1 when start-up fails (or the dialog is cancelled), 0 after a normal end
    bool initialise(int argc, char** argv);
    bool parseOptions(char* commandLine);  // cuts the text in place; dataFile points into it
    bool loadDocument();                   // the resource "Demo.xml" or the -d file, then the database

private:
    std::string commandLine;                  // the arguments joined with blanks; dataFile points into it
    Options options;                          // of this run
    Display display;                          // the window and the device
    SplashImage splash;                       // the loading picture, root until the editor is ready
    std::unique_ptr<TiXmlDocument> document;  // owned; named "demo.xml" until a -d file names it
    Database database;                        // owns every object
    Gui gui;                                  // the root widget once loaded
    Music* music = nullptr;                   // not owned: the database's "Music"
    bool audioStarted = false;                // stopAudio only undoes a successful startAudio
};
