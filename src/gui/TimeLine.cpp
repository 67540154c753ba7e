#include "gui/TimeLine.h"

#include "app/Device.h"
#include "clock/Music.h"
#include "gui/EditHistory.h"
#include "gui/WidgetHost.h"
#include "paths/PathSpline.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int VirtualKeyShift = 16;
constexpr int LabelRow = 12;             // pixels at the top for the bar numbers
constexpr int RowHeight = 6;             // a range row: a 5-pixel bar and a gap
constexpr int LabelSpacing = 44;         // pixels at least between two labels
constexpr int DragThreshold = 3;         // pixels a right drag must go to mark a loop
constexpr int TickReach = 3;             // pixels either side of a key tick that take it
constexpr int TickRows = 12;             // pixels above the bottom where the ticks are taken
constexpr float ZoomPerNotch = 1.25f;
constexpr float ShortestPixel = 0.002f;  // seconds per pixel at the deepest zoom

// The editor's colours: its dark blue, the list's green, the error red, the highlight blue.
constexpr D3DCOLOR TrackTint = 0x18204080;
constexpr D3DCOLOR BeatLine = 0x30204080;
constexpr D3DCOLOR BarLine = 0x60204080;
constexpr D3DCOLOR WavePeak = 0x60204080;
constexpr D3DCOLOR WaveLevel = 0xb0204080;
constexpr D3DCOLOR RangeBar = 0xd0609030;
constexpr D3DCOLOR KeyTick = 0xffc08010;
constexpr D3DCOLOR CurrentKeyTick = 0xffc04040;  // the path's current key
constexpr D3DCOLOR LoopShade = 0x608ce0ff;
constexpr D3DCOLOR LoopEdge = 0xff4080c0;
constexpr D3DCOLOR Cursor = 0xffc04040;
constexpr D3DCOLOR Text = 0xff000000;

}  // namespace

int TimeLine::instances = 0;
ComRef<IDirect3DStateBlock9> TimeLine::stateBlock;

TimeLine::TimeLine() {
    ++instances;
    setSizeHint(0, height, false, true);
    setTakesFocus(false);
}

TimeLine::~TimeLine() {
    if (--instances == 0) stateBlock.reset();
    if (latest == this) latest = nullptr;
}

TimeLine* TimeLine::latest = nullptr;

bool TimeLine::init(Music* newMusic) {
    latest = this;
    music = newMusic;
    length = music && music->length() > 0 ? music->length() : 1.0f;
    zoom = 1.0f;
    viewStart = 0.0f;
    viewCached = false;  // another music: another grid
    applyLoop();
    return fontKeeper.setText(" ");
}

void TimeLine::setRect(const Rect& r) {
    rect = r;
    clampView();
}

// --- geometry ----------------------------------------------------------------------------------

float TimeLine::secondsPerPixel() const {
    return length / (zoom * static_cast<float>(std::max(rect.width, 1)));
}

float TimeLine::timeAt(int x) const {
    return viewStart + static_cast<float>(x - rect.x) * secondsPerPixel();
}

int TimeLine::xAt(float time) const {
    return rect.x + static_cast<int>(std::lround((time - viewStart) / secondsPerPixel()));
}

float TimeLine::snap(float time) const {
    const float beat = music ? music->beatLength() : 1.0f;
    const float snapped = std::round(time / beat) * beat;
    return std::clamp(snapped, 0.0f, length);
}

void TimeLine::setView(float newZoom, float newViewStart) {
    zoom = newZoom;
    viewStart = newViewStart;
    clampView();
}

void TimeLine::clampView() {
    const float maximumZoom = length / (ShortestPixel * static_cast<float>(std::max(rect.width, 1)));
    zoom = std::clamp(zoom, 1.0f, std::max(1.0f, maximumZoom));
    viewStart = std::clamp(viewStart, 0.0f, length - length / zoom);
}

// --- the loop ----------------------------------------------------------------------------------

