#pragma once
#include <gtest/gtest.h>

#include "platform/backend.h"
#include "platform/record/record_device.h"
#include "platform/record/recording_backend.h"
#include "render/device.h"

// Runs a test against the recording backend with the process-wide device
// created by CDevice::Create (800 x 600, windowed). At the end the globals
// are released and every recorded object must be gone.
class RecordedDeviceTest : public ::testing::Test {
 protected:
  static HWND Window() { return reinterpret_cast<HWND>(uintptr_t{0x5150}); }

  void SetUp() override {
    ReleaseDeviceGlobals();
    ASSERT_EQ(device.Create(800, 600, true, Window()), 1);
    ASSERT_NE(AsRecordDevice(g_device), nullptr);
  }
  void TearDown() override {
    ReleaseDeviceGlobals();
    EXPECT_EQ(rec().LiveTotal(), 0) << "objects left alive after the test";
  }

  Recorder& rec() { return backend.recorder(); }
  RecordDevice& recorded() { return *AsRecordDevice(g_device); }
  const CallLog& log() { return rec().Log(); }

  RecordingBackend backend;
  ScopedGraphicsBackend scope{backend};
  CDevice device;
};
