#include "tests/support/MessageSequence.h"

#include "framework/WindowObject.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace testsupport {

namespace {
constexpr UINT_PTR kSubclassId = 0x5EC0;
}

MessageRecorder::MessageRecorder(std::initializer_list<HWND> windows,
                                 std::initializer_list<UINT> watched)
    : windows_(windows), watched_(watched) {
    for (HWND w : windows_)
        ::SetWindowSubclass(w, &MessageRecorder::Record, kSubclassId,
                            reinterpret_cast<DWORD_PTR>(this));
}

MessageRecorder::~MessageRecorder() {
    for (HWND w : windows_)
        if (::IsWindow(w))
            ::RemoveWindowSubclass(w, &MessageRecorder::Record, kSubclassId);
}

int MessageRecorder::Count(int window, UINT message) const {
    return static_cast<int>(std::count_if(messages_.begin(), messages_.end(), [&](auto& m) {
        return m.window == window && m.message == message;
    }));
}

LRESULT CALLBACK MessageRecorder::Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<MessageRecorder*>(data);
    if (std::find(self->watched_.begin(), self->watched_.end(), message) != self->watched_.end()) {
        int index =
            static_cast<int>(std::find(self->windows_.begin(), self->windows_.end(), window) -
                             self->windows_.begin());
        self->messages_.push_back({index, message, wParam, lParam});
    }
    if (message == WM_NCDESTROY)
        ::RemoveWindowSubclass(window, &MessageRecorder::Record, kSubclassId);
    return ::DefSubclassProc(window, message, wParam, lParam);
}

std::string MessageName(UINT message) {
    struct Name {
        UINT message;
        const char* name;
    };
    static const Name names[] = {
        {WM_PAINT, "WM_PAINT"},
        {WM_ERASEBKGND, "WM_ERASEBKGND"},
        {WM_PRINTCLIENT, "WM_PRINTCLIENT"},
        {WM_DRAWITEM, "WM_DRAWITEM"},
        {WM_COMMAND, "WM_COMMAND"},
        {WM_NOTIFY, "WM_NOTIFY"},
        {WM_SETFOCUS, "WM_SETFOCUS"},
        {WM_KILLFOCUS, "WM_KILLFOCUS"},
        {WM_MOUSEMOVE, "WM_MOUSEMOVE"},
        {WM_MOUSELEAVE, "WM_MOUSELEAVE"},
        {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
        {WM_LBUTTONUP, "WM_LBUTTONUP"},
        {WM_CTLCOLORBTN, "WM_CTLCOLORBTN"},
        {WM_CTLCOLORSTATIC, "WM_CTLCOLORSTATIC"},
        {BM_SETSTATE, "BM_SETSTATE"},
        {BM_SETSTYLE, "BM_SETSTYLE"},
        {framework::CM_MOUSEENTER, "CM_MOUSEENTER"},
        {framework::CM_MOUSELEAVE, "CM_MOUSELEAVE"},
        {framework::CM_FOCUSCHANGED, "CM_FOCUSCHANGED"},
        {framework::CN_COMMAND, "CN_COMMAND"},
        {framework::CN_NOTIFY, "CN_NOTIFY"},
        {framework::CN_DRAWITEM, "CN_DRAWITEM"},
    };
    for (const Name& n : names)
        if (n.message == message)
            return n.name;
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%04X", message);
    return buffer;
}

namespace {
bool Matches(const RecordedMessage& got, const ExpectedMessage& want) {
    return got.window == want.window && got.message == want.message &&
           (!(want.checks & kWParam) || got.wParam == want.wParam) &&
           (!(want.checks & kLParam) || got.lParam == want.lParam);
}

std::string Describe(const std::vector<RecordedMessage>& recorded,
                     std::span<const ExpectedMessage> expected) {
    std::ostringstream out;
    out << "expected:\n";
    for (const auto& e : expected)
        out << "  window " << e.window << " " << MessageName(e.message)
            << ((e.checks & kOptional) ? " (optional)" : "") << "\n";
    out << "got:\n";
    for (const auto& g : recorded)
        out << "  window " << g.window << " " << MessageName(g.message) << " wParam " << std::hex
            << g.wParam << " lParam " << g.lParam << std::dec << "\n";
    return out.str();
}
} // namespace

::testing::AssertionResult SequenceMatches(const std::vector<RecordedMessage>& recorded,
                                           std::span<const ExpectedMessage> expected) {
    size_t e = 0;
    for (size_t g = 0; g < recorded.size(); ++g) {
        while (e < expected.size() && !Matches(recorded[g], expected[e]) &&
               (expected[e].checks & kOptional))
            ++e;
        if (e == expected.size() || !Matches(recorded[g], expected[e]))
            return ::testing::AssertionFailure()
                   << "message " << g << " (" << MessageName(recorded[g].message)
                   << ") is not the one expected\n"
                   << Describe(recorded, expected);
        ++e;
    }
    for (; e < expected.size(); ++e)
        if (!(expected[e].checks & kOptional))
            return ::testing::AssertionFailure()
                   << "missing " << MessageName(expected[e].message) << "\n"
                   << Describe(recorded, expected);
    return ::testing::AssertionSuccess();
}

} // namespace testsupport
