// TimeLine: the editor's strip across its whole width: the music's length with its bars and beats,
// its loudness (computed off the main thread from when the editor is first shown, drawn once ready), the selected object's active
// ranges, the loop region and the current time. A click or left drag seeks (to the nearest beat;
// with Shift, exactly) and pauses; a right drag marks the loop (on beats), a right click clears it;
// the wheel zooms about the pointer and a middle drag scrolls. For a path, a click on one of its key
// ticks makes that key the current one (and seeks to it); dragging the tick moves the key's time
// (to beats; with Shift, exactly), never past its neighbours, as one step of the undo history.
// It never takes the keyboard focus;
// the editor gives it the loop keys. The loop acts on the music only while enabled (the editor
// shown), so the production without the editor plays as ever.
#pragma once

#include "clock/Waveform.h"
#include "gui/Label.h"
#include "gui/ScreenDrawing.h"
#include "gui/TimeRanges.h"
#include "gui/Widget.h"

#include <string>
#include <vector>

class Music;
class Object;
class PathSpline;

class TimeLine : public Widget {
public:
    static constexpr int height = 50;  // the strip's inner height; its frame adds the margins

    TimeLine();
    ~TimeLine() override;

    bool init(Music* music);   // false without the label font
    // The time line last set up, for panels that draw along it (a float's curve); none without one.
    static TimeLine* shown() { return latest; }
    void setObject(Object* object);  // whose ranges to show; none shows none

    // The loop, in seconds; end <= start: none.
    void setLoop(float start, float end);
    void clearLoop() { setLoop(0, 0); }
    void setLoopStartHere();   // at the current time (a later end stays)
    void setLoopEndHere();
    bool hasLoop() const { return loopEnd > loopStart; }
    float getLoopStart() const { return loopStart; }
    float getLoopEnd() const { return loopEnd; }
    void enableLoop(bool enabled);  // whether the music loops (the editor is shown)

    float timeAt(int x) const;   // the time under a column of the window
    int xAt(float time) const;   // the column of a time
    float snap(float time) const;  // to the nearest beat, within the music
    const TimeRanges& getRanges() const { return ranges; }
    Waveform& getWaveform() { return waveform; }
    void startWaveform();  // the music's loudness from now on; again it does nothing
    bool isZoomed() const { return zoom > 1.0f; }
    float getZoom() const { return zoom; }
    float getViewStart() const { return viewStart; }  // seconds at the left edge
    void setView(float zoom, float viewStart);        // kept within the music and the strip

    bool draw(float time, float delta) override;
    void leftButton(Point p, int action) override;
    void middleButton(Point p, int action) override;
    void rightButton(Point p, int action) override;
    void mouseMove(Point p) override;
    void wheel(Point p, float notches) override;
    void mouseLeave() override;
    void setRect(const Rect& r) override;

private:
    static TimeLine* latest;  // not owned
    enum class Drag { None, Seek, Loop, Scroll, Key };

    void seekTo(Point p);
    PathSpline* shownPath() const;  // the selected object as a path; none for anything else
    // The keys whose tick is under p (first and last of those sharing its time); false for none.
    bool keysAt(Point p, int* first, int* last) const;
    void dragKey(Point p);
    bool beginDrag(Point p, Drag kind);  // false while another drag runs or without the capture
    void endDrag();
    void clampView();
    float secondsPerPixel() const;
    void applyLoop();
    // What depends only on the view (the rectangle, the zoom and scroll, the tempo) and on the
    // waveform's progress is built when those change, not every frame.
    void buildView();
    void buildGrid(float perPixel, float beat);       // the bar and beat lines and the labels
    void buildWaveform(float perPixel, int bins);     // the columns' lines
    void line(float x0, float y0, float x1, float y1, D3DCOLOR colour);
    void box(float x0, float y0, float x1, float y1, D3DCOLOR colour);

    Music* music = nullptr;       // not owned
    Object* selected = nullptr;   // not owned; set by the editor every frame
    Label fontKeeper;             // keeps the label font alive for the strip's text
    Waveform waveform;
    TimeRanges ranges;

    float length = 1.0f;          // seconds of music shown when not zoomed
    float zoom = 1.0f;            // 1: the whole music; more shows less
    float viewStart = 0.0f;       // seconds at the left edge
    float loopStart = 0.0f;
    float loopEnd = 0.0f;
    bool loopEnabled = false;

    Drag drag = Drag::None;
    Point dragStart{};
    float dragViewStart = 0.0f;   // viewStart when a scroll began
    float dragLoopFrom = 0.0f;    // the snapped time where a loop drag began
    bool dragMoved = false;       // a loop or key drag went far enough to be one
    PathSpline* dragPath = nullptr;  // not owned; the path whose key is dragged
    int dragKeyFirst = 0;         // the keys under the tick where a key drag began (a cut has two)
    int dragKeyLast = 0;

    struct BeatLabel {
        int x;              // the column of its bar or beat
        std::string text;
    };
    bool viewCached = false;              // the caches below match viewRect and viewKey
    Rect viewRect{};                      // the rectangle they were built for
    float viewKey[3] = {};                // viewStart, seconds per pixel and beat length
    std::vector<ColourVertex> waveLines;  // the waveform's columns
    int waveBins = -1;                    // bins the waveform's lines were built from
    std::vector<BeatLabel> labels;        // the bar numbers
    std::vector<ColourVertex> lines;      // the grid's lines (gridVertices), then this frame's
    std::size_t gridVertices = 0;
    std::vector<ColourVertex> boxes;      // this frame's filled boxes, two triangles each

    static int instances;
    static ComRef<IDirect3DStateBlock9> stateBlock;
};
