#pragma once
#include <cstdint>

#include "platform/d3d9.h"

// The process-wide Direct3D object and device with the back-buffer size.
// They live here, below the model and application layers, because the GPU
// resource wrappers and the model renderer use the one device directly.
extern IDirect3D9* g_d3d;          // null when none
extern IDirect3DDevice9* g_device;  // null when none
extern int32_t g_screenWidth;       // of the last successful CDevice::Create; 0 otherwise
extern int32_t g_screenHeight;

// Releases the Direct3D object, then the device, clears both pointers and
// resets the size to 0 (shutdown, and before a device is created again).
void ReleaseDeviceGlobals();