void TimeLine::setLoop(float start, float end) {
    loopStart = std::clamp(start, 0.0f, length);
    loopEnd = std::clamp(end, 0.0f, length);
    if (loopEnd <= loopStart) loopEnd = loopStart;
    applyLoop();
}

void TimeLine::setLoopStartHere() {
    const float now = music ? music->time() : 0.0f;
    // A start at or past the end leaves the start alone, waiting for its end.
    setLoop(now, loopEnd > now ? loopEnd : now);
}

void TimeLine::setLoopEndHere() {
    const float now = music ? music->time() : 0.0f;
    setLoop(now > loopStart ? loopStart : 0.0f, now);
}

void TimeLine::enableLoop(bool enabled) {
    loopEnabled = enabled;
    applyLoop();
}

void TimeLine::applyLoop() {
    if (!music) return;
    if (loopEnabled && hasLoop())
        music->setLoop(loopStart, loopEnd);
    else
        music->setLoop(0, 0);
}

// --- behaviour ---------------------------------------------------------------------------------

void TimeLine::startWaveform() {
    if (music) waveform.start(music->data(), music->dataSize());
}

bool TimeLine::beginDrag(Point p, Drag kind) {
    if (drag != Drag::None || !host || !host->setCapture(this)) return false;
    drag = kind;
    dragStart = p;
    dragViewStart = viewStart;
    dragMoved = false;
    return true;
}

void TimeLine::setObject(Object* object) {
    if (object != selected && drag == Drag::Key) endDrag();  // the dragged path is no longer shown
    selected = object;
}

void TimeLine::endDrag() {
    if (drag == Drag::None) return;
    if (drag == Drag::Loop && !dragMoved) clearLoop();  // a right click
    if (drag == Drag::Key && dragMoved) EditHistory::endEdit();
    dragPath = nullptr;
    drag = Drag::None;
    if (host) host->releaseCapture();
}

void TimeLine::seekTo(Point p) {
    if (!music) return;
    const float time = std::clamp(timeAt(p.x), 0.0f, length);
    const bool exact = host && host->isKeyDown(VirtualKeyShift);
    music->seek(exact ? time : snap(time));
}

PathSpline* TimeLine::shownPath() const {
    Object* path = selected ? selected->castTo(TypePathSpline) : nullptr;
    return path ? static_cast<PathSpline*>(path) : nullptr;
}

bool TimeLine::keysAt(Point p, int* first, int* last) const {
    PathSpline* path = shownPath();
    if (!path || p.y < rect.y + rect.height - TickRows) return false;
    int best = -1, bestDistance = TickReach + 1;
    for (int i = 0; i < path->getKeyCount(); ++i) {
        const int distance = std::abs(xAt(path->keyAt(i).time) - p.x);
        if (distance < bestDistance) best = i, bestDistance = distance;  // the first of the nearest
    }
    if (best < 0) return false;
    const float time = path->keyAt(best).time;
    *first = best;
    *last = best;
    while (*last + 1 < path->getKeyCount() && path->keyAt(*last + 1).time == time) ++*last;
    return true;
}

// The key follows the pointer once it has gone a few pixels; with two keys at one time (a cut),
// the later one goes right and the earlier one left.
void TimeLine::dragKey(Point p) {
    if (!dragPath) return;
    if (!dragMoved) {
        if (std::abs(p.x - dragStart.x) < DragThreshold) return;
        dragMoved = true;
        if (dragKeyFirst != dragKeyLast) dragPath->selectKey(p.x > dragStart.x ? dragKeyLast : dragKeyFirst);
        EditHistory::beginEdit(dragPath);
    }
    const float time = std::clamp(timeAt(p.x), 0.0f, length);
    const bool exact = host && host->isKeyDown(VirtualKeyShift);
    dragPath->setKeyTime(exact ? time : snap(time));
    if (music) music->seek(dragPath->keyAt(dragPath->getCurrentKey()).time);
}

