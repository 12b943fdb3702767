// Input.h - real input and message pumping for tests that drive windows as a user would.
//
// In this file:
//   MouseTo     moves the real cursor to a screen point, then the left-button events asked for
//   PressKeys   presses keys in order and releases them in reverse order (a chord)
//   PumpUntil   runs the message loop until a condition holds or time runs out
//
// Tests that use real input carry "// test-lock: input".
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>

namespace testsupport {

/// SendInput of an absolute move to p, then MOUSEEVENTF_LEFTDOWN and/or MOUSEEVENTF_LEFTUP when
/// named in buttons.
void MouseTo(POINT p, DWORD buttons = 0);

/// Key-down events of keys in order, then key-up events in reverse order.
void PressKeys(std::initializer_list<WORD> keys);

/// Processes messages through the application object (with its guard) until done() holds or
/// timeoutMs has passed; returns done(). A bare loop dispatches without any guard of its own, as
/// the system's modal loops (message boxes, menus, moving a window) do.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000, bool bare = false);

} // namespace testsupport
