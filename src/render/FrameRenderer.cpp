#include "render/FrameRenderer.h"

#include "app/Device.h"
#include "app/DocumentLoader.h"
#include "resources/LoadResource.h"
#include "resources/ResourceFolder.h"
#include "clock/Audio.h"
#include "clock/Music.h"
#include "database/DocumentCheck.h"
#include "database/ObjectType.h"
#include "gui/VisualPreview.h"
#include "textures/TextureTarget.h"
#include "visuals/Visual.h"

#include <tinyxml.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

FrameRenderer::FrameRenderer() = default;

FrameRenderer::~FrameRenderer() {
    display.shutdown();
    if (audioStarted) stopAudio();
    if (loaded.database) loaded.database->deleteObjects();
}

bool FrameRenderer::open(const std::string& dataFile, int width, int height, bool antialias, std::string* error,
                         bool leaveOutBroken) {
    display.readBack = true;
    if (!display.create(nullptr, true, antialias, width, height)) {
        *error = "Cannot create the device for rendering";
        return false;
    }
    // The music is the clock the objects expect to exist; it stays silent here.
    if (!startAudio(display.window)) {
        *error = "Cannot start the audio library";
        return false;
    }
    audioStarted = true;
    DocumentLoader::Options load;
    load.file = dataFile;
    load.display = &display;
    load.leaveOutBrokenItems = leaveOutBroken;
    const DocumentLoader::Result result = DocumentLoader::load(load, loaded);
    if (!result) {
        // The player's message, then why, as the player says it.
        *error = DocumentLoader::message(result.failure, dataFile.empty());
        for (const std::string& line : loaded.findings) *error += "\n  " + line;
        for (const std::string& line : result.problems) *error += "\n  " + line;
        return false;
    }
    for (const std::string& line : loaded.database->leftOut()) std::fprintf(stderr, "%s\n", line.c_str());
    display.setRoot(loaded.gui.get());
    return true;
}

bool FrameRenderer::listProblems(const std::string& dataFile) {
    const std::vector<std::string> problems = DocumentLoader::check(dataFile);
    for (const std::string& line : problems) std::fprintf(stderr, "%s\n", line.c_str());
    return problems.empty();
}

void FrameRenderer::setLayout(int width, int height) {
    layoutWidth = width;
    layoutHeight = height;
}

bool FrameRenderer::render(float time, float delta) {
    if (!device || display.root == nullptr) return false;
    if (layoutWidth > 0 && layoutHeight > 0) return renderLayout(time, delta);
    bool drew = false;
    if (SUCCEEDED(device->BeginScene())) {
        updateRenderTargets(time, delta);
        drew = display.root->draw(time, delta);
        device->EndScene();
    }
    return drew;
}

// The player's window of the layout size, scaled to fit the frame and centred: its 4:3 picture
// with every pixel placement scaled alike, on the player's background as a full screen shows it.
bool FrameRenderer::renderLayout(float time, float delta) {
    auto* main = static_cast<Visual*>(loaded.database->root(TypeVisual));
    if (main == nullptr) return false;
    const double scale = std::min(double(display.width) / layoutWidth, double(display.height) / layoutHeight);
    const Rect picture = VisualPreview::fit({0, 0, layoutWidth, layoutHeight});
    const double left = (display.width - layoutWidth * scale) / 2, top = (display.height - layoutHeight * scale) / 2;
    auto at = [scale](double origin, int pixels) { return static_cast<int>(std::lround(origin + pixels * scale)); };
    const int x0 = at(left, picture.x), y0 = at(top, picture.y);
    const Rect scaled{x0, y0, at(left, picture.x + picture.width) - x0, at(top, picture.y + picture.height) - y0};

    bool drew = false;
    if (SUCCEEDED(device->BeginScene())) {
        updateRenderTargets(time, delta);  // in their own texels, unscaled
        const D3DVIEWPORT9 whole{0, 0, DWORD(display.width), DWORD(display.height), 0.0f, 1.0f};
        device->SetViewport(&whole);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, Gui::background, 1.0f, 0);
        main->setRect(scaled);
        Visual::setPixelScale(static_cast<float>(scale));
        drew = main->render(time, delta);
        Visual::setPixelScale(1.0f);
        device->EndScene();
    }
    return drew;
}

bool FrameRenderer::present(float time, float delta) { return display.frame(time, delta); }

bool FrameRenderer::readPixels(std::vector<std::uint32_t>* pixels) {
    if (!device) return false;
    pixels->resize(std::size_t(display.width) * display.height);
    return SUCCEEDED(device->ReadRenderTarget(reinterpret_cast<DWORD*>(pixels->data()), display.width, display.height));
}

bool FrameRenderer::queuePixels() {
    if (!device || queued >= int(IDirect3DDevice9::kReadSlots)) return false;
    if (FAILED(device->BeginReadRenderTarget(nextSlot))) return false;
    nextSlot = (nextSlot + 1) % IDirect3DDevice9::kReadSlots;
    ++queued;
    return true;
}

bool FrameRenderer::takePixels(std::vector<std::uint32_t>* pixels) {
    if (!device || queued == 0) return false;
    const UINT slot = (nextSlot + IDirect3DDevice9::kReadSlots - UINT(queued)) % IDirect3DDevice9::kReadSlots;
    --queued;
    pixels->resize(std::size_t(display.width) * display.height);
    return SUCCEEDED(device->FinishReadRenderTarget(slot, reinterpret_cast<DWORD*>(pixels->data()), display.width,
                                                    display.height));
}

std::string FrameRenderer::musicResource() const { return loaded.document ? musicResourceOf(*loaded.document) : ""; }

std::string FrameRenderer::musicResourceOf(const TiXmlDocument& document) {
    const TiXmlElement* demo = document.FirstChildElement("demo");
    const char* resource = nullptr;  // the last element named "Music" is the music, as in the database
    for (const TiXmlElement* element = demo ? demo->FirstChildElement() : nullptr; element;
         element = element->NextSiblingElement()) {
        const char* name = element->Attribute("name");
        if (name != nullptr && std::string(name) == "Music") resource = element->Attribute("resource");
    }
    return resource ? resource : "";
}

int FrameRenderer::musicEnd(int fps) {
    auto* music = loaded.database ? static_cast<Music*>(loaded.database->music(TypeMusic)) : nullptr;
    const double frames = std::ceil(double(music ? music->length() : 0.0f) * fps - 1e-6);
    return frames >= double(INT_MAX) ? INT_MAX : std::max(0, static_cast<int>(frames));
}

int FrameRenderer::musicEndFrame(int fps, int first, std::string* error) {
    const int end = musicEnd(fps);
    if (first < end) return end;
    *error = "nothing to render: " + std::to_string(double(first) / fps) + " s is past the end of the music; give --to";
    return -1;
}

bool FrameRenderer::endsAtFrame(int n, int fps) {
    return !render(static_cast<float>((n + 0.5) / fps), 0.5f / static_cast<float>(fps));
}

void FrameRenderer::noteCutAtMusicEnd(int fps, const char* what) {
    const double end = double(musicEnd(fps)) / fps;
    if (render(static_cast<float>(end), 1.0f / static_cast<float>(fps)))
        std::fprintf(stderr, "zodrender: the production goes on after its music ends at %.2f s, where the player's "
                             "picture stands still; the %s stops there (--to renders further)\n", end, what);
}

ResourceData FrameRenderer::musicBytes() const {
    std::string ignored;  // the music has loaded already: its bytes are there
    return loadResource(musicResource().c_str(), loaded.folder.get(), &ignored);
}
