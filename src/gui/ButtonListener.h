// ButtonListener: told when a Button is clicked (key or mouse). Implemented by the panel that
// owns the button; the button keeps a plain pointer to it.
#pragma once

class Button;

class ButtonListener {
public:
    virtual ~ButtonListener() = default;
    virtual void clicked(Button* button) = 0;
};