// A quick second press arrives as a double-click; it starts a drag as a press does.
void TimeLine::leftButton(Point p, int action) {
    if (action == 0 || action == 1) {
        int first = 0, last = 0;
        if (keysAt(p, &first, &last)) {
            if (!beginDrag(p, Drag::Key)) return;
            dragPath = shownPath();
            dragKeyFirst = first;
            dragKeyLast = last;
            const int current = dragPath->getCurrentKey();
            dragPath->selectKey(current >= first && current <= last ? current : first);
            if (music) music->seek(dragPath->keyAt(dragPath->getCurrentKey()).time);
        } else if (beginDrag(p, Drag::Seek)) {
            seekTo(p);
        }
    } else if (action == 2 && (drag == Drag::Seek || drag == Drag::Key)) {
        endDrag();
    }
}

void TimeLine::rightButton(Point p, int action) {
    if (action == 0 || action == 1) {
        if (beginDrag(p, Drag::Loop)) dragLoopFrom = snap(timeAt(p.x));
    } else if (action == 2 && drag == Drag::Loop) {
        endDrag();
    }
}

void TimeLine::middleButton(Point p, int action) {
    if (action == 0 || action == 1)
        beginDrag(p, Drag::Scroll);
    else if (action == 2 && drag == Drag::Scroll)
        endDrag();
}

void TimeLine::mouseMove(Point p) {
    switch (drag) {
    case Drag::Seek: seekTo(p); break;
    case Drag::Key: dragKey(p); break;
    case Drag::Loop: {
        dragMoved = dragMoved || std::abs(p.x - dragStart.x) >= DragThreshold;
        if (!dragMoved) break;
        const float to = snap(timeAt(p.x));
        setLoop(std::min(dragLoopFrom, to), std::max(dragLoopFrom, to));
        break;
    }
    case Drag::Scroll:
        viewStart = dragViewStart + static_cast<float>(dragStart.x - p.x) * secondsPerPixel();
        clampView();
        break;
    case Drag::None: break;
    }
}

void TimeLine::wheel(Point p, float notches) {
    const float under = timeAt(p.x);
    zoom *= std::pow(ZoomPerNotch, notches);
    clampView();
    // The time under the pointer stays under it.
    viewStart = under - static_cast<float>(p.x - rect.x) * secondsPerPixel();
    clampView();
}

void TimeLine::mouseLeave() {
    hovered = false;
    endDrag();
}

// --- drawing -----------------------------------------------------------------------------------

void TimeLine::line(float x0, float y0, float x1, float y1, D3DCOLOR colour) {
    lines.push_back({x0, y0, 0, 1, colour});
    lines.push_back({x1, y1, 0, 1, colour});
}

void TimeLine::box(float x0, float y0, float x1, float y1, D3DCOLOR colour) {
    const ColourVertex a{x0 - 0.5f, y0 - 0.5f, 0, 1, colour}, b{x1 - 0.5f, y0 - 0.5f, 0, 1, colour};
    const ColourVertex c{x1 - 0.5f, y1 - 0.5f, 0, 1, colour}, d{x0 - 0.5f, y1 - 0.5f, 0, 1, colour};
    boxes.insert(boxes.end(), {a, b, c, a, c, d});
}

void TimeLine::buildView() {
    const float perPixel = secondsPerPixel();
    const float beat = music ? music->beatLength() : 1.0f;
    const bool sameView = viewCached && rect.x == viewRect.x && rect.y == viewRect.y && rect.width == viewRect.width &&
                          rect.height == viewRect.height && viewStart == viewKey[0] && perPixel == viewKey[1] &&
                          beat == viewKey[2];
    if (!sameView) {
        viewCached = true;
        viewRect = rect;
        viewKey[0] = viewStart;
        viewKey[1] = perPixel;
        viewKey[2] = beat;
        buildGrid(perPixel, beat);
    }
    const int bins = waveform.ready();
    if (!sameView || bins != waveBins) {
        waveBins = bins;
        buildWaveform(perPixel, bins);
    }
}

