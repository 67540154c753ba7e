// EditorState: what the editor shows, as plain data: taken from the running editor and given to
// the one built over the next version of the document (a reload), so that the author's place, loop,
// views and undo go on. Objects are named (their place among the named elements and their name),
// never pointed to, and the waveform is a handle that shares the work already done.
#pragma once

#include "clock/Waveform.h"
#include "gui/EditHistory.h"

#include <map>
#include <string>
#include <vector>

class Object;

// One object's panel as the author left it: a path's current key and view, a model's camera.
struct ObjectView {
    int index = -1;             // among the document's named elements
    std::string name;           // checked against the index; found by name when they disagree
    bool path = false;          // a path's panel; otherwise a model's viewer
    int currentKey = 0;         // a path's
    bool throughKey = false;    // a path's: the view through the current key instead of the orbit
    float distance = 0.0f;      // the orbit camera's, around the current key or the model
    float azimuth = 0.0f;
    float elevation = 0.0f;
    float panX = 0.0f, panY = 0.0f;  // a model's

    // The view of `object`'s panel; false when it has none worth keeping.
    static bool of(Object* object, ObjectView* view);
    // Gives `object`'s panel this view (a path's current key included); false when it does not fit.
    bool applyTo(Object* object) const;
};

struct EditorState {
    bool shown = false;          // the editor is on screen
    bool opened = false;         // it has been shown since start (Escape then saves the backup)
    std::string selected;        // the name selected in the object list; empty: none
    float loopStart = 0.0f;      // seconds; loopEnd <= loopStart: no loop
    float loopEnd = 0.0f;
    float zoom = 1.0f;           // the time line's: 1 shows the whole music
    float viewStart = 0.0f;      // seconds at the time line's left edge
    Waveform waveform;           // the music's loudness, done or under way
    std::vector<ObjectView> views;  // of the objects whose panels were shown
    bool properties = false;     // the property list is shown
    EditHistory::Record history;
    // By a step's index: its object's element as last loaded or saved. A step whose element reads
    // otherwise in the next version was made on something else, and does not go on.
    std::map<int, std::string> stepTexts;
};
