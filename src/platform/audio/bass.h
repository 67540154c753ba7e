// The stream audio library, as the program calls it: one output opened at start-up, streams of
// Ogg Vorbis data held in memory, played on the library's own thread. Positions are bytes of the
// stream's decoded form (16-bit samples x channels x the stream's own rate). The position reported
// is what is heard now. Without a usable output device the streams play to a silent output that
// keeps real time. Call everything from one thread, except that a decode channel may be read on
// another; the output thread is the library's own.
#pragma once

#include "platform/d3d9/d3d9types.h"  // DWORD, BOOL, HWND

#include <cstdint>

using QWORD = std::uint64_t;
using HSTREAM = DWORD;  // 0 is no stream
struct GUID;

// Devices for BASS_Init: 0 is the silent output; 1 is the first real output device, or the
// silent output when no device can be opened; -1 is the same as 1. Others are no device.
constexpr int BASS_DEVICE_NOSOUND = 0;
constexpr int BASS_DEVICE_FIRST = 1;

// Error codes of BASS_ErrorGetCode.
constexpr int BASS_OK = 0;
constexpr int BASS_ERROR_MEM = 1;       // out of memory
constexpr int BASS_ERROR_HANDLE = 5;    // not a stream of this library
constexpr int BASS_ERROR_POSITION = 7;  // position outside the stream
constexpr int BASS_ERROR_INIT = 8;      // BASS_Init was not called
constexpr int BASS_ERROR_ALREADY = 14;  // already initialised
constexpr int BASS_ERROR_ILLPARAM = 20; // a parameter is invalid
constexpr int BASS_ERROR_DEVICE = 23;   // no such device
constexpr int BASS_ERROR_FREQ = 25;     // unsupported output rate
constexpr int BASS_ERROR_FILEFORM = 41; // not Ogg Vorbis, or a form this library cannot play
constexpr int BASS_ERROR_NOTAVAIL = 37; // not for this kind of stream
constexpr int BASS_ERROR_ENDED = 45;    // a decode channel has given all its data
constexpr int BASS_ERROR_UNKNOWN = -1;

// Starts the output at freq Hz. Fails when already started or when no output at all can run.
BOOL BASS_Init(int device, DWORD freq, DWORD flags, HWND window, const GUID* deviceId);
BOOL BASS_Free();  // stops the output and frees every stream
int BASS_ErrorGetCode();  // the error of the last call that failed on this thread

struct BASS_INFO {
    DWORD freq = 0;      // output rate, Hz
    DWORD latency = 0;   // milliseconds between handing samples to the output and hearing them
    DWORD speakers = 0;  // output channels
    BOOL silent = FALSE; // TRUE when playing to the silent output
};
BOOL BASS_GetInfo(BASS_INFO* info);

// Flags of BASS_StreamCreateFile. A decode channel is never played: its data is read with
// BASS_ChannelGetData, as 32-bit floats, from any one thread at a time.
constexpr DWORD BASS_SAMPLE_FLOAT = 0x100;
constexpr DWORD BASS_STREAM_DECODE = 0x200000;

// Opens a stream over length bytes at file + offset; mem must be TRUE (files are not read). The
// bytes are used in place and must stay valid until the stream is freed.
HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags);
BOOL BASS_StreamFree(HSTREAM handle);
// This library's own addition, for checks without an output: whether BASS_StreamCreateFile would
// open the bytes (Ogg Vorbis in a form it plays); no stream is made and BASS_Init is not needed.
BOOL BASS_StreamCheckFile(const void* file, DWORD length);

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart);  // restart FALSE continues from the position
BOOL BASS_ChannelPause(DWORD handle);
BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos);  // beyond the end: the end, and FALSE
QWORD BASS_ChannelGetPosition(DWORD handle);  // what is heard now; (QWORD)-1 on failure
float BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos);   // negative on failure
QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float pos);   // whole frames; (QWORD)-1 on failure

struct BASS_CHANNELINFO {
    DWORD freq = 0;   // the stream's own rate, Hz
    DWORD chans = 0;  // its channels
    DWORD flags = 0;  // as created
};
BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info);
QWORD BASS_ChannelGetLength(DWORD handle);  // bytes of the decoded form; (QWORD)-1 on failure
// Decode channels: the next length bytes of float samples, the channels interleaved; the count of
// bytes given, or (DWORD)-1 at the end (BASS_ERROR_ENDED) and on failure.
DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length);

// This library's own: reaching byte position end jumps back to start without a gap, until the
// loop is changed or ended (end <= start). FALSE for a loop outside the stream or too short to
// jump gaplessly (under a twentieth of a second or two output buffers).
BOOL BASS_ChannelSetLoop(DWORD handle, QWORD start, QWORD end);
// Decodes ahead what the stream will need: the loop's start, ready before the jump. Call it once
// a frame while a loop is set; length is not used.
BOOL BASS_ChannelUpdate(DWORD handle, DWORD length);
