// test-lock: input
// The picture control on a real window: its bounds from alignment and picture, its pixels painted
// and printed, its cursor, its clicks from real mouse input, and definitions it refuses.
#include "framework/Application.h"
#include "framework/ExtCtrls.h"
#include "framework/Jpeg.h"
#include "tests/support/DibSurface.h"
#include "tests/support/Input.h"
#include "tests/support/TestForm.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

using testsupport::DibSurface;
using testsupport::MouseTo;
using testsupport::PumpUntil;

/// A white form of 372 x 200 holding picture controls: Image with the given properties, then
/// the controls of more (definition text).
class TImageForm : public testsupport::TTestFormBase {
public:
    explicit TImageForm(const std::string& imageProperties, const std::string& more = "")
        : TTestFormBase("TImageForm Form {\n ClientSize: 372 200\n BorderStyle: tool-window\n"
                        " Color: clWhite\n TImage Image {\n" +
                            imageProperties + "\n }\n" + more + "}\n",
                        "TImageForm") {
        BindHandler("ImageClick", &TImageForm::ImageClick);
        BindField("Image", image);
    }
    void ImageClick(framework::TObject* sender) {
        ++clicks;
        clickedBy = sender;
    }
    framework::TImage* image = nullptr;
    int clicks = 0;
    framework::TObject* clickedBy = nullptr;
};
using TImageTestForm = framework::TStandaloneForm<TImageForm>;

/// The main window's banner.
constexpr const char* kBanner = "Bounds: 0 0 372 85\nAlign: alTop\nAutoSize: true\n"
                                "Cursor: crHandPoint\nPicture: BANNER\nOnClick: ImageClick";

class ImageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { framework::RegisterStandardClasses(); }

    std::unique_ptr<TImageTestForm> Show(const std::string& properties,
                                         const std::string& more = "") {
        auto form = std::make_unique<TImageTestForm>(properties, more);
        form->Show();
        // At the bottom left, away from the centred windows of other test programs.
        RECT r;
        ::GetWindowRect(form->Handle(), &r);
        ::SetWindowPos(form->Handle(), HWND_TOP, 0,
                       ::GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top), 0, 0, SWP_NOSIZE);
        application.ProcessMessages();
        return form;
    }
    static RECT BoundsInParent(HWND window) {
        RECT r;
        ::GetWindowRect(window, &r);
        ::MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    static POINT OnScreen(HWND window, int x, int y) {
        POINT p{x, y};
        ::ClientToScreen(window, &p);
        return p;
    }
    void Pump(int ms) {
        PumpUntil([] { return false; }, ms);
    }

    framework::TApplication application;
};

TEST_F(ImageTest, BoundsFollowTheAlignmentAndThePicturesSize) {
    struct Case {
        const char* properties;
        RECT bounds;
    };
    const Case cases[] = {
        {kBanner, {0, 0, 372, 85}},
        {"Align: alTop\nPicture: BANNER\nAutoSize: true", {0, 0, 372, 85}},
        {"Bounds: 5 6 50 40\nAutoSize: true\nPicture: BANNER", {5, 6, 376, 91}},
        {"Bounds: 5 6 50 40\nPicture: BANNER", {5, 6, 55, 46}},
        {"Bounds: 5 6 50 40\nAlign: alTop\nPicture: BANNER", {0, 0, 372, 40}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.properties);
        TImageTestForm form(c.properties);
        const RECT r = BoundsInParent(form.image->Handle());
        EXPECT_EQ(r.left, c.bounds.left);
        EXPECT_EQ(r.top, c.bounds.top);
        EXPECT_EQ(r.right, c.bounds.right);
        EXPECT_EQ(r.bottom, c.bounds.bottom);
        EXPECT_EQ(form.image->Width(), c.bounds.right - c.bounds.left);
        EXPECT_EQ(form.image->Height(), c.bounds.bottom - c.bounds.top);
        ASSERT_NE(form.image->Picture(), nullptr);
        EXPECT_EQ(form.image->Picture()->Width(), 371);
        EXPECT_EQ(form.image->Picture()->Height(), 85);
    }
}

TEST_F(ImageTest, PaintsThePictureUnstretchedAtTheTopLeftAndTheParentsColourBeyondIt) {
    auto form = Show(kBanner);
    // Printed and painted on the screen, the control shows the picture's own pixels where it
    // lies and the colour beyond it.
    auto check = [&](framework::TImage& image, COLORREF beyond) {
        HWND window = image.Handle();
        const int w = image.Width(), h = image.Height();
        const framework::TBitmap* picture = image.Picture();
        DibSurface printed(w, h);
        EXPECT_EQ(::SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(printed.dc()),
                                 PRF_CLIENT),
                  0);
        int wrong = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                COLORREF want = beyond;
                if (picture && x < picture->Width() && y < picture->Height()) {
                    const std::uint32_t p = picture->ScanLine(y)[x];
                    want = RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF);
                }
                if (printed.Rgb(x, y) != want && ++wrong <= 3)
                    ADD_FAILURE() << "(" << x << ", " << y << ") is "
                                  << testsupport::DescribeRgb(printed.Rgb(x, y)) << ", expected "
                                  << testsupport::DescribeRgb(want);
            }
        EXPECT_EQ(wrong, 0);
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        DibSurface screen(w, h);
        {
            framework::WindowDc dc(window);
            ::BitBlt(screen.dc(), 0, 0, w, h, dc.get(), 0, 0, SRCCOPY);
        }
        int differing = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                differing += screen.Rgb(x, y) != printed.Rgb(x, y);
        EXPECT_EQ(differing, 0) << "on the screen";
    };
    {
        SCOPED_TRACE("the banner: the last column is the window's white");
        check(*form->image, RGB(255, 255, 255));
    }
    struct Case {
        const char* name;
        int width, height;
        bool picture;
        framework::TColor color; // clNone: the parent's
        COLORREF beyond;
    };
    const Case cases[] = {
        {"taller than its picture", 372, 100, true, framework::clNone, RGB(255, 255, 255)},
        {"smaller than its picture", 200, 50, true, framework::clNone, RGB(255, 255, 255)},
        {"a colour of its own", 372, 100, true, framework::clRed, RGB(255, 0, 0)},
        {"no picture", 40, 30, false, framework::clNone, RGB(255, 255, 255)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        framework::TImage image;
        image.SetParent(form.get());
        image.SetBounds(0, 90, c.width, c.height);
        if (c.picture)
            image.LoadPictureFromResource("BANNER");
        if (c.color != framework::clNone)
            image.SetColor(c.color);
        image.CreateHandle();
        check(image, c.beyond);
    }
}

