#pragma once

// Substitutes that tests install to reach the backend's other paths.

// While set, devices made afterwards behave as if the GL driver lacked
// clip control: shaders flip y and remap depth themselves.
void gl_hook_disable_clip_control(bool disable);
bool gl_hook_clip_control_disabled();
