// EditorPanel: the editor: a toolbar (title, the music's transport panel, a separator, save and
// close buttons) above the object browser. Attaching it pauses the music, detaching it resumes;
// the close button saves "Backup.xml" and makes the next draw end the program.
#pragma once

#include "gui/Button.h"
#include "gui/ButtonListener.h"
#include "gui/Frame.h"
#include "gui/HBox.h"
#include "gui/ObjectBrowser.h"
#include "gui/Separator.h"
#include "gui/TitleImage.h"
#include "gui/VBox.h"

class Database;
class Display;
class Music;

class EditorPanel : public VBox, public ButtonListener {
public:
    EditorPanel();
    ~EditorPanel() override;

    bool init(Database* database, Display* display);
    bool isCloseRequested() const { return closeRequested; }
    ObjectBrowser* getBrowser() { return &browser; }

    bool draw(float time, float delta) override;  // false once the close button was used
    void setHost(WidgetHost* h) override;          // pauses the music while attached
    void clicked(Button* button) override;

    enum ButtonId { CloseButton = 1, SaveButton = 2 };

private:
    Database* database = nullptr;  // not owned
    Music* music = nullptr;        // not owned
    bool closeRequested = false;

    TitleImage title;
    Separator separator{true};
    Button saveButton;
    Button closeButton;
    HBox toolbar;
    Frame toolbarFrame;
    ObjectBrowser browser;
    Widget* toolbarChildren[5] = {};
    Widget* panelChildren[2] = {};
};
