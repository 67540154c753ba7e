#include "platform/win/ChangeNotification.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <poll.h>
#include <set>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::uint32_t selfEvents = IN_DELETE_SELF | IN_MOVE_SELF;  // the watched folder itself goes
constexpr std::uint32_t comingEvents = IN_CREATE | IN_MOVED_TO;      // an awaited folder may come back

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string parentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string withoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

struct Notification {
    int fd = -1;
    std::uint32_t mask = 0;         // the events that signal, in a folder asked for
    bool signalled = false;
    bool armAgain = false;          // a folder went between looking at it and watching it
    std::set<std::string> folders;  // asked for
    std::map<int, bool> watches;    // watch descriptor -> a folder asked for (not only one above one awaited)
    std::map<std::string, int> armed;  // folder asked for -> its watch descriptor; absent while awaited

    ~Notification() {
        if (fd >= 0) ::close(fd);
    }

    // Watches each folder asked for that is there and, for each one that is not, the nearest folder
    // above it that is, to see it come back. Always from scratch: after an overflow nothing known
    // about the watches can be trusted. True when a folder asked for came, went or was replaced.
    bool arm() {
        armAgain = false;
        std::map<std::string, std::uint32_t> wanted;
        for (const std::string& folder : folders) {
            std::string at = folder;
            std::uint32_t events = mask;
            while (!isFolder(at) && parentOf(at) != at) {
                at = parentOf(at);
                events = comingEvents;
            }
            wanted[at] |= events | selfEvents;
        }
        std::map<int, bool> now;
        std::map<std::string, int> nowArmed;
        for (const auto& [folder, events] : wanted) {
            const int wd = inotify_add_watch(fd, folder.c_str(), events | IN_ONLYDIR);
            if (wd < 0) {
                if (errno == ENOENT || errno == ENOTDIR) armAgain = true;  // at the next look
                continue;
            }
            const bool asked = folders.count(folder) != 0;
            now[wd] = now[wd] || asked;  // two names of one folder give one watch
            if (asked) nowArmed[folder] = wd;
        }
        for (const auto& [wd, asked] : watches)
            if (now.count(wd) == 0) inotify_rm_watch(fd, wd);  // fails harmlessly for one already gone
        const bool changed = nowArmed != armed;
        watches = std::move(now);
        armed = std::move(nowArmed);
        return changed;
    }

    // Reads what has arrived without waiting; true when something did.
    bool drain() {
        alignas(inotify_event) char buffer[8192];
        bool any = false;
        bool rearm = armAgain;
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got <= 0) break;
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                if (event->mask & IN_Q_OVERFLOW) {  // changes were lost: anything may have happened
                    any = rearm = true;
                    continue;
                }
                const auto watch = watches.find(event->wd);
                if (watch == watches.end()) continue;  // a watch already let go
                if (watch->second && (event->mask & mask)) any = true;
                const bool folderCame = (event->mask & IN_ISDIR) && (event->mask & comingEvents);
                if (folderCame || (event->mask & (IN_IGNORED | selfEvents))) rearm = true;
            }
        }
        if (rearm && arm()) any = true;
        signalled = signalled || any;
        return any;
    }
};

Notification* notificationOf(HANDLE handle) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return nullptr;
    return static_cast<Notification*>(handle);
}

}  // namespace

HANDLE FindFirstChangeNotificationA(const char* path, BOOL watchSubtree, DWORD filter) {
    if (path == nullptr || *path == '\0' || watchSubtree != FALSE || !isFolder(path)) return INVALID_HANDLE_VALUE;
    std::uint32_t mask = 0;
    if (filter & (FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME))
        mask |= IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
    if (filter & (FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE)) mask |= IN_MODIFY | IN_CLOSE_WRITE;
    if (filter & FILE_NOTIFY_CHANGE_ATTRIBUTES) mask |= IN_ATTRIB;
    if (mask == 0) return INVALID_HANDLE_VALUE;
    auto notification = std::make_unique<Notification>();
    notification->fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    notification->mask = mask;
    notification->folders.insert(withoutTrailingSlash(path));
    if (notification->fd < 0) return INVALID_HANDLE_VALUE;
    notification->arm();
    if (notification->armed.empty()) return INVALID_HANDLE_VALUE;
    return notification.release();
}

BOOL SetChangeNotificationFolders(HANDLE handle, const char* const* folders, DWORD count) {
    Notification* notification = notificationOf(handle);
    if (notification == nullptr || folders == nullptr) return FALSE;
    std::set<std::string> asked;
    for (DWORD i = 0; i < count; ++i)
        if (folders[i] != nullptr && *folders[i] != '\0') asked.insert(withoutTrailingSlash(folders[i]));
    if (asked.empty()) return FALSE;
    notification->drain();  // what came so far counts for the folders watched so far
    notification->folders = std::move(asked);
    if (notification->arm()) notification->signalled = true;
    return notification->watches.empty() ? FALSE : TRUE;
}

BOOL FindNextChangeNotification(HANDLE handle) {
    Notification* notification = notificationOf(handle);
    if (notification == nullptr) return FALSE;
    notification->signalled = false;  // what is still queued signals at the next wait
    return TRUE;
}

BOOL FindCloseChangeNotification(HANDLE handle) {
    Notification* notification = notificationOf(handle);
    if (notification == nullptr) return FALSE;
    delete notification;
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    Notification* notification = notificationOf(handle);
    if (notification == nullptr) return WAIT_FAILED;
    notification->drain();
    using Clock = std::chrono::steady_clock;
    const bool forever = milliseconds > 0x7fffffff;
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(forever ? 0 : milliseconds);
    // Events that signal nothing (a folder above an awaited one) do not end the wait.
    while (!notification->signalled && milliseconds > 0) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()).count();
        if (!forever && left <= 0) break;
        pollfd ready{notification->fd, POLLIN, 0};
        if (::poll(&ready, 1, forever ? -1 : static_cast<int>(left)) > 0) notification->drain();
    }
    return notification->signalled ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}
