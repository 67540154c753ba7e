#include "clock/Music.h"

#include "resources/LoadResource.h"
#include "database/Database.h"
#include "gui/TransportPanel.h"
#include "platform/win/win32.h"

#include <tinyxml.h>

#include <cstdlib>
#include <utility>

namespace {
constexpr float minimumFrame = 0.001f;  // seconds; a frame never lasts less than a millisecond
}

Music::Music(Database* database) : Object(database) {}

Music::~Music() {
    panel.reset();
    if (stream != 0) {
        BASS_StreamFree(stream);  // fails harmlessly once the library has been freed
    }
}

Object* Music::castTo(ObjectType type) {
    return answerFor(type, TypeMusic, TypeMusic);
}

bool Music::load(TiXmlElement* element) {
    const char* name = element ? element->Attribute("resource") : nullptr;
    ResourceData resource = !name ? ResourceData{} : database ? database->resource(name) : loadResource(name);
    if (!resource) {
        return false;
    }
    const char* tempo = element->Attribute("tempo");
    if (!open(resource.data, resource.size, tempo ? static_cast<float>(std::atof(tempo)) : 0.0f)) return false;
    bytesOwner = std::move(resource.owner);
    return true;
}

bool Music::open(const void* data, std::size_t size, float tempo) {
    if (!data || size == 0 || size > 0xffffffffu) {
        return false;
    }
    HSTREAM created = BASS_StreamCreateFile(TRUE, data, 0, static_cast<DWORD>(size), 0);
    if (created == 0) {
        return false;
    }
    if (stream != 0) {
        BASS_StreamFree(stream);
    }
    stream = created;
    bytes = data;
    bytesOwner.reset();  // the old stream is gone; load keeps the new bytes' owner
    byteCount = size;
    const float seconds = BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetLength(stream));
    lengthSeconds = seconds > 0 ? seconds : 0;
    looping = false;
    lastTick = timeGetTime();
    frameSeconds = minimumFrame;
    demoTime = 0;
    // A tempo that is no positive number would make the beat endless; it counts as absent.
    beatRate = tempo > 0 ? tempo / 60.0f : 1.0f;
    return true;
}

void Music::update() {
    DWORD now = timeGetTime();
    DWORD elapsed = now - lastTick;  // unsigned: the timer's wrap-around is harmless
    frameSeconds = static_cast<float>(elapsed) * 0.001f;
    if (frameSeconds < minimumFrame) {
        frameSeconds = minimumFrame;
    }
    lastTick = now;
    if (!paused) {
        float position = BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream));
        if (position >= 0) {  // a failed query leaves the time where it was
            demoTime = position;
        }
        if (looping) {
            BASS_ChannelUpdate(stream, 0);  // the loop's start decoded before the jump needs it
        }
    }
    if (panel) {
        panel->accumulateFrame(frameSeconds);
        panel->refresh();
    }
}

void Music::setPaused(bool pause) {
    if (pause != paused) {
        if (pause) {
            BASS_ChannelPause(stream);
        } else {
            BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, demoTime));
            BASS_ChannelPlay(stream, FALSE);
        }
    }
    paused = pause;
    if (panel) {
        panel->refresh();
    }
}

void Music::seek(float t) {
    if (!paused) {
        BASS_ChannelPause(stream);
    }
    paused = true;
    if (panel) {
        panel->refresh();
    }
    demoTime = t < 0 ? 0 : t;
    if (panel) {
        panel->refresh();
    }
}

bool Music::setLoop(float start, float end) {
    if (!(end > start)) {
        looping = false;
        return BASS_ChannelSetLoop(stream, 0, 0) != FALSE;
    }
    looping = BASS_ChannelSetLoop(stream, BASS_ChannelSeconds2Bytes(stream, start),
                                  BASS_ChannelSeconds2Bytes(stream, end)) != FALSE;
    return looping;
}

TransportPanel* Music::transportPanel() {
    if (!panel) {
        auto created = std::make_unique<TransportPanel>(this);
        if (!created->init()) {
            return nullptr;
        }
        panel = std::move(created);
    }
    return panel.get();
}
