// The message queue over SDL's event queue: SDL events of our windows become the window
// messages Windows would send, with Windows virtual-key codes and client coordinates; posted
// messages (PostMessageA, the characters of TranslateMessage) come before input, as on Windows.
// Also the default window procedure: Alt+F4 closes, WM_CLOSE destroys, a caption drag moves.
#include "platform/win/WindowSystem.h"

#include <SDL.h>

#include <cmath>
#include <deque>
#include <string>
#include <vector>

namespace win {
namespace {

constexpr WPARAM MK_LBUTTON = 0x0001, MK_RBUTTON = 0x0002, MK_SHIFT = 0x0004, MK_CONTROL = 0x0008,
                 MK_MBUTTON = 0x0010;
constexpr int VK_LSHIFT = 0xA0, VK_RSHIFT = 0xA1, VK_LCONTROL = 0xA2, VK_RCONTROL = 0xA3, VK_LMENU = 0xA4,
              VK_RMENU = 0xA5, VK_F4 = VK_F1 + 3, VK_F10 = VK_F1 + 9;
constexpr LPARAM altContext = LPARAM(1) << 29;  // key message lParam: Alt was down

struct QueuedMessage {
    MSG message;
    std::string text;  // key downs: the characters the key typed, for TranslateMessage
    int sidedKey = 0;  // VK_LSHIFT .. VK_RMENU for modifier keys, 0 otherwise
};

std::deque<QueuedMessage> postedQueue;  // PostMessageA and TranslateMessage
std::deque<QueuedMessage> inputQueue;   // translated SDL events

// The key down last taken from the queue and what it typed: TranslateMessage turns it into WM_CHAR.
struct {
    MSG message{};
    std::string text;
    bool valid = false;
} lastKeyDown;

// Key state as of the messages retrieved so far, as GetKeyState reports it on Windows.
bool keyState[256] = {};

// The keyboard focus as of the messages retrieved so far: GetFocus agrees with the WM_SETFOCUS
// the window has seen, never runs ahead of it.
HWND focusWindow = nullptr;

// --- virtual keys -----------------------------------------------------------------------------------

int virtualKeyFor(const SDL_Keysym& key) {
    SDL_Keycode code = key.sym;
    if (code >= SDLK_a && code <= SDLK_z) return 'A' + (code - SDLK_a);
    SDL_Scancode s = key.scancode;
    if (s >= SDL_SCANCODE_A && s <= SDL_SCANCODE_Z) return 'A' + (s - SDL_SCANCODE_A);
    if (s >= SDL_SCANCODE_1 && s <= SDL_SCANCODE_9) return '1' + (s - SDL_SCANCODE_1);
    if (s >= SDL_SCANCODE_F1 && s <= SDL_SCANCODE_F12) return VK_F1 + (s - SDL_SCANCODE_F1);
    if (s >= SDL_SCANCODE_F13 && s <= SDL_SCANCODE_F24) return VK_F1 + 12 + (s - SDL_SCANCODE_F13);
    if (s >= SDL_SCANCODE_KP_1 && s <= SDL_SCANCODE_KP_9) return VK_NUMPAD0 + 1 + (s - SDL_SCANCODE_KP_1);
    switch (s) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_RETURN: return VK_RETURN;
    case SDL_SCANCODE_KP_ENTER: return VK_RETURN;
    case SDL_SCANCODE_ESCAPE: return VK_ESCAPE;
    case SDL_SCANCODE_BACKSPACE: return VK_BACK;
    case SDL_SCANCODE_TAB: return VK_TAB;
    case SDL_SCANCODE_SPACE: return VK_SPACE;
    case SDL_SCANCODE_MINUS: return 0xBD;
    case SDL_SCANCODE_EQUALS: return 0xBB;
    case SDL_SCANCODE_LEFTBRACKET: return 0xDB;
    case SDL_SCANCODE_RIGHTBRACKET: return 0xDD;
    case SDL_SCANCODE_BACKSLASH: return 0xDC;
    case SDL_SCANCODE_SEMICOLON: return 0xBA;
    case SDL_SCANCODE_APOSTROPHE: return 0xDE;
    case SDL_SCANCODE_GRAVE: return 0xC0;
    case SDL_SCANCODE_COMMA: return 0xBC;
    case SDL_SCANCODE_PERIOD: return 0xBE;
    case SDL_SCANCODE_SLASH: return 0xBF;
    case SDL_SCANCODE_NONUSBACKSLASH: return 0xE2;
    case SDL_SCANCODE_CAPSLOCK: return 0x14;
    case SDL_SCANCODE_PRINTSCREEN: return 0x2C;
    case SDL_SCANCODE_SCROLLLOCK: return 0x91;
    case SDL_SCANCODE_PAUSE: return 0x13;
    case SDL_SCANCODE_INSERT: return 0x2D;
    case SDL_SCANCODE_HOME: return VK_HOME;
    case SDL_SCANCODE_PAGEUP: return VK_PRIOR;
    case SDL_SCANCODE_DELETE: return VK_DELETE;
    case SDL_SCANCODE_END: return VK_END;
    case SDL_SCANCODE_PAGEDOWN: return VK_NEXT;
    case SDL_SCANCODE_RIGHT: return VK_RIGHT;
    case SDL_SCANCODE_LEFT: return VK_LEFT;
    case SDL_SCANCODE_DOWN: return VK_DOWN;
    case SDL_SCANCODE_UP: return VK_UP;
    case SDL_SCANCODE_NUMLOCKCLEAR: return 0x90;
    case SDL_SCANCODE_KP_DIVIDE: return 0x6F;
    case SDL_SCANCODE_KP_MULTIPLY: return 0x6A;
    case SDL_SCANCODE_KP_MINUS: return 0x6D;
    case SDL_SCANCODE_KP_PLUS: return 0x6B;
    case SDL_SCANCODE_KP_0: return VK_NUMPAD0;
    case SDL_SCANCODE_KP_PERIOD: return 0x6E;
    case SDL_SCANCODE_LSHIFT: case SDL_SCANCODE_RSHIFT: return VK_SHIFT;
    case SDL_SCANCODE_LCTRL: case SDL_SCANCODE_RCTRL: return VK_CONTROL;
    case SDL_SCANCODE_LALT: case SDL_SCANCODE_RALT: return VK_MENU;
    case SDL_SCANCODE_LGUI: return 0x5B;
    case SDL_SCANCODE_RGUI: return 0x5C;
    case SDL_SCANCODE_APPLICATION: return 0x5D;
    default: return 0;
    }
}

// The left/right code kept beside the generic one, so that releasing one Shift of two keeps
// VK_SHIFT down.
int sidedKeyFor(SDL_Scancode s) {
    switch (s) {
    case SDL_SCANCODE_LSHIFT: return VK_LSHIFT;
    case SDL_SCANCODE_RSHIFT: return VK_RSHIFT;
    case SDL_SCANCODE_LCTRL: return VK_LCONTROL;
    case SDL_SCANCODE_RCTRL: return VK_RCONTROL;
    case SDL_SCANCODE_LALT: return VK_LMENU;
    case SDL_SCANCODE_RALT: return VK_RMENU;
    default: return 0;
    }
}

// Windows' WM_CHAR for keys that type a control character, which SDL's text input leaves out.
int controlCharacterFor(int virtualKey, Uint16 modifiers) {
    switch (virtualKey) {
    case VK_BACK: return 8;
    case VK_TAB: return 9;
    case VK_RETURN: return 13;
    case VK_ESCAPE: return 27;
    default: break;
    }
    if ((modifiers & KMOD_CTRL) && !(modifiers & KMOD_ALT) && virtualKey >= 'A' && virtualKey <= 'Z')
        return virtualKey - 'A' + 1;
    return 0;
}

// The characters of UTF-8 text, as WM_CHAR codes.
std::vector<unsigned> codePoints(const std::string& text) {
    std::vector<unsigned> codes;
    for (std::size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        unsigned code = c;
        std::size_t length = 1;
        if (c >= 0xF0) code = c & 0x07, length = 4;
        else if (c >= 0xE0) code = c & 0x0F, length = 3;
        else if (c >= 0xC0) code = c & 0x1F, length = 2;
        for (std::size_t k = 1; k < length && i + k < text.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += length;
        codes.push_back(code);
    }
    return codes;
}

// --- translation of SDL events ----------------------------------------------------------------------------

void queueInput(HWND window, unsigned message, WPARAM wParam, LPARAM lParam, std::string text = {}) {
    MSG m{window, message, wParam, lParam, SDL_GetTicks(), {0, 0}};
    inputQueue.push_back({m, std::move(text), 0});
}

bool capturedBy(HWND window) { return GetCapture() == window; }

WPARAM mouseKeyFlags(Uint32 buttons) {
    WPARAM flags = 0;
    if (buttons & SDL_BUTTON_LMASK) flags |= MK_LBUTTON;
    if (buttons & SDL_BUTTON_RMASK) flags |= MK_RBUTTON;
    if (buttons & SDL_BUTTON_MMASK) flags |= MK_MBUTTON;
    SDL_Keymod modifiers = SDL_GetModState();
    if (modifiers & KMOD_SHIFT) flags |= MK_SHIFT;
    if (modifiers & KMOD_CTRL) flags |= MK_CONTROL;
    return flags;
}

bool insideClient(HWND window, int x, int y) {
    int w = 0, h = 0;
    SDL_GetWindowSize(window->sdlWindow, &w, &h);
    return x >= 0 && y >= 0 && x < w && y < h;
}

void leaveIfTracked(HWND window) {
    window->cursorInside = false;
    if (window->trackingLeave && !capturedBy(window)) {
        window->trackingLeave = false;
        queueInput(window, WM_MOUSELEAVE, 0, 0);
    }
}

// Mouse events that SDL could not give a window (a release right after the cursor left) belong
// to the window holding the capture, if any.
HWND mouseWindow(Uint32 windowID) {
    HWND window = windowFromSdl(SDL_GetWindowFromID(windowID));
    if (!window) window = GetCapture();
    return window;
}

void translateKey(const SDL_KeyboardEvent& e) {
    HWND window = windowFromSdl(SDL_GetWindowFromID(e.windowID));
    if (!window) return;
    int vk = virtualKeyFor(e.keysym);
    if (!vk) return;
    bool down = e.state == SDL_PRESSED;
    Uint16 modifiers = e.keysym.mod;
    bool alt = (modifiers & KMOD_ALT) && !(modifiers & KMOD_CTRL);
    if (vk == VK_MENU) alt = !(modifiers & KMOD_CTRL);  // Alt itself is a system key
    bool system = alt || vk == VK_F10;

    LPARAM lParam = 1 | (LPARAM(e.keysym.scancode & 0xff) << 16);
    if (alt) lParam |= altContext;
    if (e.repeat || !down) lParam |= LPARAM(1) << 30;  // previous state: down
    if (!down) lParam |= LPARAM(1) << 31;
    unsigned message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);

    std::string text;
    if (down && !system) {
        if (int c = controlCharacterFor(vk, modifiers)) text.push_back(static_cast<char>(c));
    }
    queueInput(window, message, static_cast<WPARAM>(vk), lParam, std::move(text));
    inputQueue.back().sidedKey = sidedKeyFor(e.keysym.scancode);
}

// Characters SDL reports as text belong to the key down just before them.
void translateText(const SDL_TextInputEvent& e) {
    HWND window = windowFromSdl(SDL_GetWindowFromID(e.windowID));
    if (!window) return;
    for (auto it = inputQueue.rbegin(); it != inputQueue.rend(); ++it) {
        if (it->message.hwnd == window && it->message.message == WM_KEYDOWN) {
            it->text += e.text;
            return;
        }
        if (it->message.hwnd == window && it->message.message == WM_SYSKEYDOWN) return;  // no WM_SYSCHAR
    }
    // The key down was taken already: the characters go out as they are.
    for (unsigned code : codePoints(e.text)) PostMessageA(window, WM_CHAR, code, 1);
}

void translateWindowEvent(const SDL_WindowEvent& e) {
    HWND window = windowFromSdl(SDL_GetWindowFromID(e.windowID));
    if (!window) return;
    switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE: queueInput(window, WM_CLOSE, 0, 0); break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: queueInput(window, WM_SETFOCUS, 0, 0); break;
    case SDL_WINDOWEVENT_FOCUS_LOST: queueInput(window, WM_KILLFOCUS, 0, 0); break;
    case SDL_WINDOWEVENT_ENTER: window->cursorInside = true; break;
    case SDL_WINDOWEVENT_LEAVE:
        if (!capturedBy(window)) leaveIfTracked(window);  // a captured window keeps the mouse
        break;
    default: break;
    }
}

