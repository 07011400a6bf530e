#pragma once
// The device utilities live in render/ because the model renderer draws
// through them; the application reaches them under its own name.
#include "render/device.h"
