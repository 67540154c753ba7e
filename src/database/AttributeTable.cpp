#include "database/AttributeTable.h"

namespace {

using K = AttributeKind;

AttributeInfo number(const char* name) { return {name, K::Number}; }
AttributeInfo time(const char* name, bool required) { return {name, K::Time, TypeObject, required}; }
AttributeInfo reference(const char* name, ObjectType family, bool required) { return {name, K::Reference, family, required}; }
AttributeInfo resource(const char* name, ResourceKind kind) { return {name, K::Resource, TypeObject, true, kind}; }

}  // namespace

std::vector<AttributeInfo> attributesOf(ObjectType type) {
    switch (type) {
    case TypeMusic: return {resource("resource", ResourceKind::Music), number("tempo")};
    case TypeFloat: return {number("value"), number("step")};
    case TypePathSpline: return {number("scale"), reference("preview", TypeObject, false)};
    case TypeVisualOverlay:
        return {time("start", true), time("stop", true), reference("texture", TypeTexture, true), number("t1"), number("t2"),
                number("u0"), number("v0"), number("u1"), number("v1"), {"position", K::Numbers}, number("alpha")};
    case TypeVisualScene:
        return {reference("model", TypeModel, true), reference("camera", TypePath, true), number("near"), number("far"),
                number("aspect"), {"light", K::Flag}};
    case TypeModelGroup: return {number("size")};
    case TypeModelX: return {resource("resource", ResourceKind::Mesh)};
    case TypeModelQuad:
        return {reference("texture", TypeTexture, false), number("u0"), number("v0"), number("u1"), number("v1")};
    case TypeModelIsland:
    case TypeModelSea:
    case TypeModelOptimus: return {reference("texture", TypeTexture, false)};
    case TypeModelCloud:
    case TypeModelStars: return {reference("texture", TypeTexture, false), number("scale1"), number("scale2")};
    case TypeModelTeapot: return {reference("texture", TypeTexture, true)};
    case TypeModelBoing:
    case TypeModelHat: return {reference("model", TypeModel, true)};
    case TypeModelArrow:
        return {reference("path", TypePath, true), {"color", K::Colour}, number("scale1"), number("scale2")};
    case TypeTextureFile: return {resource("resource", ResourceKind::Picture), {"hard", K::Flag}};
    case TypeTextureTarget: return {reference("visual", TypeVisual, true), {"color", K::Colour}, number("size")};
    case TypeTextureCloud: return {number("seed")};
    default: return {};
    }
}

std::vector<AttributeInfo> itemAttributesOf(ObjectType type) {
    switch (type) {
    case TypeVisualGroup: return {reference("visual", TypeVisual, true)};
    case TypeModelGroup: return {reference("model", TypeModel, true), reference("path", TypePath, true)};
    default: return {};
    }
}