void translateMotion(const SDL_MouseMotionEvent& e) {
    if (e.which == SDL_TOUCH_MOUSEID) return;
    HWND window = mouseWindow(e.windowID);
    if (!window) return;
    bool inside = insideClient(window, e.x, e.y);
    if (!inside && !capturedBy(window)) {  // Windows gives an uncaptured window no outside moves
        leaveIfTracked(window);
        return;
    }
    window->cursorInside = inside;
    queueInput(window, WM_MOUSEMOVE, mouseKeyFlags(e.state), MAKELPARAM(e.x, e.y));
}

void translateButton(const SDL_MouseButtonEvent& e) {
    if (e.which == SDL_TOUCH_MOUSEID) return;
    HWND window = mouseWindow(e.windowID);
    if (!window) return;
    if (!insideClient(window, e.x, e.y) && !capturedBy(window)) return;
    unsigned down, up, doubleClick;
    switch (e.button) {
    case SDL_BUTTON_LEFT: down = WM_LBUTTONDOWN, up = WM_LBUTTONUP, doubleClick = WM_LBUTTONDBLCLK; break;
    case SDL_BUTTON_RIGHT: down = WM_RBUTTONDOWN, up = WM_RBUTTONUP, doubleClick = WM_RBUTTONDBLCLK; break;
    case SDL_BUTTON_MIDDLE: down = WM_MBUTTONDOWN, up = WM_MBUTTONUP, doubleClick = WM_MBUTTONDBLCLK; break;
    default: return;
    }
    unsigned message = up;
    if (e.state == SDL_PRESSED) {
        // Windows: down, up, double click, up; a third click starts over with a plain down.
        bool isDouble = (window->classStyle & CS_DBLCLKS) && e.clicks >= 2 && e.clicks % 2 == 0;
        message = isDouble ? doubleClick : down;
    }
    Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
    queueInput(window, message, mouseKeyFlags(buttons), MAKELPARAM(e.x, e.y));
}

