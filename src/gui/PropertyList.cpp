#include "gui/PropertyList.h"

#include "database/Database.h"
#include "database/DocumentEdit.h"
#include "database/DrivenAttributes.h"
#include "database/NumberCheck.h"
#include "database/TypeRegistry.h"
#include "gui/ObjectActions.h"

#include <tinyxml.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

constexpr int RowHeight = 20;

// What the number checks find in an element's text, each once.
std::vector<std::string> numberProblems(const std::string& element, int type, const std::string& name) {
    TiXmlDocument parsed;
    parsed.Parse(element.c_str());
    std::vector<DocumentProblem> problems;
    if (const TiXmlElement* root = parsed.RootElement()) NumberCheck::checkObject(root, type, name, &problems);
    std::vector<std::string> messages;
    for (const DocumentProblem& problem : problems) messages.push_back(problem.message);
    return messages;
}

}  // namespace

PropertyList::PropertyList() = default;
PropertyList::~PropertyList() {
    setChildren(nullptr, 0);  // before the rows go
}

bool PropertyList::Note::draw(float, float) {
    Label::drawText(text.c_str(), rect, colour);
    return true;
}

bool PropertyList::init(Database* newDatabase, Actions newActions) {
    database = newDatabase;
    actions = std::move(newActions);
    if (!newRow.init(1) || !newRow.addButton("New", NewButton, this)) return false;
    std::vector<std::string> types;
    for (ObjectType t : ObjectActions::makeableTypes()) types.push_back(keywordOf(t));
    typeChoice()->setOptions(types, types.front());
    if (!objectRow.init() || !objectRow.addButton("Copy", CopyButton, this) || !objectRow.addButton("Delete", DeleteButton, this))
        return false;
    if (!nameRow.init()) return false;
    nameRow.field.check = [](const std::string& text) {
        return text.empty() ? std::string("a name is needed") : std::string();
    };
    nameRow.field.apply = [this](const std::string& to) {
        const char* from = database ? database->nameAt(index) : nullptr;
        if (!from) return std::string("no object selected");
        ObjectActions::Made made;
        std::string why;
        const std::string before = document();
        if (!ObjectActions::rename(before, from, to, &made, &why)) return why;
        actions.editDocument(before, made.text, made.name);
        return std::string();
    };
    nameRow.field.tellProblem = [this](const std::string& why) { say(why); };
    // The reasons take the rest of the column, so the rows stand at its top.
    noteLine.setSizeHint(PropertyRow::CaptionWidth + PropertyRow::ControlWidth, RowHeight, false, false);
    setSizeHint(PropertyRow::CaptionWidth + PropertyRow::ControlWidth * 2, 100, true, false);
    build();
    return true;
}

void PropertyList::say(const std::string& text, bool problem) {
    note = text;
    noteLine.text = text;
    noteLine.colour = problem ? 0xffc04040 : 0xff306010;
}

std::string PropertyList::current() const {
    return database && index >= 0 ? database->currentElementText(index) : std::string();
}

std::string PropertyList::document() const {
    std::string text;
    if (database) database->compose(&text);
    return text;
}

void PropertyList::show(int newIndex) {
    const int newType = database && newIndex >= 0 && database->keywordAt(newIndex) ? typeFromKeyword(database->keywordAt(newIndex)) : -1;
    if (newIndex == index && newType == type) {
        refresh();
        return;
    }
    index = newIndex;
    type = newType;
    deleteArmed.clear();
    say("");
    build();
}

