#include "gui/EditHistory.h"

#include "database/Database.h"
#include "database/FloatObject.h"
#include "paths/PathSpline.h"

#include <algorithm>
#include <cstring>

namespace {

EditHistory* current = nullptr;  // not owned; the editor's

bool capture(Object* object, EditHistory::State& state) {
    if (!object) return false;
    if (Object* found = object->castTo(TypeFloat)) {
        state.path = false;
        state.value = static_cast<FloatObject*>(found)->value;
        state.floatKeys = static_cast<FloatObject*>(found)->track.keys;
        return true;
    }
    if (Object* found = object->castTo(TypePathSpline)) {
        auto* path = static_cast<PathSpline*>(found);
        state.path = true;
        state.keys = path->copyKeys();
        state.scale = path->getScale();
        state.currentKey = path->getCurrentKey();
        return true;
    }
    return false;
}

bool sameBits(const void* a, const void* b, std::size_t size) {
    return std::memcmp(a, b, size) == 0;
}

}  // namespace

bool EditHistory::State::sameEdits(const State& other) const {
    if (element != other.element || document != other.document) return false;
    if (element || document) return text == other.text;
    if (path != other.path) return false;
    if (!path) return sameBits(&value, &other.value, sizeof value) && floatKeys == other.floatKeys;
    return keys.size() == other.keys.size() && sameBits(&scale, &other.scale, sizeof scale) &&
           (keys.empty() || sameBits(keys.data(), other.keys.data(), keys.size() * sizeof(SplineKey)));
}

EditHistory::EditHistory() = default;

EditHistory::~EditHistory() {
    if (current == this) current = nullptr;
}

EditHistory* EditHistory::active() { return current; }
void EditHistory::activate() { current = this; }

void EditHistory::beginEdit(Object* object) {
    if (current) current->begin(object);
}

void EditHistory::endEdit() {
    if (current) current->end();
}

void EditHistory::begin(Object* object) {
    Database* database = object ? object->database : nullptr;
    const int index = database ? database->indexOf(object) : -1;
    if (open && index == pending.index && database == pendingDatabase) return;  // the same gesture goes on
    end();
    if (index < 0) return;
    Step step;
    if (!capture(object, step.before)) return;
    step.index = index;
    const char* name = database->nameAt(index);
    step.name = name ? name : "";
    pending = std::move(step);
    pendingDatabase = database;
    open = true;
}

void EditHistory::end() {
    if (!open) return;
    open = false;
    Object* object = pendingDatabase ? pendingDatabase->objectAt(pending.index) : nullptr;
    pendingDatabase = nullptr;
    if (!capture(object, pending.after) || pending.after.sameEdits(pending.before)) return;
    push(std::move(pending));
}

void EditHistory::push(Step step) {
    end();
    // A new step drops what could be redone; the saved position may go with it.
    if (savedPosition > position) savedPosition = -1;
    steps.resize(static_cast<std::size_t>(position));
    steps.push_back(std::move(step));
    ++position;
    lastMove = 1;
    lastPushed = true;
    if (static_cast<int>(steps.size()) > limit) {
        steps.erase(steps.begin());
        --position;
        savedPosition = savedPosition > 0 ? savedPosition - 1 : -1;
    }
}

int EditHistory::indexIn(const Database& database, const Step& step) {
    const char* name = database.nameAt(step.index);
    if (name && step.name == name) return step.index;
    // Another document layout: the first object of that name.
    for (int i = 0; i < database.count(); ++i)
        if (step.name == database.nameAt(i)) return i;
    return -1;
}

int EditHistory::apply(Database* database, const Step& step, const State& state) {
    if (!database) return -1;
    const int index = indexIn(*database, step);
    Object* object = index >= 0 ? database->objectAt(index) : nullptr;
    if (state.document) {
        requested = state.text;
        hasRequest = true;
        return index;
    }
    if (state.element) {
        if (index < 0) return -1;
        switch (database->replaceElement(index, state.text, &refused)) {
        case Database::Replaced::Done: return index;
        case Database::Replaced::Refused: return -1;
        case Database::Replaced::Reload: break;
        }
        // The music's element: the whole document with it, as a document step does.
        std::string whole;
        if (!database->compose(&whole)) return -1;
        const std::string was = database->currentElementText(index);
        const std::size_t at = whole.find(was);
        if (was.empty() || at == std::string::npos) return -1;
        requested = whole.replace(at, was.size(), state.text);
        hasRequest = true;
        return index;
    }
    if (!object) return -1;
    if (Object* found = state.path ? nullptr : object->castTo(TypeFloat)) {
        auto* number = static_cast<FloatObject*>(found);
        number->track.keys = state.floatKeys;
        number->setValue(state.value);
    } else if (Object* path = state.path ? object->castTo(TypePathSpline) : nullptr) {
        static_cast<PathSpline*>(path)->restoreKeys(state.keys, state.scale, state.currentKey);
    } else {
        return -1;
    }
    return index;
}

int EditHistory::undo(Database* database) {
    end();
    refused.clear();
    if (!canUndo()) return -1;
    --position;
    lastMove = -1;
    lastPushed = false;
    const Step& step = steps[static_cast<std::size_t>(position)];
    const int index = apply(database, step, step.before);
    if (index < 0 && !refused.empty()) ++position;  // nothing changed: the step stays done
    return index;
}

int EditHistory::redo(Database* database) {
    end();
    refused.clear();
    if (!canRedo()) return -1;
    const Step& step = steps[static_cast<std::size_t>(position)];
    ++position;
    lastMove = 1;
    lastPushed = false;
    const int index = apply(database, step, step.after);
    if (index < 0 && !refused.empty()) --position;
    return index;
}

bool EditHistory::takeDocumentRequest(std::string* text) {
    if (!hasRequest) return false;
    hasRequest = false;
    *text = std::move(requested);
    requested.clear();
    return true;
}

void EditHistory::revertMove() {
    if (lastPushed && !steps.empty() && position == static_cast<int>(steps.size())) steps.pop_back();
    lastPushed = false;
    position -= lastMove;
    position = std::max(0, std::min(position, static_cast<int>(steps.size())));
    lastMove = 0;
}

void EditHistory::markSaved() {
    end();
    savedPosition = position;
}

void EditHistory::markUnsaved() {
    savedPosition = -1;
}

void EditHistory::cancelGesture() {
    open = false;
    pendingDatabase = nullptr;
}

int EditHistory::carry(Record record, const std::function<bool(Step&)>& keep) {
    clear();
    if (record.own) {
        // The editor's own text, loaded: the steps are its steps, saved or not as they were.
        steps = std::move(record.steps);
        position = record.position;
        savedPosition = record.savedPosition;
        for (Step& step : steps) keep(step);
        return 0;
    }
    const int count = static_cast<int>(record.steps.size());
    for (int i = 0; i < count; ++i) {
        if (!keep(record.steps[static_cast<std::size_t>(i)])) continue;
        steps.push_back(std::move(record.steps[static_cast<std::size_t>(i)]));
        if (i < record.position) ++position;
    }
    // A reload happens only without unsaved edits: the objects hold what the file holds.
    savedPosition = position;
    return count - static_cast<int>(steps.size());
}

void EditHistory::clear() {
    cancelGesture();
    steps.clear();
    position = 0;
    savedPosition = 0;
}