void translateWheel(const SDL_MouseWheelEvent& e) {
    if (e.which == SDL_TOUCH_MOUSEID) return;
    HWND window = mouseWindow(e.windowID);
    if (!window) window = windowFromSdl(SDL_GetKeyboardFocus());  // Windows sends it to the focus
    if (!window) return;
    float detents = e.preciseY;
    if (e.direction == SDL_MOUSEWHEEL_FLIPPED) detents = -detents;
    int delta = static_cast<int>(std::lround(detents * WHEEL_DELTA));
    if (delta == 0) return;
    int wx = 0, wy = 0;
    SDL_GetWindowPosition(window->sdlWindow, &wx, &wy);
    WPARAM wParam = (static_cast<WPARAM>(static_cast<std::uint16_t>(delta)) << 16) |
                    mouseKeyFlags(SDL_GetMouseState(nullptr, nullptr));
    queueInput(window, WM_MOUSEWHEEL, wParam, MAKELPARAM(wx + e.mouseX, wy + e.mouseY));
}

void translate(const SDL_Event& e) {
    switch (e.type) {
    case SDL_KEYDOWN: case SDL_KEYUP: translateKey(e.key); break;
    case SDL_TEXTINPUT: translateText(e.text); break;
    case SDL_WINDOWEVENT: translateWindowEvent(e.window); break;
    case SDL_MOUSEMOTION: translateMotion(e.motion); break;
    case SDL_MOUSEBUTTONDOWN: case SDL_MOUSEBUTTONUP: translateButton(e.button); break;
    case SDL_MOUSEWHEEL: translateWheel(e.wheel); break;
    default: break;
    }
}

