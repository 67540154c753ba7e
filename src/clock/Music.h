// Music: the "music" element's stream, which is also the demo clock. The demo time is what the
// stream plays while it plays; while paused it stands still and seeking moves it, and the stream is
// moved to it when playback resumes. Frame durations come from the millisecond timer. The stream
// plays its bytes in place: the executable's resource, or a file's bytes that it keeps a share of.
#pragma once

#include "database/Object.h"
#include "platform/audio/bass.h"

#include <cstddef>
#include <memory>

class TransportPanel;

class Music : public Object {
public:
    explicit Music(Database* database);
    ~Music() override;  // deletes the transport panel, then frees the stream

    Object* castTo(ObjectType type) override;
    Widget* getEditor() override { return nullptr; }  // its panel lives in the editor's toolbar
    bool load(TiXmlElement* element) override;

    void update();  // once per frame, before the frame is rendered
    void setPaused(bool paused);
    void seek(float t);  // always leaves the music paused; negative times are 0

    bool isPaused() const { return paused; }
    float time() const { return demoTime; }
    float frameDelta() const { return frameSeconds; }
    float beatLength() const { return 1.0f / beatRate; }

    TransportPanel* transportPanel();  // created on first call; none while it cannot be built

    // --- the editor's additions ---
    float length() const { return lengthSeconds; }  // of the whole music, seconds
    const void* data() const { return bytes; }        // the compressed music, used in place
    std::size_t dataSize() const { return byteCount; }
    // A share that keeps those bytes alive past the music (a waveform carried to the next version);
    // none for the executable's own resource, which lives for the whole run.
    std::shared_ptr<const void> dataOwner() const { return bytesOwner; }
    // While the music plays, reaching end jumps back to start without a gap; end <= start ends
    // the loop. False when the stream refuses it (too short, outside the music).
    bool setLoop(float start, float end);

protected:
    // load's work once the resource is found: the stream over bytes used in place, and the tempo in
    // beats per minute (0 or less: none).
    bool open(const void* data, std::size_t size, float tempo);

    HSTREAM stream = 0;          // 0 until loaded
    bool paused = true;          // silent until the Application starts it
    DWORD lastTick = 0;          // milliseconds of the timer at the last update
    float frameSeconds = 0.001f; // duration of the last frame
    float demoTime = 0;          // seconds
    float beatRate = 1;          // beats per second
    std::unique_ptr<TransportPanel> panel;  // owned; none until first requested
    float lengthSeconds = 0;     // of the stream
    const void* bytes = nullptr; // the resource the stream plays
    std::shared_ptr<const void> bytesOwner;  // keeps a file's bytes alive; none for a linked resource
    std::size_t byteCount = 0;
    bool looping = false;        // a loop is set on the stream
};
