#pragma once
#include <string>

#include "platform/d3d9_call.h"
#include "platform/record/recorder.h"

// Logs `call` as `op` on `object`, answers with the failure plan's result
// where it names the call, and otherwise runs `body`, logging the data the
// call hands back when it succeeds.
HRESULT RunRecorded(Recorder& recorder, const void* object, std::string op, const D3D9Call& call,
                    D3D9CallBody body);
