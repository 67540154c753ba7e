// Change notifications on folders, as the program asks the system for them: a handle that becomes
// signalled when something in a watched folder is written, created, removed or renamed, re-armed
// with FindNextChangeNotification. Realised over inotify; renames into a folder count, so editors
// that save through a temporary file are seen. A watched folder that is removed is awaited and
// watched again when it is made again (the handle is signalled when it goes and when it comes);
// after the system's queue overflowed, every folder is watched anew and the handle is signalled.
// Subtrees are not offered: a version-control store beside a document would take thousands of
// watches; name each folder instead. Only the main thread calls these.
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

// One folder, which must exist; INVALID_HANDLE_VALUE on failure and when a subtree is asked for.
HANDLE FindFirstChangeNotificationA(const char* path, BOOL watchSubtree, DWORD filter);
BOOL FindNextChangeNotification(HANDLE handle);   // unsignals; the next change signals again
BOOL FindCloseChangeNotification(HANDLE handle);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);  // 0 polls

// The handle watches exactly these folders from now on, with the same filter; those missing now
// are awaited. Signals when a folder not watched before is added (what happened in it before this
// call is not known). FALSE when none of them, nor a folder above them, can be watched.
BOOL SetChangeNotificationFolders(HANDLE handle, const char* const* folders, DWORD count);
