#include "platform/d3dx/d3dx9.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void expectMatrix(const D3DXMATRIX& m, const float (&expected)[4][4]) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(m(r, c), expected[r][c], 1e-6f) << "row " << r << ", column " << c;
}

D3DXVECTOR3 apply(const D3DXMATRIX& m, const D3DXVECTOR3& v) {  // row vector, w = 1
    return {v.x * m(0, 0) + v.y * m(1, 0) + v.z * m(2, 0) + m(3, 0), v.x * m(0, 1) + v.y * m(1, 1) + v.z * m(2, 1) + m(3, 1),
            v.x * m(0, 2) + v.y * m(1, 2) + v.z * m(2, 2) + m(3, 2)};
}

}  // namespace

TEST(Matrix, RotationsFollowTheRowLayouts) {
    const float c = std::cos(0.5f), s = std::sin(0.5f);
    D3DXMATRIX m;
    expectMatrix(*D3DXMatrixRotationX(&m, 0.5f), {{1, 0, 0, 0}, {0, c, s, 0}, {0, -s, c, 0}, {0, 0, 0, 1}});
    expectMatrix(*D3DXMatrixRotationY(&m, 0.5f), {{c, 0, -s, 0}, {0, 1, 0, 0}, {s, 0, c, 0}, {0, 0, 0, 1}});
    expectMatrix(*D3DXMatrixRotationZ(&m, 0.5f), {{c, s, 0, 0}, {-s, c, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}});
    // A quarter turn about z takes x to y (left-handed, row vectors).
    D3DXVECTOR3 turned = apply(*D3DXMatrixRotationZ(&m, float(M_PI / 2)), {1, 0, 0});
    EXPECT_NEAR(turned.x, 0, 1e-6);
    EXPECT_NEAR(turned.y, 1, 1e-6);
}

TEST(Matrix, TranslationIdentityAndProductOrder) {
    D3DXMATRIX t, r, product, identity;
    expectMatrix(*D3DXMatrixTranslation(&t, 1, 2, 3), {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {1, 2, 3, 1}});
    expectMatrix(*D3DXMatrixIdentity(&identity), {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}});
    D3DXMatrixRotationZ(&r, float(M_PI / 2));
    // R then T: (1, 0, 0) turns to (0, 1, 0) and then moves to (1, 3, 3).
    D3DXVECTOR3 p = apply(*D3DXMatrixMultiply(&product, &r, &t), {1, 0, 0});
    EXPECT_NEAR(p.x, 1, 1e-6);
    EXPECT_NEAR(p.y, 3, 1e-6);
    EXPECT_NEAR(p.z, 3, 1e-6);
    // T then R: (1, 0, 0) moves to (2, 2, 3) and turns to (-2, 2, 3).
    p = apply(*D3DXMatrixMultiply(&product, &t, &r), {1, 0, 0});
    EXPECT_NEAR(p.x, -2, 1e-6);
    EXPECT_NEAR(p.y, 2, 1e-6);
    // The output may be one of the inputs.
    D3DXMatrixMultiply(&t, &t, &r);
    expectMatrix(t, {{0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 0}, {-2, 1, 3, 1}});
}

TEST(Matrix, LookAtMapsEyeToOriginAndTargetAlongZ) {
    D3DXMATRIX view;
    D3DXVECTOR3 eye(0, 0, -5), at(0, 0, 0), up(0, 1, 0);
    // Looking along +z from z = -5: the view is a plain translation by +5 in z.
    expectMatrix(*D3DXMatrixLookAtLH(&view, &eye, &at, &up), {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 5, 1}});

    // From (10, 0, 0) towards the origin: x axis = up x z = (0, 0, 1), y = z x x = (0, 1, 0), z = (-1, 0, 0).
    eye = D3DXVECTOR3(10, 0, 0);
    expectMatrix(*D3DXMatrixLookAtLH(&view, &eye, &at, &up), {{0, 0, -1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 10, 1}});
    D3DXVECTOR3 origin = apply(view, at);
    EXPECT_NEAR(origin.z, 10, 1e-5);
    D3DXVECTOR3 self = apply(view, eye);
    EXPECT_NEAR(self.x, 0, 1e-5);
    EXPECT_NEAR(self.y, 0, 1e-5);
    EXPECT_NEAR(self.z, 0, 1e-5);

    // An oblique eye: the target lies straight ahead at the eye's distance, with a unit basis.
    eye = D3DXVECTOR3(3, 4, -12);
    D3DXVECTOR3 target(1, 1, 1), tilted(0.1f, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &target, &tilted);
    D3DXVECTOR3 ahead = apply(view, target);
    float distance = std::sqrt(4.0f + 9.0f + 169.0f);
    EXPECT_NEAR(ahead.x, 0, 1e-4);
    EXPECT_NEAR(ahead.y, 0, 1e-4);
    EXPECT_NEAR(ahead.z, distance, 1e-4);
    for (int column = 0; column < 3; ++column) {
        float length = std::sqrt(view(0, column) * view(0, column) + view(1, column) * view(1, column) + view(2, column) * view(2, column));
        EXPECT_NEAR(length, 1, 1e-5);
    }
}
