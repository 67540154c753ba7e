// Change notifications on a folder, as the program asks the system for them: a handle that becomes
// signalled when something in the folder (and its subfolders, when asked) is written, created,
// removed or renamed, re-armed with FindNextChangeNotification. Realised over inotify; renames
// into the folder count, so editors that save through a temporary file are seen. Only the main
// thread calls these; waiting is only ever for these handles.
#pragma once

#include "platform/d3d9/d3d9types.h"  // DWORD, BOOL

using HANDLE = void*;
inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(-1);

constexpr DWORD FILE_NOTIFY_CHANGE_FILE_NAME = 0x00000001;
constexpr DWORD FILE_NOTIFY_CHANGE_DIR_NAME = 0x00000002;
constexpr DWORD FILE_NOTIFY_CHANGE_ATTRIBUTES = 0x00000004;
constexpr DWORD FILE_NOTIFY_CHANGE_SIZE = 0x00000008;
constexpr DWORD FILE_NOTIFY_CHANGE_LAST_WRITE = 0x00000010;

constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

HANDLE FindFirstChangeNotificationA(const char* path, BOOL watchSubtree, DWORD filter);  // INVALID_HANDLE_VALUE on failure
BOOL FindNextChangeNotification(HANDLE handle);   // unsignals; the next change signals again
BOOL FindCloseChangeNotification(HANDLE handle);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);  // 0 polls
