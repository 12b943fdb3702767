// EmptyProcess.cpp - a process that starts and ends: the start-up benchmark's measure of what
// creating a process costs at all.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return 0;
}
