#include "render/RenderFingerprint.h"

#include "platform/win/Headless.h"
#include "resources/LoadResource.h"
#include "resources/ResourceFolder.h"
#include "render/FrameRenderer.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

std::string RenderFingerprint::hashOf(const void* data, std::size_t size) {
    // FNV-1a, 64 bits: a change of any byte shows; nobody forges a document against a plan.
    std::uint64_t hash = 0xcbf29ce484222325ull;
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 0x100000001b3ull;
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

bool RenderFingerprint::of(const std::string& dataFile, const std::string& version, RenderFingerprint* fingerprint,
                           std::string* error) {
    fingerprint->parts.clear();
    fingerprint->parts["program"] = version;
    if (dataFile.empty()) {
        // The linked production and its files are part of the program: its version covers them.
        ResourceData demo = loadResource("Demo.xml");
        fingerprint->parts["document"] = hashOf(demo.data, demo ? demo.size : 0);
        return true;
    }
    std::ifstream file(dataFile, std::ios::binary);
    if (!file) {
        *error = "Cannot read the document " + dataFile;
        return false;
    }
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    fingerprint->parts["document"] = hashOf(text.data(), text.size());
    // The files are those a render asks for: loading the document as a render does names them all.
    win::useHeadlessPlatform();
    FrameRenderer renderer;
    if (!renderer.open(dataFile, 16, 16, false, error)) return false;
    ResourceFolder* folder = renderer.objects().folder();
    if (folder == nullptr) return true;
    for (const std::string& name : folder->names()) {
        std::string problem;
        const ResourceData bytes = loadResource(name.c_str(), folder, &problem);
        fingerprint->parts["file " + name] = bytes ? hashOf(bytes.data, bytes.size) : "absent";
    }
    return true;
}

std::string RenderFingerprint::changesTo(const RenderFingerprint& now) const {
    std::string changes;
    auto add = [&changes](const std::string& what) { changes += (changes.empty() ? "" : ", ") + what; };
    auto describe = [](const std::string& part) {
        return part == "program" ? std::string("the program's version") : part == "document" ? "the document" : "the " + part;
    };
    for (const auto& [part, value] : parts) {
        auto found = now.parts.find(part);
        if (found == now.parts.end()) add(describe(part) + " (no longer used)");
        else if (found->second != value)
            add(part == "program" ? "the program's version (" + value + ", now " + found->second + ")" : describe(part));
    }
    for (const auto& [part, value] : now.parts)
        if (parts.count(part) == 0) add(describe(part) + " (newly used)");
    return changes;
}
