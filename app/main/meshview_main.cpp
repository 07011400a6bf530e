// The meshview executable: the viewer's entry with no arguments of its own.
#include "app/win_main.h"

int main() { return WinMain(nullptr, nullptr, nullptr, SW_SHOWNORMAL); }
