// Screen.h - program-wide settings of the display.
//
// Classes in this file:
//   TScreen  the program-wide cursor override (Screen() is the process's one)
//
// Not done yet: the list of forms, the monitors, the font list.
#pragma once

#include <windows.h>

namespace framework {

/// The program-wide cursor: while one is set it is shown over the client area of every control of
/// the program instead of the control's own (an hourglass over a busy program).
class TScreen {
public:
    /// The override, or null when every control shows its own cursor.
    HCURSOR Cursor() const noexcept { return cursor_; }
    /// Sets the override (null: none) and shows the change at once when the mouse is over a
    /// window of this thread.
    void SetCursor(HCURSOR cursor);

private:
    HCURSOR cursor_ = nullptr;
};

/// The process's screen object.
TScreen& Screen() noexcept;

} // namespace framework
