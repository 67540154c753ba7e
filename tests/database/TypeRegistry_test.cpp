#include "database/TypeRegistry.h"

#include "clock/Music.h"
#include "database/Database.h"
#include "database/FloatObject.h"
#include "models/Model.h"
#include "models/ModelX.h"
#include "paths/Path.h"
#include "textures/Texture.h"
#include "visuals/Visual.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* const keywords[ObjectTypeCount] = {
    "object", "float", "model", "model.airship", "model.arrow", "model.boing", "model.cloud",
    "model.group", "model.hat", "model.island", "model.optimus", "model.quad", "model.sea",
    "model.sky", "model.stars", "model.swish", "model.teapot", "model.x", "music", "path",
    "path.spline", "texture", "texture.art", "texture.cloud", "texture.file", "texture.target",
    "visual", "visual.group", "visual.overlay", "visual.scene",
};

bool isAbstract(int type) {
    return type == TypeObject || type == TypeModel || type == TypePath || type == TypeTexture ||
           type == TypeVisual;
}

ObjectType familyOf(int type) {
    if (type == TypeFloat || type == TypeMusic) return static_cast<ObjectType>(type);
    if (type < TypeMusic) return TypeModel;
    if (type < TypeTexture) return TypePath;
    if (type < TypeVisual) return TypeTexture;
    return TypeVisual;
}

}  // namespace

TEST(TypeRegistry, EveryKeywordFindsItsOwnType) {
    for (int type = 1; type < ObjectTypeCount; ++type) {
        EXPECT_EQ(typeFromKeyword(keywords[type]), type) << keywords[type];
        EXPECT_STREQ(keywordOf(static_cast<ObjectType>(type)), keywords[type]);
    }
    EXPECT_EQ(typeFromKeyword("model"), TypeModel);
    EXPECT_EQ(typeFromKeyword("model.airship"), TypeModelAirship);
}

TEST(TypeRegistry, NearMissesAreNoKeyword) {
    for (int type = 1; type < ObjectTypeCount; ++type) {
        std::string word = keywords[type];
        EXPECT_EQ(typeFromKeyword((word + "s").c_str()), TypeNone) << word;
        EXPECT_NE(typeFromKeyword(word.substr(0, word.size() - 1).c_str()), type) << word;
        std::string capital = word;
        capital[0] = static_cast<char>(capital[0] - 'a' + 'A');
        EXPECT_EQ(typeFromKeyword(capital.c_str()), TypeNone) << capital;
    }
    EXPECT_EQ(typeFromKeyword(""), TypeNone);
    EXPECT_EQ(typeFromKeyword(nullptr), TypeNone);
    EXPECT_EQ(typeFromKeyword("model."), TypeNone);
    EXPECT_EQ(typeFromKeyword("Model.X"), TypeNone);
    EXPECT_EQ(typeFromKeyword("zzz"), TypeNone);
    EXPECT_EQ(typeFromKeyword("\xff"), TypeNone);  // compared as unsigned bytes
    EXPECT_EQ(keywordOf(TypeNone), nullptr);
    EXPECT_EQ(keywordOf(ObjectTypeCount), nullptr);
}

TEST(TypeRegistry, FactoryCreatesEveryConcreteClassAndNothingForAbstractTypes) {
    Database database;
    for (int type = 0; type < ObjectTypeCount; ++type) {
        std::unique_ptr<Object> object = createObject(static_cast<ObjectType>(type), &database);
        if (isAbstract(type)) {
            EXPECT_EQ(object, nullptr) << keywords[type];
            continue;
        }
        ASSERT_NE(object, nullptr) << keywords[type];
        EXPECT_EQ(object->database, &database);
        // castTo answers for "object", the family and the own type only.
        for (int asked = 0; asked < ObjectTypeCount; ++asked) {
            bool expected = asked == TypeObject || asked == familyOf(type) || asked == type;
            EXPECT_EQ(object->castTo(static_cast<ObjectType>(asked)) == object.get(), expected)
                << keywords[type] << " as " << keywords[asked];
            if (!expected) {
                EXPECT_EQ(object->castTo(static_cast<ObjectType>(asked)), nullptr);
            }
        }
    }
    EXPECT_EQ(createObject(TypeNone, &database), nullptr);
    EXPECT_EQ(createObject(ObjectTypeCount, &database), nullptr);
    EXPECT_EQ(createObject(static_cast<ObjectType>(1000), &database), nullptr);
}

TEST(TypeRegistry, ConcreteClassesBelongToTheirFamilies) {
    Database database;
    auto music = createObject(TypeMusic, &database);
    EXPECT_NE(dynamic_cast<Music*>(music.get()), nullptr);
    auto number = createObject(TypeFloat, &database);
    EXPECT_NE(dynamic_cast<FloatObject*>(number.get()), nullptr);
    auto mesh = createObject(TypeModelX, &database);
    EXPECT_NE(dynamic_cast<ModelX*>(mesh.get()), nullptr);
    EXPECT_EQ(mesh->castTo(TypeTexture), nullptr);
    EXPECT_EQ(mesh->castTo(TypeVisual), nullptr);
    for (int type = TypeModelAirship; type <= TypeModelX; ++type)
        EXPECT_NE(dynamic_cast<Model*>(createObject(static_cast<ObjectType>(type), &database).get()), nullptr);
    EXPECT_NE(dynamic_cast<Path*>(createObject(TypePathSpline, &database).get()), nullptr);
    for (int type = TypeTextureArt; type <= TypeTextureTarget; ++type)
        EXPECT_NE(dynamic_cast<Texture*>(createObject(static_cast<ObjectType>(type), &database).get()), nullptr);
    for (int type = TypeVisualGroup; type <= TypeVisualScene; ++type)
        EXPECT_NE(dynamic_cast<Visual*>(createObject(static_cast<ObjectType>(type), &database).get()), nullptr);
}