void pumpEvents() {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    SDL_Event e;
    while (SDL_PollEvent(&e)) translate(e);
    // SDL drops the capture when the window loses the focus; Windows would say so.
    HWND captured = GetCapture();
    if (captured && !(SDL_GetWindowFlags(captured->sdlWindow) & SDL_WINDOW_MOUSE_CAPTURE)) endCapture(captured);
}

// --- retrieval --------------------------------------------------------------------------------------------

bool matches(const MSG& m, HWND window, unsigned filterMin, unsigned filterMax) {
    if (window && m.hwnd != window) return false;
    if (filterMin == 0 && filterMax == 0) return true;
    return m.message >= filterMin && m.message <= filterMax;
}

void noteKeyState(const QueuedMessage& q) {
    const MSG& m = q.message;
    bool down;
    if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) down = true;
    else if (m.message == WM_KEYUP || m.message == WM_SYSKEYUP) down = false;
    else return;
    if (int sided = q.sidedKey) {
        keyState[sided] = down;
        int left = sided & ~1;
        keyState[m.wParam & 0xff] = keyState[left] || keyState[left + 1];
    } else {
        keyState[m.wParam & 0xff] = down;
    }
}

bool take(std::deque<QueuedMessage>& queue, MSG* message, HWND window, unsigned filterMin, unsigned filterMax,
          unsigned remove) {
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if (!matches(it->message, window, filterMin, filterMax)) continue;
        *message = it->message;
        if (remove & PM_REMOVE) {
            noteKeyState(*it);
            if (it->message.message == WM_SETFOCUS) focusWindow = it->message.hwnd;
            if (it->message.message == WM_KILLFOCUS && focusWindow == it->message.hwnd) focusWindow = nullptr;
            if (it->message.message == WM_KEYDOWN) {
                lastKeyDown.message = it->message;
                lastKeyDown.text = it->text;
                lastKeyDown.valid = true;
            }
            queue.erase(it);
        }
        return true;
    }
    return false;
}

