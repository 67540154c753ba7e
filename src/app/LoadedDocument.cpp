#include "app/LoadedDocument.h"

#include "database/Database.h"
#include "gui/Gui.h"

#include <tinyxml.h>

#include <utility>

LoadedDocument::LoadedDocument() = default;

LoadedDocument::~LoadedDocument() {
    gui.reset();
    database.reset();
    document.reset();
}

void LoadedDocument::swap(LoadedDocument& other) noexcept {
    document.swap(other.document);
    database.swap(other.database);
    gui.swap(other.gui);
    std::swap(music, other.music);
}
