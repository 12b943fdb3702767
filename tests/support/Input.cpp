#include "tests/support/Input.h"

#include "framework/Application.h"

#include <vector>

namespace testsupport {

void MouseTo(POINT p, DWORD buttons) {
    INPUT in[3] = {};
    for (INPUT& i : in)
        i.type = INPUT_MOUSE;
    in[0].mi.dx = MulDiv(p.x, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
    in[0].mi.dy = MulDiv(p.y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    UINT count = 1;
    for (DWORD f : {DWORD(MOUSEEVENTF_LEFTDOWN), DWORD(MOUSEEVENTF_LEFTUP)})
        if (buttons & f)
            in[count++].mi.dwFlags = f;
    ::SendInput(count, in, sizeof(INPUT));
}

void PressKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> in;
    auto add = [&](WORD key, DWORD flags) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = key;
        i.ki.dwFlags = flags;
        in.push_back(i);
    };
    for (WORD key : keys)
        add(key, 0);
    for (auto it = keys.end(); it != keys.begin();)
        add(*--it, KEYEVENTF_KEYUP);
    ::SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs, bool bare) {
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < DWORD(timeoutMs);) {
        framework::TApplication* application = framework::Application();
        if (bare || !application) {
            MSG msg;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        } else {
            application->ProcessMessages();
        }
        if (done())
            return true;
        ::Sleep(5);
    }
    return done();
}

} // namespace testsupport
