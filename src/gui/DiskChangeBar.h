// DiskChangeBar: the editor's line about a document that changed on disk while the editor holds
// edits not yet saved: what happened, and a button for each answer. The live reload asks (take
// the file's version, keep mine, merge) and takes the answer between frames; a save that found
// the file changed asks (overwrite, cancel) and answers itself. The editor panel shows the bar
// under its toolbar while it has something to say.
#pragma once

#include "gui/Button.h"
#include "gui/ButtonListener.h"
#include "gui/HBox.h"
#include "gui/Label.h"

#include <string>

class Database;

class DiskChangeBar : public HBox, public ButtonListener {
public:
    enum Choice { NoChoice, TakeFile, KeepMine, Merge };

    DiskChangeBar();
    ~DiskChangeBar() override;

    void init(Database* database);  // not owned; what an overwrite saves
    // The file changed under edits not yet saved: its version, mine, or both merged.
    void askAboutChange(const std::string& message);
    // A save found the file changed since it was loaded or saved: write over it, or not.
    void askOverwrite(const std::string& message);
    // Something to read, with a button that closes the bar.
    void tell(const std::string& message);
    void close();
    bool isShown() const { return shown; }
    const char* getMessage() const { return message.getText(); }
    // The live reload's answer, once; NoChoice until one was given.
    Choice takeChoice();

    void clicked(Button* button) override;

    // A button that shows a word instead of an icon.
    class AnswerButton : public Button {
    public:
        bool setCaption(const char* text);
        const char* getCaption() const { return caption.getText(); }
        bool draw(float time, float delta) override;

    private:
        Label caption;  // measures the word; drawn over the button
    };
    AnswerButton* buttonAt(int index) { return &buttons[index]; }  // as shown, left to right
    int buttonCount() const { return shownButtons; }

private:
    enum ButtonId { AnswerTakeFile = 1, AnswerKeepMine, AnswerMerge, AnswerOverwrite, AnswerClose };
    void show(const std::string& text, const ButtonId* answers, const char* const* captions, int count);

    Database* database = nullptr;  // not owned
    Label message;
    AnswerButton buttons[3];
    Widget* children[4] = {};
    int shownButtons = 0;
    bool shown = false;
    Choice choice = NoChoice;
};