// --- the caption drag of DefWindowProcA ---------------------------------------------------------------------

void dragWindow(HWND window) {
    if (window->fullscreen) return;
    int startX = 0, startY = 0, windowX = 0, windowY = 0;
    if (!(pointerOnScreen(&startX, &startY) & SDL_BUTTON_LMASK)) return;
    SDL_GetWindowPosition(window->sdlWindow, &windowX, &windowY);
    // The system's move loop: the window follows the cursor until the button goes up. Input other
    // than the mouse waits in the queue; the mouse belongs to the move.
    for (;;) {
        SDL_WaitEventTimeout(nullptr, 10);
        SDL_PumpEvents();
        SDL_Event e;
        while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
            if (e.type == SDL_MOUSEMOTION || e.type == SDL_MOUSEBUTTONDOWN || e.type == SDL_MOUSEBUTTONUP) continue;
            translate(e);
        }
        if (!isLive(window)) return;
        int x = 0, y = 0;
        Uint32 buttons = pointerOnScreen(&x, &y);
        SDL_SetWindowPosition(window->sdlWindow, windowX + x - startX, windowY + y - startY);
        if (!(buttons & SDL_BUTTON_LMASK)) break;
    }
    // The release came before the pointer query's answer: take it from the queue as well.
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_MOUSEMOTION, SDL_MOUSEBUTTONUP);
    window->cursorInside = cursorOverClient(window);
}

}  // namespace

