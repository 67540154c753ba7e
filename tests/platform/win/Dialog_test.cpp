// Template dialogs: control messages, layout in dialog units, and behaviour under real X input.
#include "platform/win/Dialog.h"

#include "platform/win/DialogFont.h"
#include "platform/win/XdotoolDriver.h"
#include "support/PrivateXServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int ID_CHECK = 11;
constexpr int ID_LIST = 12;
constexpr int ID_PRESS = 13;

constexpr DialogItemTemplate items[] = {
    {DialogControlClass::Static, WS_CHILD | WS_VISIBLE | SS_BITMAP, 0, 0, 100, 40, -1, nullptr, 9999},  // no such picture
    {DialogControlClass::Button, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 6, 44, 60, 10, ID_CHECK, "&Check", 0},
    {DialogControlClass::ComboBox, WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST, 6, 58, 70, 60, ID_LIST, nullptr, 0},
    {DialogControlClass::Button, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 90, 44, 40, 14, ID_PRESS, "&Press", 0},
    {DialogControlClass::Button, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 90, 62, 40, 14, IDOK, "OK", 0},
    {DialogControlClass::Button, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 90, 80, 40, 14, IDCANCEL, "Cancel", 0},
};
constexpr DialogTemplate dialogTemplate = {
    DS_SHELLFONT | DS_CENTER | WS_POPUP | WS_BORDER, 0, 0, 140, 150, "", 8, "MS Shell Dlg", items, 6,
};

// What the dialog procedure saw; the procedure ends the dialog on OK and Cancel only.
struct Log {
    std::vector<std::pair<int, unsigned>> commands;  // id, notification
    RECT check{}, list{}, press{};
    bool checkedAtEnd = false;
    LRESULT selectionAtEnd = CB_ERR;
    bool endAtInit = false;
    std::vector<LRESULT> initAnswers;  // control messages answered during WM_INITDIALOG
    RECT mapped{};
};
Log* current = nullptr;

INT_PTR procedure(HWND dialog, unsigned message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        current = reinterpret_cast<Log*>(lParam);
        SetWindowTextA(dialog, "Dialog test");
        auto send = [&](int id, unsigned m, WPARAM w, const char* text) {
            current->initAnswers.push_back(SendDlgItemMessageA(dialog, id, m, w, reinterpret_cast<LPARAM>(text)));
        };
        send(ID_LIST, CB_ADDSTRING, 0, "first");
        send(ID_LIST, CB_ADDSTRING, 0, "second");
        send(ID_LIST, CB_ADDSTRING, 0, "third");
        send(ID_LIST, CB_GETCOUNT, 0, nullptr);
        send(ID_LIST, CB_GETCURSEL, 0, nullptr);   // none yet
        send(ID_LIST, CB_SETCURSEL, 7, nullptr);   // out of range
        send(ID_LIST, CB_SETCURSEL, 2, nullptr);
        send(ID_LIST, CB_GETCURSEL, 0, nullptr);
        send(ID_CHECK, CB_ADDSTRING, 0, "not a list");
        send(999, BM_GETCHECK, 0, nullptr);        // no such control
        CheckDlgButton(dialog, ID_CHECK, BST_CHECKED);
        current->initAnswers.push_back(IsDlgButtonChecked(dialog, ID_CHECK));
        GetDlgItemRect(dialog, ID_CHECK, &current->check);
        GetDlgItemRect(dialog, ID_LIST, &current->list);
        GetDlgItemRect(dialog, ID_PRESS, &current->press);
        current->mapped = {6, 44, 66, 54};
        MapDialogRect(dialog, &current->mapped);
        if (current->endAtInit) EndDialog(dialog, 42);
        return TRUE;
    }
    if (message == WM_COMMAND) {
        current->commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            current->checkedAtEnd = IsDlgButtonChecked(dialog, ID_CHECK) == BST_CHECKED;
            current->selectionAtEnd = SendDlgItemMessageA(dialog, ID_LIST, CB_GETCURSEL, 0, 0);
            EndDialog(dialog, LOWORD(wParam));
        }
        return TRUE;
    }
    return FALSE;
}

struct Outcome {
    INT_PTR result = -99;
    bool timedOut = false;
};

Outcome runDialog(Log& record, std::function<void(XdotoolDriver&)> steps) {
    XdotoolDriver driver("Dialog test");
    driver.start(std::move(steps));
    Outcome run;
    run.result = DialogBoxIndirectParamA(nullptr, &dialogTemplate, nullptr, procedure, reinterpret_cast<LPARAM>(&record));
    driver.finish();
    run.timedOut = driver.timedOut;
    return run;
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(testing_x::startPrivateXServer());  // pointer and keyboard focus are ours alone
    }
};

using Commands = std::vector<std::pair<int, unsigned>>;

}  // namespace

