#include "database/TypeRegistry.h"

#include "clock/Music.h"
#include "database/FloatObject.h"
#include "models/ModelAirship.h"
#include "models/ModelArrow.h"
#include "models/ModelBoing.h"
#include "models/ModelCloud.h"
#include "models/ModelGroup.h"
#include "models/ModelHat.h"
#include "models/ModelIsland.h"
#include "models/ModelOptimus.h"
#include "models/ModelQuad.h"
#include "models/ModelSea.h"
#include "models/ModelSky.h"
#include "models/ModelStars.h"
#include "models/ModelSwish.h"
#include "models/ModelTeapot.h"
#include "models/ModelX.h"
#include "paths/PathSpline.h"
#include "textures/TextureArt.h"
#include "textures/TextureCloud.h"
#include "textures/TextureFile.h"
#include "textures/TextureTarget.h"
#include "visuals/VisualGroup.h"
#include "visuals/VisualOverlay.h"
#include "visuals/VisualScene.h"

#include <new>

namespace {

struct KeywordRow {
    ObjectType type;
    std::string_view keyword;
};

// Indexed by ObjectType; the lookup bisects it, so it must stay in byte order.
constexpr KeywordRow typeKeywords[] = {
    {TypeObject, "object"},
    {TypeFloat, "float"},
    {TypeModel, "model"},
    {TypeModelAirship, "model.airship"},
    {TypeModelArrow, "model.arrow"},
    {TypeModelBoing, "model.boing"},
    {TypeModelCloud, "model.cloud"},
    {TypeModelGroup, "model.group"},
    {TypeModelHat, "model.hat"},
    {TypeModelIsland, "model.island"},
    {TypeModelOptimus, "model.optimus"},
    {TypeModelQuad, "model.quad"},
    {TypeModelSea, "model.sea"},
    {TypeModelSky, "model.sky"},
    {TypeModelStars, "model.stars"},
    {TypeModelSwish, "model.swish"},
    {TypeModelTeapot, "model.teapot"},
    {TypeModelX, "model.x"},
    {TypeMusic, "music"},
    {TypePath, "path"},
    {TypePathSpline, "path.spline"},
    {TypeTexture, "texture"},
    {TypeTextureArt, "texture.art"},
    {TypeTextureCloud, "texture.cloud"},
    {TypeTextureFile, "texture.file"},
    {TypeTextureTarget, "texture.target"},
    {TypeVisual, "visual"},
    {TypeVisualGroup, "visual.group"},
    {TypeVisualOverlay, "visual.overlay"},
    {TypeVisualScene, "visual.scene"},
};
static_assert(std::size(typeKeywords) == ObjectTypeCount, "one keyword per ObjectType");

// Unsigned bytes; a prefix sorts before the longer string ("model" < "model.airship").
constexpr int compareBytes(std::string_view a, std::string_view b) {
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[i]);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

constexpr ObjectType bisect(std::string_view wanted) {
    int lo = 0;
    int hi = ObjectTypeCount;
    while (lo < hi) {
        int mid = lo + (hi - lo) / 2;
        int order = compareBytes(typeKeywords[mid].keyword, wanted);
        if (order < 0) {
            lo = mid + 1;
        } else if (order > 0) {
            hi = mid;
        } else {
            return typeKeywords[mid].type;
        }
    }
    return TypeNone;
}

// "object", the root of every family, heads the table out of byte order; the bisection never
// reaches it, which costs nothing because no element may create an abstract type. Every other
// row must be in order, and every other keyword must be found at its own index.
constexpr bool rowsInOrder() {
    for (int i = 0; i < ObjectTypeCount; ++i) {
        if (typeKeywords[i].type != i) return false;
        if (i > 1 && compareBytes(typeKeywords[i - 1].keyword, typeKeywords[i].keyword) >= 0) return false;
        if (i > 0 && bisect(typeKeywords[i].keyword) != i) return false;
    }
    return true;
}
static_assert(rowsInOrder(), "keywords must be indexed by ObjectType, sorted in byte order and found");

template <class T>
std::unique_ptr<Object> make(Database* database) {
    return std::unique_ptr<Object>(new (std::nothrow) T(database));
}

}  // namespace

ObjectType typeFromKeyword(const char* tag) {
    return tag ? bisect(tag) : TypeNone;
}

const char* keywordOf(ObjectType type) {
    if (type < 0 || type >= ObjectTypeCount) return nullptr;
    return typeKeywords[type].keyword.data();  // the literals are NUL-terminated
}

std::unique_ptr<Object> createObject(ObjectType type, Database* database) {
    switch (type) {
    case TypeFloat: return make<FloatObject>(database);
    case TypeModelAirship: return make<ModelAirship>(database);
    case TypeModelArrow: return make<ModelArrow>(database);
    case TypeModelBoing: return make<ModelBoing>(database);
    case TypeModelCloud: return make<ModelCloud>(database);
    case TypeModelGroup: return make<ModelGroup>(database);
    case TypeModelHat: return make<ModelHat>(database);
    case TypeModelIsland: return make<ModelIsland>(database);
    case TypeModelOptimus: return make<ModelOptimus>(database);
    case TypeModelQuad: return make<ModelQuad>(database);
    case TypeModelSea: return make<ModelSea>(database);
    case TypeModelSky: return make<ModelSky>(database);
    case TypeModelStars: return make<ModelStars>(database);
    case TypeModelSwish: return make<ModelSwish>(database);
    case TypeModelTeapot: return make<ModelTeapot>(database);
    case TypeModelX: return make<ModelX>(database);
    case TypeMusic: return make<Music>(database);
    case TypePathSpline: return make<PathSpline>(database);
    case TypeTextureArt: return make<TextureArt>(database);
    case TypeTextureCloud: return make<TextureCloud>(database);
    case TypeTextureFile: return make<TextureFile>(database);
    case TypeTextureTarget: return make<TextureTarget>(database);
    case TypeVisualGroup: return make<VisualGroup>(database);
    case TypeVisualOverlay: return make<VisualOverlay>(database);
    case TypeVisualScene: return make<VisualScene>(database);
    default: return nullptr;  // abstract families and values outside the table
    }
}