void PropertyList::build() {
    std::vector<std::unique_ptr<PropertyRow>> made;
    const ObjectType own = static_cast<ObjectType>(type);
    const std::string self = database && database->nameAt(index) ? database->nameAt(index) : "";
    int number = 0;
    for (const AttributeInfo& info : type >= 0 ? attributesOf(own) : std::vector<AttributeInfo>{}) {
        const bool typed = info.kind == AttributeKind::Number || info.kind == AttributeKind::Numbers ||
                           info.kind == AttributeKind::Time || info.kind == AttributeKind::Colour;
        const PropertyRow::Kind kind = typed ? PropertyRow::Typed : info.kind == AttributeKind::Flag ? PropertyRow::Flag : PropertyRow::Chosen;
        auto row = std::make_unique<PropertyRow>(kind, info.name);
        row->info = info;
        if (!row->init()) continue;
        const std::string name = info.name;
        auto tell = [this](const std::string& why) { say(why); };
        if (typed) {
            row->field.check = [this, info](const std::string& value) { return typeCheck(info, value); };
            row->field.apply = [this, name](const std::string& value) { return setAttribute(name, value); };
            row->field.tellProblem = tell;
            if (info.kind == AttributeKind::Time) row->addButton("cursor", CursorButton + number, this);
            if (info.kind == AttributeKind::Number || info.kind == AttributeKind::Time) {
                PropertyRow* at = row.get();
                row->field.turn = [this, at, info](float notches) {
                    // A time by beats, a number by one (or a tenth when it has a fraction).
                    const std::string text = at->field.getText();
                    const float value = text.empty() ? 0.0f : std::strtof(text.c_str(), nullptr);
                    float step = text.find('.') != std::string::npos ? 0.1f : 1.0f;
                    if (info.kind == AttributeKind::Time && actions.beatLength) step = actions.beatLength();
                    const std::string next = ObjectActions::numberText(value + step * (notches > 0.0f ? 1.0f : -1.0f));
                    std::string why = typeCheck(info, next);
                    if (why.empty()) why = setAttribute(info.name, next);
                    at->field.invalid = !why.empty();
                    say(why);
                    if (why.empty()) at->field.setText(next);
                };
            }
        } else if (kind == PropertyRow::Flag) {
            row->check.apply = [this, name](bool on) { return setAttribute(name, on ? "on" : ""); };
            row->check.tellProblem = tell;
        } else {
            row->choices.front()->apply = [this, name](const std::string& value) {
                return setAttribute(name, value == "none" ? std::string() : value);
            };
            row->choices.front()->tellProblem = tell;
        }
        made.push_back(std::move(row));
        ++number;
    }
    const std::vector<AttributeInfo> itemInfo = type >= 0 ? itemAttributesOf(own) : std::vector<AttributeInfo>{};
    if (!itemInfo.empty()) {
        const auto list = DocumentEdit::items(current());
        for (int i = 0; i < static_cast<int>(list.size()); ++i) {
            auto row = std::make_unique<PropertyRow>(PropertyRow::Item, "item " + std::to_string(i + 1));
            row->item = i;
            if (!row->init(static_cast<int>(itemInfo.size()))) continue;
            for (std::size_t c = 0; c < itemInfo.size(); ++c) {
                const std::string name = itemInfo[c].name;
                row->choices[c]->apply = [this, i, name](const std::string& value) {
                    auto items = DocumentEdit::items(current());
                    if (i >= static_cast<int>(items.size())) return std::string("no such item");
                    auto& item = items[static_cast<std::size_t>(i)];
                    auto at = std::find_if(item.begin(), item.end(), [&](const auto& a) { return a.first == name; });
                    if (at != item.end()) at->second = value;
                    else item.emplace_back(name, value);
                    return setItems(items);
                };
                row->choices[c]->tellProblem = [this](const std::string& why) { say(why); };
            }
            row->addButton("up", ItemButton + i * 4, this);
            row->addButton("down", ItemButton + i * 4 + 1, this);
            row->addButton("remove", ItemButton + i * 4 + 2, this);
            made.push_back(std::move(row));
        }
        auto add = std::make_unique<PropertyRow>(PropertyRow::Buttons, "");
        if (add->init() && add->addButton("add item", AddItemButton, this)) made.push_back(std::move(add));
    }
    std::vector<Widget*> list = {&newRow, &objectRow};
    if (index >= 0) list.push_back(&nameRow);
    for (auto& row : made) list.push_back(row.get());
    list.push_back(&noteLine);
    setChildren(list.data(), static_cast<int>(list.size()));  // lets go of the old rows first
    children.swap(list);  // the box points into it
    rows = std::move(made);
    (void)self;
    refresh();
}