TEST(Dialog, RefusesWhatIsNoDialog) {
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, nullptr, nullptr, procedure, 0), -1);
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, &dialogTemplate, nullptr, nullptr, 0), -1);
    EXPECT_FALSE(EndDialog(nullptr, 1));
    EXPECT_EQ(SendDlgItemMessageA(nullptr, ID_LIST, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(IsDlgButtonChecked(nullptr, ID_CHECK), 0u);
    RECT rect{1, 2, 3, 4};
    EXPECT_FALSE(MapDialogRect(nullptr, &rect));
    EXPECT_EQ(rect.left, 1);
}

TEST_F(DialogTest, ControlMessagesAndLayoutInDialogUnits) {
    Log record;
    record.endAtInit = true;  // ends before it is ever shown: no input needed
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, &dialogTemplate, nullptr, procedure, reinterpret_cast<LPARAM>(&record)),
              42);
    EXPECT_TRUE(record.commands.empty());
    std::vector<LRESULT> expected{0, 1, 2, 3, CB_ERR, CB_ERR, 2, 2, CB_ERR, 0, BST_CHECKED};
    EXPECT_EQ(record.initAnswers, expected);

    DialogFont font;
    ASSERT_TRUE(font.open(8));
    EXPECT_EQ(record.mapped.left, (6 * font.baseUnitX() + 2) / 4);
    EXPECT_EQ(record.mapped.right, (66 * font.baseUnitX() + 2) / 4);
    EXPECT_EQ(record.mapped.top, (44 * font.baseUnitY() + 4) / 8);
    EXPECT_EQ(record.mapped.bottom, (54 * font.baseUnitY() + 4) / 8);
    EXPECT_EQ(record.check.left, record.mapped.left);
    EXPECT_EQ(record.check.bottom, record.mapped.bottom);
    // DejaVu Sans at 8 points and 96 dpi is a little wider than the classic dialog font.
    EXPECT_GE(font.baseUnitX(), 6);
    EXPECT_LE(font.baseUnitX(), 8);
    EXPECT_GE(font.baseUnitY(), 12);
    EXPECT_LE(font.baseUnitY(), 14);
}

TEST_F(DialogTest, OpenListClosesWithEscapeWithoutChoosingOrEndingTheDialog) {
    Log record;
    Outcome run = runDialog(record, [](XdotoolDriver& d) {
        d.key("Tab alt+Down Up Up Escape");  // the check box, then the list: opened, moved, dropped
        d.key("Escape");                     // now the dialog's Cancel
    });
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.result, IDCANCEL);
    EXPECT_EQ(record.commands, (Commands{{IDCANCEL, BN_CLICKED}}));
    EXPECT_EQ(record.selectionAtEnd, 2);
    EXPECT_TRUE(record.checkedAtEnd);
}

TEST_F(DialogTest, MouseChoosesFromTheListAndAcceleratorsPressButtons) {
    Log record;
    Outcome run = runDialog(record, [&record](XdotoolDriver& d) {
        int x = (record.list.left + record.list.right) / 2;
        d.click(x, (record.list.top + record.list.bottom) / 2);  // opens
        d.click(x, record.list.bottom + 3);                       // the first item, just below the box
        d.key("alt+p");                                           // "&Press": a command, no end
        d.key("c");                                               // "&Check" without Alt: unchecked
        d.key("Return");                                          // the default button
    });
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.result, IDOK);
    EXPECT_EQ(record.commands, (Commands{{ID_LIST, CBN_SELCHANGE}, {ID_PRESS, BN_CLICKED}, {ID_CHECK, BN_CLICKED},
                                         {IDOK, BN_CLICKED}}));
    EXPECT_EQ(record.selectionAtEnd, 0);
    EXPECT_FALSE(record.checkedAtEnd);
}

TEST_F(DialogTest, AClickCountsOnlyWhenReleasedOverTheControl) {
    Log record;
    Outcome run = runDialog(record, [&record](XdotoolDriver& d) {
        std::string box = std::to_string(record.check.left + 5) + " " +
                          std::to_string((record.check.top + record.check.bottom) / 2);
        std::string away = std::to_string(record.press.right + 20) + " " + std::to_string(record.press.top);
        XdotoolDriver::run("mousemove --window " + d.window + " " + box + " mousedown 1");
        XdotoolDriver::run("mousemove --window " + d.window + " " + away + " mouseup 1");
        d.click((record.press.left + record.press.right) / 2, (record.press.top + record.press.bottom) / 2);
        d.key("Escape");
    });
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.result, IDCANCEL);
    EXPECT_EQ(record.commands, (Commands{{ID_PRESS, BN_CLICKED}, {IDCANCEL, BN_CLICKED}}));
    EXPECT_TRUE(record.checkedAtEnd);
}
