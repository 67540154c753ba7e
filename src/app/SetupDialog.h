// SetupDialog: the "Welcome" dialog (template 102 with picture 103) where the user confirms the
// display settings before start-up. OK writes the choices into the options; Cancel leaves them.
#pragma once

struct Options;

class SetupDialog {
public:
    // 1 after OK (options updated), 0 after Cancel, Escape or closing; -1 when it cannot be shown.
    static int show(Options* options);
};
