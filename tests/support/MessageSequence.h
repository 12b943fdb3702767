// MessageSequence.h - message-sequence checks in the manner of Wine's comctl32 tests (msg.h):
// windows are subclassed, the messages of a watched set are recorded in the order they arrive,
// and the record is compared with a constant table whose entries may be optional.
//
// Classes in this file:
//   MessageRecorder   subclasses windows (on top of whatever procedure they have) and records
//   ExpectedMessage   one entry of an expected table
// Functions: SequenceMatches (compare, with a dump of both sides on mismatch).
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <initializer_list>
#include <span>
#include <string>
#include <vector>

namespace testsupport {

enum MessageCheck : unsigned {
    kOptional = 1, ///< may be missing from the record
    kWParam = 2,   ///< wParam must match
    kLParam = 4,   ///< lParam must match
};

struct ExpectedMessage {
    int window; ///< index of the window in the recorder's list
    UINT message;
    unsigned checks = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

struct RecordedMessage {
    int window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class MessageRecorder {
public:
    /// Records the messages of watched that reach windows; a window is named by its index.
    MessageRecorder(std::initializer_list<HWND> windows, std::initializer_list<UINT> watched);
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    const std::vector<RecordedMessage>& Messages() const noexcept { return messages_; }
    void Clear() { messages_.clear(); }
    /// How many times message reached window.
    int Count(int window, UINT message) const;

private:
    static LRESULT CALLBACK Record(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

    std::vector<HWND> windows_;
    std::vector<UINT> watched_;
    std::vector<RecordedMessage> messages_;
};

/// A name for a message ("WM_DRAWITEM", "CM_MOUSEENTER", or its number).
std::string MessageName(UINT message);

/// Every recorded message matches the next expected one, in order; an optional expected entry
/// that does not match is skipped. On mismatch both sequences are shown.
::testing::AssertionResult SequenceMatches(const std::vector<RecordedMessage>& recorded,
                                           std::span<const ExpectedMessage> expected);

} // namespace testsupport
