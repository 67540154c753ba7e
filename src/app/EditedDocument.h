// EditedDocument: the editor's edit of the whole document (an object made, copied, renamed or
// deleted, or such a step undone) loaded as the next version, between two frames, through the one
// loader: the file stays what is on disk, the edit stays unsaved, and the new version goes on at
// the same time, paused or not, with the editor as it was and the named object selected.
#pragma once

#include "app/LoadedDocument.h"

#include <string>

class Display;

// `file`: the -d document, or empty for the linked one. False with why when the text does not
// load; `current` then stays as it was.
bool loadEditedDocument(LoadedDocument& current, const std::string& text, const std::string& file, Display* display,
                        std::string* why);