// Bars and beats from the tempo; the labels at a spacing that stays readable.
void TimeLine::buildGrid(float perPixel, float beat) {
    lines.clear();
    labels.clear();
    const float left = static_cast<float>(rect.x), right = static_cast<float>(rect.x + rect.width);
    const float top = static_cast<float>(rect.y), bottom = static_cast<float>(rect.y + rect.height);
    const float trackTop = top + LabelRow;
    const float beatPixels = beat / perPixel;
    const bool bars = music && std::fabs(beat - 1.0f) > 1e-6f;  // a tempo: bars and beats, else seconds
    const int barBeats = bars ? 4 : 5;
    int labelBeats = 1;
    while (static_cast<float>(labelBeats) * beatPixels < LabelSpacing) labelBeats *= 2;
    int lineBeats = barBeats;
    while (static_cast<float>(lineBeats) * beatPixels < 8.0f) lineBeats *= 2;
    const int firstBeat = std::max(0, static_cast<int>(std::floor(viewStart / beat)));
    const int lastBeat = static_cast<int>(std::ceil((viewStart + length / zoom) / beat));
    for (int b = firstBeat; b <= lastBeat; ++b) {
        const float x = static_cast<float>(xAt(static_cast<float>(b) * beat));
        if (x < left || x >= right) continue;
        if (b % lineBeats == 0) {
            line(x, top, x, bottom, BarLine);
        } else if (beatPixels >= 6.0f && b % barBeats != 0) {
            line(x, trackTop, x, bottom, BeatLine);
        }
    }
    gridVertices = lines.size();
    char text[32];
    for (int b = firstBeat - firstBeat % labelBeats; b <= lastBeat; b += labelBeats) {
        const int x = xAt(static_cast<float>(b) * beat);
        if (x < rect.x || x + 2 >= rect.x + rect.width) continue;
        if (bars && labelBeats < barBeats)
            std::snprintf(text, sizeof text, "%d.%d", b / barBeats + 1, b % barBeats + 1);
        else if (bars)
            std::snprintf(text, sizeof text, "%d", b / barBeats + 1);
        else
            std::snprintf(text, sizeof text, "%ds", b);
        labels.push_back({x, text});
    }
}

void TimeLine::buildWaveform(float perPixel, int bins) {
    waveLines.clear();
    if (bins <= 0) return;
    const float top = static_cast<float>(rect.y + LabelRow);
    const float half = (static_cast<float>(rect.height - LabelRow) - 1.0f) * 0.5f;
    const float middle = top + half;
    for (int column = 0; column < rect.width; ++column) {
        const float from = viewStart + static_cast<float>(column) * perPixel;
        int first = static_cast<int>(from / Waveform::binSeconds);
        int last = static_cast<int>((from + perPixel) / Waveform::binSeconds);
        first = std::max(first, 0);
        last = std::min(std::max(last, first + 1), bins);
        if (first >= last) continue;
        float peak = 0, level = 0;
        for (int bin = first; bin < last; ++bin) {
            peak = std::max(peak, waveform.peak(bin));
            level = std::max(level, waveform.level(bin));
        }
        const float x = static_cast<float>(rect.x + column);
        const float p = std::max(peak * half, 0.5f), l = std::min(level * 1.41f, 1.0f) * half;
        waveLines.push_back({x, middle - p, 0, 1, WavePeak});
        waveLines.push_back({x, middle + p + 1, 0, 1, WavePeak});
        if (l >= 0.5f) {
            waveLines.push_back({x, middle - l, 0, 1, WaveLevel});
            waveLines.push_back({x, middle + l + 1, 0, 1, WaveLevel});
        }
    }
}

