// One run of the zodrevez executable in a window on the private X server, with a document in a
// folder of its own (its standard error goes to stderr.txt there), driven with xdotool. Every
// wait is for a state, polled every 100 ms; a player still running at the end is killed.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

class PlayerProcess {
public:
    explicit PlayerProcess(std::filesystem::path folder) : folder(std::move(folder)) {}
    ~PlayerProcess();
    PlayerProcess(const PlayerProcess&) = delete;
    PlayerProcess& operator=(const PlayerProcess&) = delete;

    // The private X server, the executable, xdotool and ImageMagick's import are all there.
    static bool available();

    // Starts it windowed and silent at width x height on the document; true once its window
    // holds the keyboard focus. `more` options follow the others.
    bool start(const std::filesystem::path& document, int width, int height, const std::vector<std::string>& more = {});
    bool ended();  // reaps the process when it has ended
    // Until `state` holds (true), or the tries run out or the player ends (then false unless
    // `state` holds after all).
    bool waitFor(const std::function<bool()>& state, int tries = 60);

    // One xdotool command, then a frame at least, so that inputs keep their order.
    void input(const std::vector<std::string>& arguments);
    void moveTo(int x, int y);
    void click(int x, int y, const char* button = "1");
    void drag(int fromX, int fromY, int toX, int toY, const char* button);
    // Space until the toolbar's frame shows its white left edge: keys are lost while loading.
    bool openEditor();
    std::string caption() const;
    // Escape, then true once the program has ended with exit code 0.
    bool quit();
    std::string errors() const;  // its standard error so far
    void signal(int number) const;  // to the player, while it runs

    const std::string& window() const { return windowId; }

private:
    std::filesystem::path folder;
    pid_t pid = -1;
    int status = -1;
    std::string windowId;
};
