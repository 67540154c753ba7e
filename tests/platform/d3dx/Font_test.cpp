#include "platform/d3dx/d3dx9.h"

#include "support/TestDevice.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const char listText[] = "Some Long Object Name";

ComRef<ID3DXFont> labelFont(IDirect3DDevice9* device, INT height = -11) {
    ComRef<ID3DXFont> font;
    EXPECT_EQ(D3DXCreateFontA(device, height, 0, FW_NORMAL, 0, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              ANTIALIASED_QUALITY, DEFAULT_PITCH | 0x30, "Verdana", &font),
              D3D_OK);
    return font;
}

RECT measure(ID3DXFont* font, const char* text) {
    RECT rect{0, 0, 0, 0};
    font->DrawTextA(nullptr, text, -1, &rect, DT_LEFT | DT_SINGLELINE | DT_CALCRECT, 0xff000000);
    return rect;
}

struct Box {
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1, count = 0;
};

// The bounding box of the pixels whose channel at `shift` differs from the background.
Box litPixels(TestDevice& device, DWORD background, int shift = 16) {
    Box box;
    std::vector<DWORD> pixels = device.readback();
    for (int y = 0; y < device.height(); ++y)
        for (int x = 0; x < device.width(); ++x) {
            DWORD p = pixels[std::size_t(y) * device.width() + x];
            if (((p >> shift) & 0xff) == ((background >> shift) & 0xff)) continue;
            box.left = std::min(box.left, x), box.top = std::min(box.top, y);
            box.right = std::max(box.right, x + 1), box.bottom = std::max(box.bottom, y + 1);
            ++box.count;
        }
    return box;
}

void clear(TestDevice& device, DWORD color) { device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, color, 1.0f, 0); }

}  // namespace

TEST(Font, MeasuresTheListTextTheSameEveryTime) {
    TestDevice device;
    ComRef<ID3DXFont> font = labelFont(device.get());
    ASSERT_TRUE(font);
    RECT first = measure(font.get(), listText);
    RECT again = measure(labelFont(device.get()).get(), listText);
    EXPECT_EQ(first.right, again.right);
    EXPECT_EQ(first.bottom, again.bottom);
    EXPECT_GT(first.right, 100);
    RECT offset{5, 7, 5, 7};
    INT height = font->DrawTextA(nullptr, listText, -1, &offset, DT_SINGLELINE | DT_CALCRECT, 0);
    EXPECT_EQ(offset.right - offset.left, first.right);
    EXPECT_EQ(offset.bottom - offset.top, height);
    // A count limits the text; a longer text is wider.
    RECT part{0, 0, 0, 0};
    font->DrawTextA(nullptr, listText, 4, &part, DT_CALCRECT, 0);
    EXPECT_EQ(part.right, measure(font.get(), "Some").right);
    EXPECT_LT(part.right, first.right);
    EXPECT_EQ(font->PreloadCharacters(32, 122), D3D_OK);
    EXPECT_EQ(font->DrawTextA(nullptr, nullptr, -1, &part, 0, 0), 0);
}

TEST(Font, DrawnGlyphsLandInsideTheMeasuredRectangle) {
    TestDevice device(200, 40);
    ComRef<ID3DXFont> font = labelFont(device.get());
    RECT rect = measure(font.get(), listText);
    RECT placed{20, 10, 20 + rect.right, 10 + rect.bottom};
    clear(device, 0xff000000);
    device->BeginScene();
    EXPECT_GT(font->DrawTextA(nullptr, listText, -1, &placed, DT_LEFT | DT_VCENTER | DT_SINGLELINE, 0xffffffff), 0);
    device->EndScene();
    Box box = litPixels(device, 0xff000000);
    EXPECT_GT(box.count, 100);
    EXPECT_GE(box.left, placed.left);
    EXPECT_GE(box.top, placed.top);
    EXPECT_LE(box.right, placed.right);
    EXPECT_LE(box.bottom, placed.bottom);
    // The text spans nearly the whole measured width.
    EXPECT_LE(box.left, placed.left + 2);
    EXPECT_GE(box.right, placed.right - 3);
}

