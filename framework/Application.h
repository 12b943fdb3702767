// Application.h - the application object: title, the hidden application window, the forms it
// owns, the message loop with its message filters, and the terminate request.
//
// Classes in this file:
//   TMessageFilter  what the message loop asks before it translates and dispatches a message;
//                   after the filters it asks the message's top-level window
//                   (TWinControl::PreTranslateMessage, where a form gives its dialog keys their
//                   meaning)
//   TApplication    one per process (see Application())
//
// Functions: TitleFromExePath (the title rule), StartupErrorText / ShowStartupError (the report of
// an exception that escapes start-up).
#pragma once

#include "framework/Handles.h"

#include <exception>
#include <memory>
#include <string>
#include <vector>

namespace framework {

class TWinControl;
class TApplicationWindow;

/// Registered with the application (TApplication::AddMessageFilter), sees every message the loop
/// takes from the queue before it is translated and dispatched.
class TMessageFilter {
public:
    /// True when the filter handled the message: it is then neither translated nor dispatched,
    /// and no other filter sees it.
    virtual bool PreTranslateMessage(MSG& message) = 0;

protected:
    ~TMessageFilter() = default;
};

/// The application title for an executable path (ANSI): the part after the last "\", cut at its
/// first ".", every character after the first in lower case ("C:\X\SWEEP.EXE" gives "Sweep").
std::string TitleFromExePath(const std::string& path);

class TApplication {
public:
    /// Derives the title from the running executable and creates the zero-size application
    /// window, which carries the "MAINICON" icon and stands for the program on the taskbar.
    TApplication();
    /// Destroys the forms (newest first) and then the application window.
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    const std::string& Title() const noexcept { return title_; }
    HWND Handle() const noexcept;

    /// Creates a form of type F in two phases. Constructs it, takes ownership (the first form
    /// created becomes the main form) and stores it in reference; only then builds it from its
    /// definition, so that its creation handler, and whatever runs during it, finds the form in
    /// reference and in MainForm(). When building fails (outside the creation handler, whose
    /// exceptions are reported there), the form is destroyed, reference becomes null, and the
    /// exception propagates.
    template <typename F> F* CreateForm(F*& reference) {
        auto owned = std::make_unique<F>();
        F* form = owned.get();
        AddForm(std::move(owned));
        reference = form;
        try {
            form->CreateFromDefinition();
        } catch (...) {
            reference = nullptr;
            RemoveForm(form);
            throw;
        }
        return form;
    }
    /// Takes ownership of a form (a top-level window); the first one becomes the main form.
    void AddForm(std::unique_ptr<TWinControl> form);
    TWinControl* MainForm() const noexcept { return mainForm_; }

    /// The loop asks filter about every message from now on, in the order of registration, until
    /// it is removed. Registering a filter twice has it asked once.
    void AddMessageFilter(TMessageFilter& filter);
    /// The loop no longer asks filter; nothing happens when it is not registered.
    void RemoveMessageFilter(TMessageFilter& filter) noexcept;

    /// Shows the main form with the process's show command and runs the message loop until the
    /// quit message has been taken.
    void Run();
    /// Asks the program to end: posts the quit message with exit code 0; returns at once.
    void Terminate();
    bool Terminated() const noexcept { return terminated_; }
    /// The process's exit code: always 0, whatever code a quit message carried.
    int ExitCode() const noexcept { return 0; }

    /// Takes one message if there is one and, unless a message filter handles it, translates and
    /// dispatches it; false when the queue was empty.
    bool ProcessMessage();
    /// Handles one message, waiting for one when the queue is empty.
    void HandleMessage();
    /// Handles every message in the queue, then returns.
    void ProcessMessages();

private:
    /// Destroys a form of the list; it is no longer the main form.
    void RemoveForm(TWinControl* form) noexcept;
    /// Asks the filters in turn; true when one of them handled the message.
    bool PreTranslateMessage(MSG& message);

    std::string title_;
    std::unique_ptr<TApplicationWindow> window_;
    UniqueIcon icon_;
    std::vector<std::unique_ptr<TWinControl>> forms_;
    TWinControl* mainForm_ = nullptr;
    std::vector<TMessageFilter*> filters_;
    bool terminated_ = false;
};

/// The process's application object, or null before it exists and after it is gone.
TApplication* Application() noexcept;

/// The text of the start-up failure report for an exception:
/// "Exception <class> in module <file> at <address>.\r\n<message><. if needed>\r\n".
std::string StartupErrorText(const std::exception& e);

/// Reports the exception being handled as a start-up failure: a task-modal "Application Error"
/// box with the stop icon. Call only from inside a catch block.
void ShowStartupError() noexcept;

} // namespace framework
