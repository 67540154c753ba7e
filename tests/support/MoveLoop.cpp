#include "support/MoveLoop.h"

#include "support/PrivateXServer.h"

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace testing_x {

namespace {
std::atomic<bool> looping{false}, pumpedInLoop{false};

int watch(void*, SDL_Event*) {
    if (looping) pumpedInLoop = true;
    return 0;
}
}  // namespace

bool moveDuringLoop(const std::function<void()>& loop, const std::vector<std::string>& moves) {
    looping = true;
    pumpedInLoop = false;
    SDL_AddEventWatch(watch, nullptr);
    bool moved = false;
    std::thread mover([&] {
        while (looping && !pumpedInLoop) {  // each tap is an event for the loop to pump
            xdotool({"key", "shift"});
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        moved = xdotool(moves);
    });
    loop();
    looping = false;
    mover.join();
    SDL_DelEventWatch(watch, nullptr);
    return pumpedInLoop && moved;
}

}  // namespace testing_x