TEST(Font, ColourAndAlphaBlendOverTheBackground) {
    TestDevice device(64, 32);
    ComRef<ID3DXFont> font = labelFont(device.get(), -24);
    RECT rect{0, 0, 64, 32};
    clear(device, 0xff0000ff);
    device->BeginScene();
    font->DrawTextA(nullptr, "MM", -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE, 0x80ff0000);
    device->EndScene();
    // Where a glyph covers its pixel fully, half red lies over the blue: both near 128.
    int full = 0;
    for (DWORD p : device.readback()) {
        int red = int(p >> 16 & 0xff), blue = int(p & 0xff);
        EXPECT_LE(red, 130);
        if (red >= 126) {
            ++full;
            EXPECT_NEAR(blue, 127, 3);
        }
        EXPECT_EQ(red + blue >= 253 && red + blue <= 257, true) << std::hex << p;  // coverage splits the two
    }
    EXPECT_GT(full, 20);
}

TEST(Font, CentresAndClipsToTheRectangle) {
    TestDevice device(200, 40);
    ComRef<ID3DXFont> font = labelFont(device.get());
    RECT size = measure(font.get(), "Centre");
    RECT wide{0, 0, 200, 40};
    clear(device, 0xff000000);
    device->BeginScene();
    font->DrawTextA(nullptr, "Centre", -1, &wide, DT_CENTER | DT_VCENTER | DT_SINGLELINE, 0xffffffff);
    device->EndScene();
    Box box = litPixels(device, 0xff000000);
    EXPECT_NEAR((box.left + box.right) / 2.0, 100.0, 2.0);
    EXPECT_NEAR((box.top + box.bottom) / 2.0, 20.0, 3.0);
    EXPECT_LE(box.right - box.left, size.right);

    RECT narrow{10, 10, 40, 30};
    clear(device, 0xff000000);
    device->BeginScene();
    font->DrawTextA(nullptr, listText, -1, &narrow, DT_LEFT | DT_VCENTER | DT_SINGLELINE, 0xffffffff);
    device->EndScene();
    box = litPixels(device, 0xff000000);
    EXPECT_GT(box.count, 10);
    EXPECT_GE(box.left, 10);
    EXPECT_LE(box.right, 40);
    EXPECT_GE(box.top, 10);
    EXPECT_LE(box.bottom, 30);
}

TEST(Font, SetsItsOwnStatesWhenDrawnWithoutASprite) {
    TestDevice device(200, 40);
    ComRef<ID3DXFont> font = labelFont(device.get());
    RECT rect{0, 0, 200, 40};
    clear(device, 0xff000000);
    device->BeginScene();
    // States a previous drawer might have left behind.
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_NEVER);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAREF, 255);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACENORMAL);
    font->DrawTextA(nullptr, listText, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE, 0xffffffff);
    device->EndScene();
    EXPECT_GT(litPixels(device, 0xff000000).count, 100);
}

TEST(Font, TextLongerThanOneDrawStillDrawsEveryGlyph) {
    TestDevice device(1024, 16);
    ComRef<ID3DXFont> font = labelFont(device.get());
    std::string text;
    for (int i = 0; i < 150; ++i) text += "il";  // 300 glyphs, more than one draw holds
    RECT size = measure(font.get(), text.c_str());
    ASSERT_LT(size.right, 1024);
    RECT rect{0, 0, 1024, 16};
    clear(device, 0xff000000);
    device->BeginScene();
    font->DrawTextA(nullptr, text.c_str(), -1, &rect, DT_LEFT | DT_VCENTER | DT_SINGLELINE, 0xffffffff);
    device->EndScene();
    Box box = litPixels(device, 0xff000000);
    EXPECT_LE(box.left, 2);
    EXPECT_GE(box.right, size.right - 3);
    EXPECT_LE(box.right, size.right);
}

