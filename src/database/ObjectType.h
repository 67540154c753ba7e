// ObjectType: the index into the 30 type keywords, sorted in byte order (the lookup bisects them).
// 0, 2, 19, 21 and 26 are the abstract families; the factory creates nothing for them.
#pragma once

enum ObjectType : int {
    TypeObject = 0,
    TypeFloat = 1,
    TypeModel = 2,
    TypeModelAirship = 3,
    TypeModelArrow = 4,
    TypeModelBoing = 5,
    TypeModelCloud = 6,
    TypeModelGroup = 7,
    TypeModelHat = 8,
    TypeModelIsland = 9,
    TypeModelOptimus = 10,
    TypeModelQuad = 11,
    TypeModelSea = 12,
    TypeModelSky = 13,
    TypeModelStars = 14,
    TypeModelSwish = 15,
    TypeModelTeapot = 16,
    TypeModelX = 17,
    TypeMusic = 18,
    TypePath = 19,
    TypePathSpline = 20,
    TypeTexture = 21,
    TypeTextureArt = 22,
    TypeTextureCloud = 23,
    TypeTextureFile = 24,
    TypeTextureTarget = 25,
    TypeVisual = 26,
    TypeVisualGroup = 27,
    TypeVisualOverlay = 28,
    TypeVisualScene = 29,
    ObjectTypeCount = 30,
    TypeNone = -1,  // what typeFromKeyword answers for a tag that is no keyword
};
