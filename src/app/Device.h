// The one Direct3D device of the process and its presentation parameters. The Display creates
// the device before any object loads and releases it at shutdown; everything that draws uses it.
#pragma once

#include "platform/d3d9/d3d9.h"

extern IDirect3DDevice9* device;                  // not owned here (the Display holds it); null before creation
extern D3DPRESENT_PARAMETERS presentParameters;  // back-buffer and depth formats of the device
