#include "gui/HelpTable.h"

#include <cstring>

const char* const HelpPlayback = "playback";
const char* const HelpEditor = "editor";
const char* const HelpTimeLine = "time line";
const char* const HelpFloat = "float";
const char* const HelpTexture = "texture";
const char* const HelpModel = "model";
const char* const HelpPath = "path";

// Word for word the rows of the README's tables (without their markdown): change both together.
const std::vector<HelpRow>& helpTable() {
    static const std::vector<HelpRow> rows = {
        {HelpPlayback, "Space", "", "show the editor (the music pauses)"},
        {HelpPlayback, "Escape", "",
         "end the program; if the editor was shown during the run, the document is first saved to \"Backup.xml\" "
         "(with edits not yet saved, the editor comes back and asks first, see below)"},
        {HelpPlayback, "closing the window (Alt+F4, the window manager's close)", "", "the same as Escape"},
        {HelpPlayback, "Ctrl+C, SIGTERM", "", "end the program without asking; edits not yet saved are first written to \"Backup.xml\""},
        {HelpPlayback, "F1", "", "show or hide the keys and mouse actions (Escape or a click also hides them)"},

        {HelpEditor, "Space", "anywhere, unless a focused button takes it as a click", "hide the editor, the music resumes"},
        {HelpEditor, "Escape", "anywhere", "save \"Backup.xml\" and end the program; with edits not yet saved, ask first"},
        {HelpEditor, "Tab, Shift+Tab", "anywhere", "move the keyboard focus forward or backward"},
        {HelpEditor, "close button (cross); closing the window", "toolbar", "the same as Escape"},
        {HelpEditor, "save button (floppy disk), Ctrl+S", "toolbar, anywhere",
         "save the document to its own file (\"demo.xml\" in the working folder for the linked-in document, "
         "otherwise the -d file)"},
        {HelpEditor, "play, pause buttons", "toolbar", "resume or pause the music"},
        {HelpEditor, "time knob: drag, wheel, arrow keys, Page Up/Down", "toolbar", "seek by beats (and pause)"},
        {HelpEditor, "press on the title picture", "toolbar", "move the window (windowed mode)"},
        {HelpEditor, "help button (?), F1", "toolbar, anywhere",
         "show or hide the keys of what is on screen (Escape or a click also hides them)"},
        {HelpEditor, "click, Up/Down, wheel", "object list", "select an object and show its panel; the wheel only scrolls"},
        {HelpEditor, "letters", "object list",
         "jump to the next name that starts with the letters typed (the same letter again: the next such name)"},
        {HelpEditor, "a number typed on a focused knob, then Return; Escape", "any knob",
         "set the number typed (one the document could not keep stays in red with the reason, and nothing "
         "changes); forget it"},

        {HelpEditor, "Ctrl+P", "anywhere", "show or hide the property list and the object controls beside the selected object's panel"},
        {HelpEditor, "typing; Enter; Escape", "property list", "type a number, time, colour or name (light red, with the reason below, when the object could not use it); apply it; go back to the value"},
        {HelpEditor, "click on the right or left half, Down/Up, wheel", "property list choice", "the next or previous object or file of the list, applied at once"},
        {HelpEditor, "cursor button", "property list", "set the time to the current time"},
        {HelpEditor, "New, Copy, Delete buttons", "property list", "make an object of the chosen type; copy the selected one; delete it (asks again while others refer to it)"},
        {HelpFloat, "knob: drag, wheel, arrow keys, Page Up/Down", "float panel",
         "change the number by its step (Page Up/Down: ten steps)"},
        {HelpTexture, "keys 1 to 5; Space; wheel; click", "texture viewer", "zoom 1 to 5 times; back to 1; zoom in or out; back to 1"},
        {HelpModel, "left drag; right drag; wheel; arrow keys", "model viewer", "turn the model; pan; come closer or go away; turn by steps"},

        {HelpPath, "left drag", "orbit view", "orbit the camera around the current key"},
        {HelpPath, "right drag, or Shift + left drag", "orbit view", "move the current key in the view plane (to whole units)"},
        {HelpPath, "middle drag, or Control + left drag", "orbit view", "roll the current key about the line of sight"},
        {HelpPath, "wheel; arrow keys; keypad 1, 3, 7", "orbit view",
         "come closer or go away; turn the camera; look from the front, the side, above"},
        {HelpPath, "left drag", "key view", "look around from the current key"},
        {HelpPath, "middle drag, or Control + left drag", "key view", "roll the current key"},
        {HelpPath, "Page Up, Page Down", "either view", "the next or previous key"},
        {HelpPath, "knobs", "below the view", "tension, continuity, bias; the key (\"Point\"), its time (by beats), the path's scale"},
        {HelpPath, "X, Y, Z, Yaw, Pitch, Roll knobs", "below the view",
         "the current key's position (whole units) and its orientation in degrees: a turn by roll about z, then "
         "pitch about x, then yaw about y (the document keeps the quaternion)"},
        {HelpPath, "click on a key tick; drag it", "time line",
         "make that key the current one and seek to it; move the key's time (to beats; with Shift, exactly), never "
         "past its neighbours"},
        {HelpPath, "plus, minus buttons", "below the view", "insert a key on the curve after the current one; delete the current key"},
        {HelpPath, "curve button", "below the view", "swap the orbit view and the view through the current key"},

        {HelpTimeLine, "click or left drag", "time line",
         "seek there, to the nearest beat (with Shift, exactly); the music pauses"},
        {HelpTimeLine, "right drag", "time line", "mark a loop, on beats (shown shaded); a right click clears it"},
        {HelpTimeLine, "wheel; middle drag", "time line", "zoom in and out about the pointer; scroll when zoomed"},
        {HelpTimeLine, "[, ]", "anywhere", "set the loop's start, its end, at the current time"},
        {HelpTimeLine, "Ctrl+Z; Ctrl+Y or Ctrl+Shift+Z", "anywhere", "undo; redo"},
        {HelpTimeLine, "undo, redo buttons (curved arrows)", "toolbar",
         "undo; redo (greyed when there is nothing to take back or do again)"},
    };
    return rows;
}

const char* helpHeading(const char* context) {
    if (std::strcmp(context, HelpPlayback) == 0) return "While the production plays";
    if (std::strcmp(context, HelpEditor) == 0) return "In the editor";
    if (std::strcmp(context, HelpTimeLine) == 0) return "The time line, the loop and undo";
    if (std::strcmp(context, HelpFloat) == 0) return "The number's knob";
    if (std::strcmp(context, HelpTexture) == 0) return "The texture viewer";
    if (std::strcmp(context, HelpModel) == 0) return "The model viewer";
    if (std::strcmp(context, HelpPath) == 0) return "The path editor";
    return context;
}
