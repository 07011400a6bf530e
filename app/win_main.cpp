#include "app/win_main.h"

#include "app/device.h"
#include "app/effect_prefetch.h"
#include "app/run.h"
#include "app/window.h"
#include "base/dirs.h"
#include "base/log.h"
#include "platform/win/display.h"
#include "render/font.h"

namespace {

constexpr char kWindowTitle[] = "saját modell formátum kis bumpmappel (Zorvan) 2007";
constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr COLORREF kBackground = 0;

// The device and the Direct3D object, released once everything made with
// them is gone.
void ShutDownDevice() {
  // The font's glyph texture lives for the whole process; it is a device
  // resource, so it goes before the device does.
  Font::Unload();
  ReleaseDeviceGlobals();
}

// The window and the device exist; runs the viewer. 1 after a normal run.
int RunViewer(CWindow& window) {
  CDevice device;
  if (device.Create(kWidth, kHeight, true, window.GetHwnd()) == 0) {
    log_text("No Direct3D device, sorry!!");
    MessageBoxA(nullptr, "Direct3D9 indítása sikertelen!!", "vége - HIBA!", MB_OK);
    return 0;
  }
  CRun run;
  run.MainLoop();
  log_text("app ends.");
  return 1;
}

// The folders are known; creates the window and runs the viewer in it.
int RunInWindow() {
  CWindow window;
  int result = 0;
  // Without a display the window could only run unseen: that is no window.
  const bool display = platform_display_available();
  if (display) PrefetchEffects(StartFolderEffects());
  if (!display || !window.Create(kWindowTitle, true, kWidth, kHeight, kBackground)) {
    log_text("No window for me, sorry!!");
    MessageBoxA(nullptr, "Nincs ablak!!", "vége - HIBA", MB_OK);
  } else {
    result = RunViewer(window);
  }
  ShutDownDevice();
  return result;
}

}  // namespace

int WinMain(HINSTANCE /*instance*/, HINSTANCE /*previousInstance*/, LPSTR /*commandLine*/,
            int /*showCommand*/) {
  log_init();
  log_enable(true);
  CDirs dirs;
  if (dirs.Call_1_START() == 0) {
    log_text("--- fatal error --\n ??path is too long??");
    return 0;
  }
  return RunInWindow();
}
