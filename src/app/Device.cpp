#include "app/Device.h"

IDirect3DDevice9* device = nullptr;
D3DPRESENT_PARAMETERS presentParameters;
