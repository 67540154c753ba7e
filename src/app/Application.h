// The program's top-level object: options, setup dialog, display, loading picture, audio,
// document, music and editor, then the main loop until the user quits or the production ends.
// Start-up stops at the first failure (after its message); the destructor always shuts down, in
// a fixed order, whatever start-up reached.
#pragma once

#include "app/Display.h"
#include "app/LiveReload.h"
#include "app/LoadedDocument.h"
#include "app/Options.h"
#include "gui/SplashImage.h"

#include <memory>
#include <string>

class Application {
public:
    Application();
    ~Application();  // display, audio, objects, then the members in reverse order

    int run(int argc, char** argv);  // 1 when start-up fails (or the dialog is cancelled), 0 after a normal end
    bool initialise(int argc, char** argv);
    bool parseOptions(char* commandLine);
    // Between two frames: the editor's edit of the whole document, loaded, or refused with why.
    void serveEditorRequest();  // cuts the text in place; dataFile points into it
    bool loadDocument();                   // the resource "Demo.xml" or the -d file, through the music and the Gui

private:
    std::string commandLine;                  // the arguments joined with blanks; dataFile points into it
    Options options;                          // of this run
    Display display;                          // the window and the device
    SplashImage splash;                       // the loading picture, root until the editor is ready
    LoadedDocument loaded;                    // the document ("demo.xml" until a -d file names it),
                                              // the database owning every object, the Gui (the root
                                              // widget once loaded) and the database's "Music"
    std::unique_ptr<LiveReload> live;         // a -d document follows its files; none otherwise
    bool audioStarted = false;                // stopAudio only undoes a successful startAudio
};
