// WidgetHost: how a widget talks upward. Every container embeds one for its children and
// forwards everything but childChanged to its own host; the display implements it for the root.
#pragma once

class Widget;

class WidgetHost {
public:
    virtual ~WidgetHost() = default;
    virtual void childChanged() = 0;           // re-measure and lay out (nothing for the display)
    virtual void beginWindowDrag() = 0;        // move the window with the mouse (windowed only)
    virtual bool isKeyDown(int virtualKey) = 0;
    virtual bool setCapture(Widget* widget) = 0;  // null releases; false if the window got none
    virtual void releaseCapture() = 0;
    virtual void showCursor(bool show) = 0;    // the system is called only on a change
    // The window's caption: its title, marked while the document has edits not yet saved. false
    // while there is no window to show it (asked again later).
    virtual bool markCaption(bool marked) = 0;
};
