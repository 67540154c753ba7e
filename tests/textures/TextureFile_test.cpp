// Picture textures from the executable's resources: size, filters and load failures; every
// texture's editor is its viewer.
#include "textures/TextureFile.h"

#include "support/TestDevice.h"
#include "support/TestDocument.h"
#include "textures/TexturePreview.h"

#include <gtest/gtest.h>

namespace {

DWORD samplerState(TestDevice& screen, D3DSAMPLERSTATETYPE type) {
    DWORD value = 0;
    screen->GetSamplerState(0, type, &value);
    return value;
}

const char* document =
    "<demo>"
    "<texture.file name=\"Soft\" resource=\"127-Checker.png\"/>"
    "<texture.file name=\"Hard\" resource=\"127-CHECKER.PNG\" hard=\"0\"/>"
    "<texture.file name=\"NoResource\"/>"
    "<texture.file name=\"Missing\" resource=\"Nothing.png\"/>"
    "<texture.file name=\"NotAPicture\" resource=\"DejaVuSans.ttf\"/>"
    "</demo>";

}  // namespace

TEST(TextureFile, SizeOfThePictureAndLoadFailures) {
    TestDevice screen(8, 8);
    TestDocument doc(document);
    TextureFile* soft = doc.find<TextureFile>("Soft", TypeTextureFile);
    ASSERT_NE(soft, nullptr);
    int w = 0, h = 0;
    soft->getSize(w, h);
    EXPECT_EQ(w, 16);
    EXPECT_EQ(h, 16);
    EXPECT_EQ(doc.find<TextureFile>("NoResource", TypeTexture), nullptr);
    EXPECT_EQ(doc.find<TextureFile>("Missing", TypeTexture), nullptr);
    EXPECT_EQ(doc.find<TextureFile>("NotAPicture", TypeTexture), nullptr);
}

TEST(TextureFile, HardMeansPointFilteringWhateverItsValue) {
    TestDevice screen(8, 8);
    TestDocument doc(document);
    TextureFile* soft = doc.find<TextureFile>("Soft", TypeTexture);
    TextureFile* hard = doc.find<TextureFile>("Hard", TypeTexture);
    ASSERT_NE(soft, nullptr);
    ASSERT_NE(hard, nullptr);

    ASSERT_TRUE(soft->select(0, 0.0f, 0.0f));
    EXPECT_EQ(samplerState(screen, D3DSAMP_MINFILTER), static_cast<DWORD>(D3DTEXF_LINEAR));
    EXPECT_EQ(samplerState(screen, D3DSAMP_MAGFILTER), static_cast<DWORD>(D3DTEXF_LINEAR));
    EXPECT_EQ(samplerState(screen, D3DSAMP_MIPFILTER), static_cast<DWORD>(D3DTEXF_LINEAR));

    screen->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    ASSERT_TRUE(hard->select(0, 0.0f, 0.0f));
    EXPECT_EQ(samplerState(screen, D3DSAMP_MINFILTER), static_cast<DWORD>(D3DTEXF_POINT));
    EXPECT_EQ(samplerState(screen, D3DSAMP_MAGFILTER), static_cast<DWORD>(D3DTEXF_POINT));
    EXPECT_EQ(samplerState(screen, D3DSAMP_MIPFILTER), static_cast<DWORD>(D3DTEXF_NONE));  // left alone
}

TEST(TextureFile, EditorIsOneViewerKeptForTheObjectsLife) {
    TestDevice screen(8, 8);
    TestDocument doc(document);
    TextureFile* soft = doc.find<TextureFile>("Soft", TypeTexture);
    ASSERT_NE(soft, nullptr);
    Widget* editor = soft->getEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_NE(dynamic_cast<TexturePreview*>(editor), nullptr);
    EXPECT_EQ(soft->getEditor(), editor);
}
