// Builds path.spline elements in memory for the path tests: keys given as the document's own
// attribute text, so every test goes through the real reader.
#pragma once

#include "database/Database.h"
#include "paths/PathSpline.h"

#include <tinyxml.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

struct KeyText {
    const char* p;    // null: no p attribute
    const char* tcb;  // null: no tcb attribute
    const char* t;    // null: no t attribute
};

inline std::unique_ptr<TiXmlElement> splineElement(const std::vector<KeyText>& keys) {
    auto element = std::make_unique<TiXmlElement>("path.spline");
    element->SetAttribute("name", "Test.Path");
    for (const KeyText& key : keys) {
        auto* child = new TiXmlElement("key");
        if (key.p) child->SetAttribute("p", key.p);
        if (key.tcb) child->SetAttribute("tcb", key.tcb);
        if (key.t) child->SetAttribute("t", key.t);
        element->LinkEndChild(child);
    }
    return element;
}

// One key from numbers: integer position, vector part in thousandths (times 999), tcb in
// hundredths (times 99), time in seconds.
struct KeyNumbers {
    int x, y, z;
    int qx, qy, qz;
    int tension, continuity, bias;
    float time;
};

inline std::unique_ptr<TiXmlElement> splineElement(const std::vector<KeyNumbers>& keys) {
    std::vector<std::string> texts;
    std::vector<KeyText> keyTexts;
    texts.reserve(keys.size() * 3);
    for (const KeyNumbers& k : keys) {
        char p[128], tcb[64], t[64];
        std::snprintf(p, sizeof p, "%d %d %d %d %d %d", k.x, k.y, k.z, k.qx, k.qy, k.qz);
        std::snprintf(tcb, sizeof tcb, "%d %d %d", k.tension, k.continuity, k.bias);
        std::snprintf(t, sizeof t, "%f", static_cast<double>(k.time));
        texts.push_back(p);
        texts.push_back(tcb);
        texts.push_back(t);
    }
    for (size_t i = 0; i < keys.size(); ++i) {
        keyTexts.push_back({texts[3 * i].c_str(), texts[3 * i + 1].c_str(), texts[3 * i + 2].c_str()});
    }
    return splineElement(keyTexts);
}

// The text of every key element, "p|tcb|t" per key, for comparing saves.
inline std::vector<std::string> keyLines(const TiXmlElement* element) {
    std::vector<std::string> lines;
    for (const TiXmlElement* key = element->FirstChildElement(); key; key = key->NextSiblingElement()) {
        auto text = [key](const char* name) {
            const char* value = key->Attribute(name);
            return std::string(value ? value : "<none>");
        };
        lines.push_back(std::string(key->Value()) + ":" + text("p") + "|" + text("tcb") + "|" + text("t"));
    }
    return lines;
}

// A path loaded from such an element, with a database that holds nothing.
struct LoadedPath {
    Database database;
    PathSpline path{&database};

    template <typename Keys>
    explicit LoadedPath(const Keys& keys) {
        auto element = splineElement(keys);
        loaded = path.load(element.get());
    }
    bool loaded = false;
};
