#include "app/LoadedDocument.h"

#include "database/Database.h"
#include "gui/Gui.h"
#include "resources/ResourceFolder.h"

#include <tinyxml.h>

#include <utility>

LoadedDocument::LoadedDocument() = default;

LoadedDocument::~LoadedDocument() {
    gui.reset();
    database.reset();
    document.reset();
    folder.reset();
}

void LoadedDocument::swap(LoadedDocument& other) noexcept {
    text.swap(other.text);
    document.swap(other.document);
    folder.swap(other.folder);
    database.swap(other.database);
    gui.swap(other.gui);
    std::swap(music, other.music);
    findings.swap(other.findings);
}
