#include "gui/DiskChangeBar.h"

#include "database/Database.h"
#include "gui/EditHistory.h"

#include <cstdio>

namespace {
constexpr D3DCOLOR MessageColour = 0xffc04040;  // as the editor's problem line
constexpr int CaptionPadding = 6;               // pixels left and right of a button's word
}  // namespace

bool DiskChangeBar::AnswerButton::setCaption(const char* text) {
    if (!caption.setText(text)) return false;
    caption.colour = 0xff000000;
    const SizeHint h = caption.getSizeHint();
    setSizeHint(h.width + 2 * CaptionPadding, h.height + 2, true, true);
    return true;
}

bool DiskChangeBar::AnswerButton::draw(float time, float delta) {
    if (!Button::draw(time, delta)) return false;
    caption.setRect(rect);
    return caption.draw(time, delta);
}

DiskChangeBar::DiskChangeBar() = default;
DiskChangeBar::~DiskChangeBar() = default;

void DiskChangeBar::init(Database* newDatabase) {
    database = newDatabase;
}

void DiskChangeBar::show(const std::string& text, const ButtonId* answers, const char* const* captions, int count) {
    message.setText(text.c_str());
    message.colour = MessageColour;
    const SizeHint h = message.getSizeHint();
    message.setSizeHint(0, h.height, false, true);  // a long line is cut, never widens the editor
    int n = 0;
    children[n++] = &message;
    for (int i = 0; i < count; ++i) {
        buttons[i].setListener(answers[i], this);
        buttons[i].setCaption(captions[i]);
        children[n++] = &buttons[i];
    }
    shownButtons = count;
    setChildren(children, n);
    shown = true;
    choice = NoChoice;
}

void DiskChangeBar::askAboutChange(const std::string& text) {
    static const ButtonId answers[] = {AnswerTakeFile, AnswerKeepMine, AnswerMerge};
    static const char* const captions[] = {"Take the file's", "Keep mine", "Merge"};
    show(text, answers, captions, 3);
}

void DiskChangeBar::askOverwrite(const std::string& text) {
    static const ButtonId answers[] = {AnswerOverwrite, AnswerClose};
    static const char* const captions[] = {"Overwrite", "Cancel"};
    show(text, answers, captions, 2);
}

void DiskChangeBar::tell(const std::string& text) {
    static const ButtonId answers[] = {AnswerClose};
    static const char* const captions[] = {"OK"};
    show(text, answers, captions, 1);
}

void DiskChangeBar::close() {
    setChildren(nullptr, 0);
    shown = false;
    shownButtons = 0;
}

DiskChangeBar::Choice DiskChangeBar::takeChoice() {
    const Choice taken = choice;
    choice = NoChoice;
    return taken;
}

void DiskChangeBar::clicked(Button* button) {
    switch (button->getId()) {
    case AnswerTakeFile: choice = TakeFile; break;
    case AnswerKeepMine: choice = KeepMine; break;
    case AnswerMerge: choice = Merge; break;
    case AnswerOverwrite:
        // The author has seen the change and writes over it.
        if (database && database->acceptChangeOnDisk() && database->save()) {
            if (EditHistory* history = EditHistory::active()) history->markSaved();
        } else if (database) {
            std::fprintf(stderr, "%s\n", database->saveError().c_str());
            tell(database->saveError());
            return;
        }
        break;
    default: break;
    }
    close();
}
