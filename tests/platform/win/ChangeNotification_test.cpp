// The folder watch on its own, on real folders: each change must signal, also after the folders
// were removed and made again, and after that happened while the system's queue overflowed.
#include "platform/win/ChangeNotification.h"

#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace fs = std::filesystem;

TEST(ChangeNotification, CreateRenameOverDeleteFoldersMadeAgainAndAnOverflowSignal) {
    const fs::path folder = testing_paths::makeTempDir(), textures = folder / "textures", wall = textures / "wall.png";
    const DWORD filter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE;
    const HANDLE watch = FindFirstChangeNotificationA(folder.c_str(), FALSE, filter);
    const std::string names[] = {folder.string(), textures.string()};
    const char* folders[] = {names[0].c_str(), names[1].c_str()};
    ASSERT_TRUE(SetChangeNotificationFolders(watch, folders, 2));  // "textures" is awaited
    const auto signals = [&](const std::function<void()>& change) {
        WaitForSingleObject(watch, 0);
        FindNextChangeNotification(watch);  // what came before is not this change's
        change();
        return WaitForSingleObject(watch, 20000) == WAIT_OBJECT_0;
    };
    EXPECT_TRUE(signals([&] { fs::create_directory(textures); }));
    EXPECT_TRUE(signals([&] { std::ofstream(wall) << "1"; }));
    fs::create_directory(folder / "unwatched");
    std::ofstream(folder / "unwatched/new") << "2";
    EXPECT_TRUE(signals([&] { fs::rename(folder / "unwatched/new", wall); }));
    EXPECT_TRUE(signals([&] { fs::remove(wall); }));
    EXPECT_TRUE(signals([&] { fs::remove_all(folder); }));
    EXPECT_TRUE(signals([&] { fs::create_directories(textures); }));
    EXPECT_TRUE(signals([&] { std::ofstream(wall) << "3"; }));
    // More changes than the system queues (two files in turn: none merges with the one before); once
    // the queue is full, the news that "textures" went and came is lost.
    EXPECT_TRUE(signals([&] {
        const long queued = std::stol(testing_paths::readFile("/proc/sys/fs/inotify/max_queued_events"));
        std::ofstream a(folder / "a"), b(folder / "b");
        for (long i = 0; i <= queued; ++i) (i % 2 ? a : b).put('x').flush();
        fs::remove_all(textures);
        fs::create_directory(textures);
    }));
    EXPECT_TRUE(signals([&] { std::ofstream(wall) << "4"; }));
    FindCloseChangeNotification(watch);
    fs::remove_all(folder);
}