void PropertyList::refresh() {
    if (!database || index < 0) return;
    const std::string element = current();
    const std::string self = database->nameAt(index) ? database->nameAt(index) : "";
    if (!nameRow.field.isEditing()) nameRow.field.setText(self);
    const auto items = DocumentEdit::items(element);
    const std::vector<AttributeInfo> itemInfo = itemAttributesOf(static_cast<ObjectType>(type));
    int itemRows = 0;
    for (auto& row : rows) {
        if (row->kind == PropertyRow::Item) {
            ++itemRows;
            if (row->item >= static_cast<int>(items.size())) continue;
            const auto& item = items[static_cast<std::size_t>(row->item)];
            for (std::size_t c = 0; c < itemInfo.size() && c < row->choices.size(); ++c) {
                std::string value;
                for (const auto& [name, v] : item)
                    if (name == itemInfo[c].name) value = v;
                row->choices[c]->setOptions(ObjectActions::objectsOf(*database, itemInfo[c].family), value);
            }
            continue;
        }
        if (row->kind == PropertyRow::Buttons) continue;
        std::string value;
        const bool present = DocumentEdit::attribute(element, row->info.name, &value);
        switch (row->kind) {
        case PropertyRow::Typed:
            if (!row->field.isEditing()) row->field.setText(value);
            row->field.swatchShown = row->info.kind == AttributeKind::Colour && present;
            row->field.swatch = static_cast<unsigned>(std::strtoul(value.c_str(), nullptr, 16));
            break;
        case PropertyRow::Flag: row->check.setChecked(present); break;
        case PropertyRow::Chosen: {
            std::vector<std::string> options;
            if (row->info.kind == AttributeKind::Resource) {
                options = ObjectActions::filesOf(*database, row->info.resource);
            } else {
                if (!row->info.required) options.push_back("none");
                for (const std::string& name : ObjectActions::objectsOf(*database, row->info.family))
                    if (name != self) options.push_back(name);
            }
            row->choices.front()->setOptions(options, present ? value : row->info.required ? "" : "none");
            break;
        }
        default: break;
        }
    }
    if (itemRows != static_cast<int>(items.size()) && !itemInfo.empty()) build();
}