void forgetMessages(HWND window) {
    for (auto* queue : {&postedQueue, &inputQueue})
        for (auto it = queue->begin(); it != queue->end();)
            it = it->message.hwnd == window ? queue->erase(it) : it + 1;
    if (lastKeyDown.message.hwnd == window) lastKeyDown.valid = false;
    if (focusWindow == window) focusWindow = nullptr;
}

HWND focusedWindow() { return isLive(focusWindow) ? focusWindow : nullptr; }

void postInput(HWND window, unsigned message, WPARAM wParam, LPARAM lParam) {
    queueInput(window, message, wParam, lParam);
}

short keyStateOf(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 0xff) return 0;
    if (virtualKey == VK_LBUTTON || virtualKey == 0x02 || virtualKey == 0x04) {
        Uint32 buttons = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetMouseState(nullptr, nullptr) : 0;
        Uint32 mask = virtualKey == VK_LBUTTON ? SDL_BUTTON_LMASK
                      : virtualKey == 0x02     ? SDL_BUTTON_RMASK
                                               : SDL_BUTTON_MMASK;
        return (buttons & mask) ? static_cast<short>(0x8000) : 0;
    }
    return keyState[virtualKey] ? static_cast<short>(0x8000) : 0;
}

}  // namespace win

BOOL PeekMessageA(MSG* message, HWND window, unsigned filterMin, unsigned filterMax, unsigned remove) {
    if (!message) return FALSE;
    win::pumpEvents();
    if (win::take(win::postedQueue, message, window, filterMin, filterMax, remove)) return TRUE;
    return win::take(win::inputQueue, message, window, filterMin, filterMax, remove) ? TRUE : FALSE;
}

BOOL TranslateMessage(const MSG* message) {
    if (!message || message->message != WM_KEYDOWN) return FALSE;
    auto& last = win::lastKeyDown;
    if (!last.valid || last.message.hwnd != message->hwnd || last.message.wParam != message->wParam ||
        last.message.lParam != message->lParam || last.message.time != message->time)
        return FALSE;
    last.valid = false;
    if (last.text.empty()) return FALSE;
    // Posted characters go to the front, in order, so they come before any later input.
    std::deque<win::QueuedMessage> characters;
    for (unsigned code : win::codePoints(last.text)) {
        MSG m = *message;
        m.message = WM_CHAR;
        m.wParam = code;
        characters.push_back({m, {}, 0});
    }
    win::postedQueue.insert(win::postedQueue.begin(), characters.begin(), characters.end());
    return TRUE;
}

LRESULT DispatchMessageA(const MSG* message) {
    if (!message || !win::isLive(message->hwnd)) return 0;
    return SendMessageA(message->hwnd, message->message, message->wParam, message->lParam);
}

LRESULT SendMessageA(HWND window, unsigned message, WPARAM wParam, LPARAM lParam) {
    if (!win::isLive(window) || !window->procedure) return 0;
    auto procedure = reinterpret_cast<WNDPROC>(window->procedure);
    return procedure(window, message, wParam, lParam);
}

BOOL PostMessageA(HWND window, unsigned message, WPARAM wParam, LPARAM lParam) {
    if (window && !win::isLive(window)) return FALSE;
    MSG m{window, message, wParam, lParam, 0, {0, 0}};
    if (SDL_WasInit(SDL_INIT_VIDEO)) m.time = SDL_GetTicks();
    win::postedQueue.push_back({m, {}, 0});
    return TRUE;
}

LRESULT DefWindowProcA(HWND window, unsigned message, WPARAM wParam, LPARAM lParam) {
    if (!win::isLive(window)) return 0;
    switch (message) {
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_SYSKEYDOWN:
        if (wParam == static_cast<WPARAM>(win::VK_F4) && (lParam & win::altContext)) SendMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_NCLBUTTONDOWN:
        if (wParam == HTCAPTION) win::dragWindow(window);
        return 0;
    default: return 0;
    }
}
