// HelpTable: every key and mouse action of the player and the editor, one row each, as the help
// overlay shows them and as the README's key tables list them (a test holds the two together).
// A row belongs to one context: what is on screen when it applies.
#pragma once

#include <vector>

struct HelpRow {
    const char* context;  // HelpPlayback, HelpEditor, ... below
    const char* input;
    const char* where;    // empty for playback, where the whole window is the picture
    const char* effect;
};

extern const char* const HelpPlayback;  // the production plays, no editor
extern const char* const HelpEditor;    // the editor's toolbar and object list
extern const char* const HelpTimeLine;  // the time line, the loop and undo
extern const char* const HelpFloat;     // the selected object's panel, by its type
extern const char* const HelpTexture;
extern const char* const HelpModel;
extern const char* const HelpPath;

const std::vector<HelpRow>& helpTable();
const char* helpHeading(const char* context);  // the overlay's heading of a context's rows
