#include "models/Model.h"

#include "gui/ModelPreviewView.h"

#include <new>

Model::~Model() = default;

Widget* Model::getEditor() {
    if (!editor) {
        std::unique_ptr<ModelPreviewView> view(new (std::nothrow) ModelPreviewView(this));
        if (!view || !view->init()) return nullptr;  // a later call tries again
        editor = std::move(view);
    }
    return editor.get();
}
