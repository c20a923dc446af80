// Sumwick.exe: takes no arguments; runs until Exit or the main window's close box.
#include <windows.h>

#include "app/program.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return RunProgram(); }