bool TimeLine::draw(float time, float) {
    if (!device || rect.width <= 0 || rect.height <= 0) return true;
    ranges.measure(selected);
    buildView();

    boxes.clear();
    const float left = static_cast<float>(rect.x), right = static_cast<float>(rect.x + rect.width);
    const float top = static_cast<float>(rect.y), bottom = static_cast<float>(rect.y + rect.height);
    const float trackTop = top + LabelRow;
    box(left, trackTop, right, bottom, TrackTint);
    if (hasLoop()) {
        const float a = std::max(left, static_cast<float>(xAt(loopStart))), b = std::min(right, static_cast<float>(xAt(loopEnd)));
        if (b > a) box(a, top, b, bottom, LoopShade);
    }
    if (!stateBlock) {
        recordColourState({{D3DRS_CULLMODE, D3DCULL_NONE}}, ColourVertexFvf, &stateBlock);
    }
    applyScreenState(stateBlock.get(), ColourVertexFvf);
    device->SetTexture(0, nullptr);
    if (!boxes.empty())
        device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>(boxes.size() / 3), boxes.data(), sizeof(ColourVertex));
    if (!waveLines.empty())
        device->DrawPrimitiveUP(D3DPT_LINELIST, static_cast<UINT>(waveLines.size() / 2), waveLines.data(), sizeof(ColourVertex));

    // Over the waveform: the grid, the ranges, the loop's edges and the cursor.
    boxes.clear();
    const int rowsThatFit = std::max(0, (rect.height - LabelRow) / RowHeight);
    for (int r = 0; r < std::min(ranges.rowCount, rowsThatFit); ++r) {
        const float y1 = bottom - static_cast<float>(r * RowHeight) - 1.0f, y0 = y1 - (RowHeight - 1);
        for (const TimeRange& range : ranges.rows[static_cast<std::size_t>(r)].ranges) {
            const float a = std::max(left, static_cast<float>(xAt(range.start)));
            const float b = std::min(right, static_cast<float>(xAt(range.stop)) + 1.0f);
            if (b > a) box(a, y0, b, y1, RangeBar);
        }
        for (float tick : ranges.rows[static_cast<std::size_t>(r)].ticks) {
            const float x = static_cast<float>(xAt(tick));
            if (x >= left && x < right) box(x - 1.0f, y0, x + 2.0f, y1, KeyTick);
        }
    }
    const PathSpline* path = shownPath();
    const std::size_t current = path ? static_cast<std::size_t>(path->getCurrentKey()) : ranges.ticks.size();
    for (std::size_t i = 0; i < ranges.ticks.size(); ++i) {
        const float x = static_cast<float>(xAt(ranges.ticks[i]));
        if (x >= left && x < right)
            box(x - 1.0f, bottom - 9.0f, x + 2.0f, bottom - 1.0f, i == current ? CurrentKeyTick : KeyTick);
    }
    lines.resize(gridVertices);  // the view's grid stays; this frame's loop edges follow it
    if (hasLoop()) {
        for (float edge : {loopStart, loopEnd}) {
            const float x = static_cast<float>(xAt(edge));
            if (x >= left && x < right) line(x, top, x, bottom, LoopEdge);
        }
    }
    if (!boxes.empty())
        device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>(boxes.size() / 3), boxes.data(), sizeof(ColourVertex));
    if (!lines.empty())
        device->DrawPrimitiveUP(D3DPT_LINELIST, static_cast<UINT>(lines.size() / 2), lines.data(), sizeof(ColourVertex));
    // The current time over everything else.
    const float now = static_cast<float>(xAt(time));
    if (now >= left && now < right) {
        boxes.clear();
        box(now - 1.0f, top, now + 1.0f, bottom, Cursor);
        device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, boxes.data(), sizeof(ColourVertex));
    }

    // The labels last: the font brings its own state.
    for (const BeatLabel& label : labels)
        Label::drawText(label.text.c_str(), {label.x + 2, rect.y - 1, LabelSpacing, LabelRow + 2}, Text);
    return true;
}
