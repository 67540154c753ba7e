// FrameRenderer: the player's display, database and user interface, opened headless, drawing one
// frame at a time for a time the caller chooses instead of the music's. The root widget is the
// player's own Gui, so the 4:3 picture sits in the frame exactly as the window shows it. With a
// layout size, render draws instead what the player shows in a window of that size, scaled to fit
// the frame, on the player's dark blue.
#pragma once

#include "app/Display.h"
#include "app/LoadedDocument.h"
#include "resources/LoadResource.h"
#include "database/Database.h"
#include "gui/Gui.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TiXmlDocument;

class FrameRenderer {
public:
    FrameRenderer();
    ~FrameRenderer();  // display, audio, objects, in the player's order

    // Every problem zodcheck finds in the document (dataFile empty: the linked production), on
    // standard error; true when there is none.
    static bool listProblems(const std::string& dataFile);
    // dataFile empty: the linked production. false with a message for the user in *error.
    // With `leaveOutBroken` (a forced render), groups leave out the items that do not load, and
    // standard error names them.
    bool open(const std::string& dataFile, int width, int height, bool antialias, std::string* error,
              bool leaveOutBroken = false);
    // The window size whose picture render scales to the frame (zodrender: 800 x 600, the player's
    // own); 0 x 0, the default, places everything in the frame's own pixels as a window of its size.
    void setLayout(int width, int height);
    bool render(float time, float delta);       // one frame into the back buffer; false: nothing drawn
    bool present(float time, float delta);      // one frame as the player draws it, presented
    bool readPixels(std::vector<std::uint32_t>* pixels);  // the last frame, top row first
    // The same in two halves, so that the next frame is drawn while this one is still on its way:
    // queuePixels takes the last frame (up to two may wait), takePixels hands out the oldest.
    bool queuePixels();
    bool takePixels(std::vector<std::uint32_t>* pixels);
    int queuedPixels() const { return queued; }
    std::string musicResource() const;          // the resource "Music" plays, or empty
    static std::string musicResourceOf(const TiXmlDocument& document);  // the same of any document
    ResourceData musicBytes() const;            // its bytes, beside the document or linked; none if missing
    // The first frame at or past the end of the music. The player's clock stands still there, so a
    // production that has not ended by then shows that picture for good: a render without an end
    // of its own stops there. -1 with *error when the first frame is there already.
    int musicEndFrame(int fps, int first, std::string* error);
    // Whether the production ended at the instant of frame n, the last it draws: a frame stands for
    // the time up to the next one, so one whose picture would vanish within half a frame is left out
    // (a 10 s production is 600 frames at 60 fps, not 601). Draws once more: ask after the last frame.
    bool endsAtFrame(int n, int fps);
    // For a render (or plan) cut at the music's end: says so on standard error, unless the
    // production ends just there anyway.
    void noteCutAtMusicEnd(int fps, const char* what);

    // For the reference frames of the editor: the user interface and the objects it lists (once open).
    Gui& userInterface() { return *loaded.gui; }
    Database& objects() { return *loaded.database; }

private:
    bool renderLayout(float time, float delta);  // render with a layout size
    int musicEnd(int fps);                       // the first frame at or past the music's end

    int layoutWidth = 0;   // 0: the frame's own pixels
    int layoutHeight = 0;
    Display display;
    LoadedDocument loaded;  // as the player loads it, user interface included
    bool audioStarted = false;
    int queued = 0;     // frames queued and not yet taken
    UINT nextSlot = 0;  // the read slot the next queuePixels uses
};
