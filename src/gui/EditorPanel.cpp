#include "gui/EditorPanel.h"

#include "clock/Music.h"
#include "database/Database.h"
#include "gui/TransportPanel.h"

namespace {
constexpr int TitleIcon = 129;
constexpr int CloseIcon = 120;
constexpr int SaveIcon = 121;
}  // namespace

EditorPanel::EditorPanel() = default;
EditorPanel::~EditorPanel() = default;

bool EditorPanel::init(Database* newDatabase, Display*) {
    database = newDatabase;
    Object* found = database ? database->music(TypeMusic) : nullptr;
    music = found ? dynamic_cast<Music*>(found) : nullptr;
    if (!music) return false;
    if (!title.setIcon(TitleIcon)) return false;
    closeButton.setListener(CloseButton, this);
    saveButton.setListener(SaveButton, this);
    // A button without its icon still works; it is only harder to see.
    closeButton.setIcon(CloseIcon);
    saveButton.setIcon(SaveIcon);

    // Without a transport panel the editor is still built, with the rest of the toolbar.
    int n = 0;
    toolbarChildren[n++] = &title;
    if (TransportPanel* transport = music->transportPanel()) toolbarChildren[n++] = transport;
    toolbarChildren[n++] = &separator;
    toolbarChildren[n++] = &saveButton;
    toolbarChildren[n++] = &closeButton;
    toolbar.setChildren(toolbarChildren, n);
    toolbarFrame.setChild(&toolbar);
    if (!browser.init(database)) return false;
    panelChildren[0] = &toolbarFrame;
    panelChildren[1] = &browser;
    setChildren(panelChildren, 2);
    return true;
}

void EditorPanel::setProblem(const char* text) {
    if (!problem.setText(text ? text : "")) return;
    problem.colour = 0xffc04040;
    const SizeHint h = problem.getSizeHint();
    problem.setSizeHint(0, h.height, false, true);  // a long line is cut, never widens the editor
    int n = 0;
    panelChildren[n++] = &toolbarFrame;
    if (*problem.getText() != '\0') panelChildren[n++] = &problem;
    panelChildren[n++] = &browser;
    setChildren(panelChildren, n);
}

// --- behaviour -------------------------------------------------------------------------------------

void EditorPanel::setHost(WidgetHost* h) {
    VBox::setHost(h);
    if (music) music->setPaused(h != nullptr);
}

void EditorPanel::clicked(Button* button) {
    switch (button->getId()) {
    case CloseButton:
        if (database) database->saveAs("Backup.xml");
        closeRequested = true;
        break;
    case SaveButton:
        if (database) database->save();
        break;
    default: break;
    }
}

// --- drawing ---------------------------------------------------------------------------------------

bool EditorPanel::draw(float time, float delta) {
    // Content that shows nothing at this time stops the clock rather than the program.
    if (!VBox::draw(time, delta) && music) music->setPaused(true);
    return !closeRequested;
}
