// EditHistory: the editor's undo and redo. A step holds what one gesture (a knob drag, a key press
// or wheel notch on a knob, a drag in a path view, a button) changed of one object: its editable
// state before and after. Steps name their object by its place and name in the document, never by
// pointer, so no step outlives what it points to. A reload that builds new objects takes the steps
// as a record and carries into the new editor those whose objects are still the same; the rest go.
// Panels report their gestures through the active history, the one the editor registered; without
// one nothing is kept.
#pragma once

#include "database/FloatTrack.h"
#include "paths/SplineKey.h"

#include <functional>
#include <string>
#include <vector>

class Database;
class Object;

class EditHistory {
public:
    static constexpr int limit = 500;  // the oldest steps go beyond this

    EditHistory();
    ~EditHistory();
    EditHistory(const EditHistory&) = delete;
    EditHistory& operator=(const EditHistory&) = delete;

    static EditHistory* active();  // the editor's history, or none
    void activate();

    // Before a change of object: its state is kept as the step's start, once per gesture.
    static void beginEdit(Object* object);
    // The gesture is over: a step when its object changed.
    static void endEdit();

    // Takes back (or does again) the last step; the index of the object it changed in database,
    // or -1 when there was nothing to do or the object cannot be found.
    int undo(Database* database);
    int redo(Database* database);
    bool canUndo() const { return position > 0; }
    bool canRedo() const { return position < static_cast<int>(steps.size()); }

    void markSaved();                  // the document's file now holds what the objects hold
    void markUnsaved();                // the file holds something else (a merge with it)
    bool isModified() const { return position != savedPosition; }
    void clear();                      // no steps; the document counts as saved as it is
    // A gesture in progress is forgotten without a step; the steps stay. Before the database it
    // began in goes away (a reload), this or clear() must be called.
    void cancelGesture();

    struct State {  // what an edit can change of an object
        bool element = false;   // the element's text (the property list's edits)
        bool document = false;  // the whole document's text (objects made, copied, renamed, deleted)
        std::string text;       // of either
        bool path = false;
        float value = 0.0f;              // a float's
        std::vector<FloatKey> floatKeys; // a float's track
        std::vector<SplineKey> keys;     // a path's
        float scale = 1.0f;
        int currentKey = 0;              // restored, but selecting a key is no edit
        bool sameEdits(const State& other) const;
    };
    struct Step {
        int index = -1;     // among the document's named elements
        std::string name;   // checked against the index; found by name when they disagree
        State before, after;
    };
    struct Record {  // the steps as data, to be carried across a reload
        std::vector<Step> steps;
        int position = 0;  // steps done
        int savedPosition = 0;
        bool own = false;  // the editor's own reload of its edited text: every step goes on, unsaved as it was
    };

    // A step made whole elsewhere (an element's or the document's text): it is done already.
    void push(Step step);
    // After undo or redo of a document step: the text to load in place of the document. The step
    // counts as done (or undone); when the text does not load, revertMove takes that back.
    bool takeDocumentRequest(std::string* text);
    void revertMove();
    // Why the last undo or redo changed nothing (an element text its object could not use).
    const std::string& refusal() const { return refused; }

    // The steps, without a gesture in progress.
    Record record() const { return {steps, position, savedPosition, false}; }
    // In place of these steps, those of `record` that `keep` accepts (it may renumber them); the
    // document as it is now counts as saved. A step holds whole states, so dropping all of one
    // object's steps leaves the others undoing and redoing as before. How many were left out.
    int carry(Record record, const std::function<bool(Step&)>& keep);
    // The step's object in `database`: at its index when the name agrees, else the first of its
    // name; -1 when there is none.
    static int indexIn(const Database& database, const Step& step);

private:
    void begin(Object* object);
    void end();
    int apply(Database* database, const Step& step, const State& state);

    std::vector<Step> steps;
    int position = 0;          // steps done; undo takes back steps[position - 1]
    int savedPosition = 0;     // position when last saved; -1 when no position matches the file
    bool open = false;         // a gesture runs: pending holds its start
    Step pending;
    Database* pendingDatabase = nullptr;  // not owned; only while the gesture runs
    std::string requested;     // see takeDocumentRequest
    bool hasRequest = false;
    int lastMove = 0;          // +1 after a redo or push, -1 after an undo
    bool lastPushed = false;   // the last move was a push
    std::string refused;
};