TEST(Sprite, BatchesTextUntilEnd) {
    TestDevice device(200, 60);
    ComRef<ID3DXFont> small = labelFont(device.get());
    ComRef<ID3DXFont> large = labelFont(device.get(), -20);
    ComRef<ID3DXSprite> sprite;
    ASSERT_EQ(D3DXCreateSprite(device.get(), &sprite), D3D_OK);
    EXPECT_EQ(sprite->End(), D3DERR_INVALIDCALL);
    clear(device, 0xff000000);
    device->BeginScene();
    ASSERT_EQ(sprite->Begin(D3DXSPRITE_ALPHABLEND | D3DXSPRITE_SORT_TEXTURE), D3D_OK);
    EXPECT_EQ(sprite->Begin(D3DXSPRITE_ALPHABLEND), D3DERR_INVALIDCALL);
    RECT top{0, 0, 200, 20}, bottom{0, 25, 200, 60};
    small->DrawTextA(sprite.get(), "first row", -1, &top, DT_LEFT | DT_VCENTER | DT_SINGLELINE, 0xff009030);
    large->DrawTextA(sprite.get(), "second row", -1, &bottom, DT_LEFT | DT_VCENTER | DT_SINGLELINE, 0xff00ff00);
    small->DrawTextA(sprite.get(), "third", -1, &bottom, DT_RIGHT | DT_VCENTER | DT_SINGLELINE, 0xffff0000);
    EXPECT_EQ(litPixels(device, 0xff000000, 8).count, 0);  // nothing drawn before End
    ASSERT_EQ(sprite->End(), D3D_OK);
    device->EndScene();
    Box green = litPixels(device, 0xff000000, 8);
    EXPECT_GT(green.count, 100);
    EXPECT_LT(green.top, 20);   // the first row
    EXPECT_GT(green.bottom, 30); // the second row
    Box red = litPixels(device, 0xff000000, 16);
    EXPECT_GT(red.left, 150);   // "third", right-aligned, in its own colour
}

TEST(Sprite, ManyGlyphsOverflowIntoEarlyDrawsWithoutLoss) {
    TestDevice device(256, 256);
    ComRef<ID3DXFont> font = labelFont(device.get());
    ComRef<ID3DXSprite> sprite;
    ASSERT_EQ(D3DXCreateSprite(device.get(), &sprite), D3D_OK);
    clear(device, 0xff000000);
    device->BeginScene();
    sprite->Begin(D3DXSPRITE_ALPHABLEND);
    for (int row = 0; row < 18; ++row) {  // about 1,500 glyphs, more than one batch holds
        RECT rect{0, row * 14, 256, row * 14 + 14};
        font->DrawTextA(sprite.get(), "MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM",
                        -1, &rect, DT_LEFT | DT_VCENTER | DT_SINGLELINE, 0xffffffff);
    }
    sprite->End();
    device->EndScene();
    Box box = litPixels(device, 0xff000000);
    EXPECT_LT(box.top, 4);
    EXPECT_GT(box.bottom, 17 * 14 + 6);  // the last row is there too
    EXPECT_GT(box.right, 250);
}

TEST(Font, TextLeavesTheStatesOfLaterDrawingAsItFoundThem) {
    TestDevice t(64, 32);
    ComRef<ID3DXFont> font = labelFont(t.get());
    t->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);  // a tiled texture drawn after the text
    t->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    RECT rect{0, 0, 64, 32};
    t->BeginScene();
    font->DrawTextA(nullptr, "Ab", -1, &rect, DT_LEFT | DT_SINGLELINE, 0xffffffff);
    t->EndScene();
    DWORD address = 0, depth = 0;
    t->GetSamplerState(0, D3DSAMP_ADDRESSU, &address);
    t->GetRenderState(D3DRS_ZENABLE, &depth);
    EXPECT_EQ(address, DWORD(D3DTADDRESS_WRAP));
    EXPECT_EQ(depth, DWORD(D3DZB_TRUE));
}