std::string PropertyList::typeCheck(const AttributeInfo& info, const std::string& value) const {
    if (value.empty()) return info.required ? std::string(info.name) + ": a value is needed" : std::string();
    // A colour that follows floats is written as its channels, as a driven number is.
    const char* keyword = keywordOf(static_cast<ObjectType>(type));
    const bool driven = keyword && namesFloat(value.c_str()) && canBeDriven(keyword, info.name);
    if (info.kind == AttributeKind::Colour && !driven) {
        const bool hex = std::all_of(value.begin(), value.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
        if (!hex || (value.size() != 8 && value.size() != 6)) return std::string(info.name) + ": not a colour (ARGB in hexadecimal, as ff000000)";
        return std::string();
    }
    if (!database || index < 0) return std::string();
    const std::string element = current();
    const std::string name = database->nameAt(index);
    std::vector<std::string> before = numberProblems(element, type, name);
    for (const std::string& problem : numberProblems(DocumentEdit::withAttribute(element, info.name, &value), type, name)) {
        const auto was = std::find(before.begin(), before.end(), problem);
        if (was == before.end()) return problem;
        before.erase(was);
    }
    return std::string();
}

std::string PropertyList::setAttribute(const std::string& name, const std::string& value) {
    if (!database || index < 0) return "no object selected";
    const std::string element = current();
    const std::string text = DocumentEdit::withAttribute(element, name, value.empty() ? nullptr : &value);
    std::string why;
    if (text != element && !actions.editElement(index, text, &why)) return why.empty() ? "not applied" : why;
    return std::string();
}

std::string PropertyList::setItems(const std::vector<std::vector<std::pair<std::string, std::string>>>& items) {
    const std::string element = current();
    std::string why;
    if (!actions.editElement(index, DocumentEdit::withItems(element, items), &why)) return why.empty() ? "not applied" : why;
    return std::string();
}

PropertyRow* PropertyList::rowOf(const std::string& attribute) {
    for (auto& row : rows)
        if (row->kind != PropertyRow::Item && row->kind != PropertyRow::Buttons && attribute == row->info.name) return row.get();
    return nullptr;
}

PropertyRow* PropertyList::itemRow(int item) {
    for (auto& row : rows)
        if (row->kind == PropertyRow::Item && row->item == item) return row.get();
    return nullptr;
}

void PropertyList::clicked(Button* button) { press(button->getId()); }

void PropertyList::press(int id) { pressed.push_back(id); }

bool PropertyList::draw(float time, float delta) {
    // Buttons act here, between two frames, never inside their own click: the rows may be rebuilt.
    std::vector<int> ids;
    ids.swap(pressed);
    for (int id : ids) run(id);
    return VBox::draw(time, delta);
}

void PropertyList::run(int id) {
    if (!database) return;
    const std::string self = database->nameAt(index) ? database->nameAt(index) : "";
    std::string why;
    ObjectActions::Made made;
    if (id == NewButton) {
        const std::vector<ObjectType> types = ObjectActions::makeableTypes();
        const int chosen = typeChoice()->getIndex();
        if (chosen < 0 || chosen >= static_cast<int>(types.size())) return;
        const std::string before = document();
        const float beat = actions.beatLength ? actions.beatLength() : 0.5f;
        if (!ObjectActions::make(*database, before, types[static_cast<std::size_t>(chosen)], actions.cursor ? actions.cursor() : 0.0f,
                                 beat, &made, &why))
            return say("Not made: " + why);
        actions.editDocument(before, made.text, made.name);
        return say("Made \"" + made.name + "\"", false);
    }
    if (self.empty()) return;
    if (id == CopyButton) {
        const std::string before = document();
        if (!ObjectActions::copy(before, self, &made, &why)) return say("Not copied: " + why);
        actions.editDocument(before, made.text, made.name);
        return say("Copied to \"" + made.name + "\"", false);
    }
    if (id == DeleteButton) {
        const std::string before = document();
        const std::vector<std::string> referrers = DocumentEdit::referrers(before, self);
        std::string list;
        for (const std::string& name : referrers) list += (list.empty() ? "\"" : ", \"") + name + "\"";
        if (!ObjectActions::remove(before, self, &made, &why))
            return say("Not deleted: " + why + (list.empty() ? "" : "; referred to by " + list));
        if (!referrers.empty() && deleteArmed != self) {
            deleteArmed = self;
            return say("Referred to by " + list + ": Delete again removes their references");
        }
        deleteArmed.clear();
        const int next = index > 0 ? index - 1 : 0;
        actions.editDocument(before, made.text, database->nameAt(next) && next != index ? database->nameAt(next) : "");
        return say("Deleted \"" + self + "\"", false);
    }
    if (id == AddItemButton) {
        auto items = DocumentEdit::items(current());
        std::vector<std::pair<std::string, std::string>> item;
        for (const AttributeInfo& info : itemAttributesOf(static_cast<ObjectType>(type))) {
            std::string first;
            for (const std::string& name : ObjectActions::objectsOf(*database, info.family))
                if (name != self && first.empty()) first = name;
            item.emplace_back(info.name, first);
        }
        items.push_back(item);
        const std::string problem = setItems(items);
        return say(problem.empty() ? "" : "Not added: " + problem);
    }
    if (id >= ItemButton) {
        const int item = (id - ItemButton) / 4, action = (id - ItemButton) % 4;
        auto items = DocumentEdit::items(current());
        if (item >= static_cast<int>(items.size())) return;
        const auto at = items.begin() + item;
        if (action == 0 && item > 0) std::iter_swap(at, at - 1);
        else if (action == 1 && item + 1 < static_cast<int>(items.size())) std::iter_swap(at, at + 1);
        else if (action == 2) items.erase(at);
        else return;
        const std::string problem = setItems(items);
        return say(problem.empty() ? "" : "Not changed: " + problem);
    }
    if (id >= CursorButton) {
        int number = id - CursorButton;
        for (auto& row : rows) {
            if (row->kind == PropertyRow::Item || row->kind == PropertyRow::Buttons || number-- != 0) continue;
            const std::string problem = setAttribute(row->info.name, ObjectActions::numberText(actions.cursor ? actions.cursor() : 0.0f));
            row->field.invalid = !problem.empty();
            return say(problem);
        }
    }
}
