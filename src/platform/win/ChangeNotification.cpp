#include "platform/win/ChangeNotification.h"

#include <cerrno>
#include <filesystem>
#include <map>
#include <poll.h>
#include <string>
#include <sys/inotify.h>
#include <system_error>
#include <unistd.h>

namespace {

constexpr int maxFolders = 256;  // a production's folder has a few; a home folder would be too many

struct Notification {
    int fd = -1;
    std::uint32_t mask = 0;
    bool subtree = false;
    bool signalled = false;
    std::map<int, std::string> folders;  // watch descriptor -> folder

    void watch(const std::string& folder) {
        if (static_cast<int>(folders.size()) >= maxFolders) return;
        const std::uint32_t folderMask = mask | (subtree ? IN_CREATE | IN_MOVED_TO : 0) | IN_ONLYDIR;
        const int wd = inotify_add_watch(fd, folder.c_str(), folderMask);
        if (wd >= 0) folders[wd] = folder;
    }

    void watchTree(const std::string& root) {
        watch(root);
        if (!subtree) return;
        std::error_code error;
        const auto options = std::filesystem::directory_options::skip_permission_denied;
        for (std::filesystem::recursive_directory_iterator it(root, options, error), end;
             !error && it != end && static_cast<int>(folders.size()) < maxFolders; it.increment(error)) {
            if (it->is_directory(error) && !it->is_symlink(error)) watch(it->path().string());
        }
    }

    // Reads what has arrived without waiting; true when something did.
    bool drain() {
        alignas(inotify_event) char buffer[8192];
        bool any = false;
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got <= 0) break;
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                if (event->mask & IN_Q_OVERFLOW) any = true;
                if (event->mask & mask) any = true;
                if (subtree && (event->mask & IN_ISDIR) && (event->mask & (IN_CREATE | IN_MOVED_TO)) && event->len > 0) {
                    auto folder = folders.find(event->wd);
                    if (folder != folders.end()) watchTree(folder->second + "/" + event->name);
                }
                if (event->mask & IN_IGNORED) folders.erase(event->wd);
            }
        }
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
    if (path == nullptr || *path == '\0') return INVALID_HANDLE_VALUE;
    std::uint32_t mask = 0;
    if (filter & (FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME))
        mask |= IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;
    if (filter & (FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE)) mask |= IN_MODIFY | IN_CLOSE_WRITE;
    if (filter & FILE_NOTIFY_CHANGE_ATTRIBUTES) mask |= IN_ATTRIB;
    if (mask == 0) return INVALID_HANDLE_VALUE;
    auto* notification = new Notification;
    notification->fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    notification->mask = mask;
    notification->subtree = watchSubtree != FALSE;
    if (notification->fd >= 0) notification->watchTree(path);
    if (notification->fd < 0 || notification->folders.empty()) {
        if (notification->fd >= 0) ::close(notification->fd);
        delete notification;
        return INVALID_HANDLE_VALUE;
    }
    return notification;
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
    ::close(notification->fd);
    delete notification;
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    Notification* notification = notificationOf(handle);
    if (notification == nullptr) return WAIT_FAILED;
    notification->drain();
    if (!notification->signalled && milliseconds > 0) {
        pollfd ready{notification->fd, POLLIN, 0};
        const int timeout = milliseconds > 0x7fffffff ? -1 : static_cast<int>(milliseconds);
        if (::poll(&ready, 1, timeout) > 0) notification->drain();
    }
    return notification->signalled ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}
