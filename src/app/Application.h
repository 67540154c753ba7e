// The program's top-level object: options, setup dialog, display, loading picture, audio,
// document, music and editor, then the main loop until the user quits or the production ends.
#pragma once

class Application {
public:
    Application();
    ~Application();
    int run(int argc, char** argv);  // 1 when start-up fails, 0 after a normal end
};