TEST_F(ImageTest, TheCursorNamedInTheDefinitionShowsOverTheControlOnly) {
    auto form = Show("Bounds: 0 0 124 85\nCursor: crHandPoint",
                     " TImage Beam {\n Bounds: 124 0 124 85\n Cursor: crIBeam\n }\n"
                     " TImage Plain {\n Bounds: 248 0 124 85\n Cursor: crDefault\n }\n");
    const HCURSOR arrow = ::LoadCursorA(nullptr, IDC_ARROW);
    struct Case {
        const char* control;
        const char* id;
        bool own; // the control sets its cursor, rather than its class
    };
    for (Case c : {Case{"Image", IDC_HAND, true}, Case{"Beam", IDC_IBEAM, true},
                   Case{"Plain", IDC_ARROW, false}}) {
        SCOPED_TRACE(c.control);
        HWND image = dynamic_cast<framework::TImage*>(form->FindComponent(c.control))->Handle();
        const HCURSOR wanted = ::LoadCursorA(nullptr, c.id);
        MouseTo(OnScreen(form->Handle(), 186, 150));
        ASSERT_TRUE(PumpUntil([&] { return ::GetCursor() == arrow; })) << "over the form";
        MouseTo(OnScreen(image, 60, 40));
        EXPECT_TRUE(PumpUntil([&] { return ::GetCursor() == wanted; })) << "over the control";
        // The system's question, asked directly. (Wine's DefWindowProc sets the class cursor
        // but answers FALSE.)
        ::SetCursor(::LoadCursorA(nullptr, IDC_CROSS));
        const LRESULT answer = ::SendMessageA(image, WM_SETCURSOR, reinterpret_cast<WPARAM>(image),
                                              MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_TRUE(answer || !c.own);
        EXPECT_EQ(::GetCursor(), wanted);
    }
    MouseTo(OnScreen(form->Handle(), 186, 150));
    EXPECT_TRUE(PumpUntil([&] { return ::GetCursor() == arrow; })) << "back over the form";
}

TEST_F(ImageTest, AClickIsAPressAndAReleaseInsideOnce) {
    auto form = Show(kBanner);
    HWND image = form->image->Handle();
    const POINT inside = OnScreen(image, 100, 40), farther = OnScreen(image, 300, 60),
                outside = OnScreen(form->Handle(), 100, 150);
    constexpr DWORD down = MOUSEEVENTF_LEFTDOWN, up = MOUSEEVENTF_LEFTUP, click = down | up;
    struct Step {
        POINT at;
        DWORD buttons;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        int clicks;
    };
    const Case cases[] = {
        {"a click", {{inside, click}}, 1},
        {"pressed inside, released outside", {{inside, down}, {outside, up}}, 0},
        {"pressed outside, released inside", {{outside, down}, {inside, up}}, 0},
        {"pressed inside, out and back in", {{inside, down}, {outside, 0}, {farther, up}}, 1},
        {"a double click", {{inside, click}, {inside, click}}, 1},
        {"two clicks in two places", {{inside, click}, {farther, click}}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Apart from the last case's clicks in time, so that no press makes a double click.
        MouseTo(outside);
        Pump(::GetDoubleClickTime() + 50);
        form->clicks = 0;
        form->clickedBy = nullptr;
        for (const Step& s : c.steps) {
            MouseTo(s.at, s.buttons);
            Pump(30);
        }
        PumpUntil([&] { return form->clicks >= c.clicks && ::GetCapture() == nullptr; });
        Pump(100);
        EXPECT_EQ(form->clicks, c.clicks);
        EXPECT_EQ(form->clickedBy, c.clicks ? form->image : nullptr);
        EXPECT_EQ(::GetCapture(), nullptr);
    }
}

TEST_F(ImageTest, DefinitionsNamingNoPictureOrCursorAreRefusedWithTheReason) {
    struct Case {
        const char* properties;
        const char* message;
    };
    const Case cases[] = {
        {"Picture: NOSUCH", "line 6: Picture: Resource NOSUCH not found"},
        {"Picture: TMainForm", "line 6: Picture: Not a JPEG file: starts with 0x23 0x20"},
        {"Cursor: crBogus", "line 6: Cursor: unknown cursor crBogus"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.properties);
        try {
            TImageTestForm form(c.properties);
            ADD_FAILURE() << "built";
        } catch (const framework::EDefinitionError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
        EXPECT_EQ(framework::JpegBlocksInUse(), 0);
    }
}

} // namespace
