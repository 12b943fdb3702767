// The label: what a definition sets, its size with and without AutoSize, and its pixels (the
// parent's colour or image behind the text, alignment, font colour and weight, the disabled look)
// drawn through WM_PRINTCLIENT into 32-bit DIBs.
#include "framework/Application.h"
#include "framework/StdCtrls.h"
#include "tests/support/DibSurface.h"
#include "tests/support/TestForm.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

using framework::TLabel;
using testsupport::DibSurface;

// A parent painting its left half yellow and its right half aqua.
class TStripes : public framework::TCustomControl {
protected:
    void Paint(framework::TCanvas& canvas) override {
        RECT r = ClientRect();
        canvas.Brush().SetColor(framework::clYellow);
        canvas.FillRect({0, 0, r.right / 2, r.bottom});
        canvas.Brush().SetColor(framework::clAqua);
        canvas.FillRect({r.right / 2, 0, r.right, r.bottom});
    }
};

constexpr char kDefinition[] = R"(TLabelForm F {
  ClientSize: 320 200
  Color: clWhite
  Font: "Tahoma" -11
  TLabel Plain {
    Bounds: 10 10 120 20
    AutoSize: False
    Caption: "Left"
  }
  TLabel Centred {
    Bounds: 10 40 120 20
    AutoSize: False
    Alignment: taCenter
    Font: "Tahoma" -11 clRed bold
    Caption: "Mid"
  }
  TLabel Right {
    Bounds: 10 70 120 20
    AutoSize: False
    Alignment: taRightJustify
    Caption: "Right"
  }
  TLabel Own {
    Bounds: 10 100 120 20
    AutoSize: False
    Color: clYellow
    Caption: "own"
  }
  TLabel Sized {
    Left: 10
    Top: 130
    Caption: "Sized to its text"
  }
  TLabel Wrapped {
    Bounds: 150 130 60 10
    WordWrap: True
    Caption: "one two three four five six"
  }
  TStripes Stripes {
    Bounds: 150 10 140 60
    TLabel Through {
      Bounds: 10 10 120 30
      AutoSize: False
      Transparent: True
      Caption: "Through"
    }
  }
}
)";

class LabelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        framework::RegisterStandardClasses();
        framework::RegisterControlClass("TStripes", [] { return std::make_unique<TStripes>(); });
    }
    void SetUp() override {
        form = std::make_unique<testsupport::TTestFormBase>(kDefinition, "TLabelForm");
        form->CreateFromDefinition();
    }
    TLabel& Label(const char* name) { return dynamic_cast<TLabel&>(*form->FindComponent(name)); }
    /// The label as WM_PRINTCLIENT draws it.
    static std::unique_ptr<DibSurface> Print(TLabel& label) {
        auto surface = std::make_unique<DibSurface>(label.Width(), label.Height());
        ::SendMessageA(label.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(surface->dc()),
                       PRF_CLIENT);
        return surface;
    }
    static SIZE TextSize(TLabel& label, const std::string& text) {
        HDC screen = ::GetDC(nullptr);
        HGDIOBJ old = ::SelectObject(screen, label.FontHandle());
        SIZE size{};
        ::GetTextExtentPoint32A(screen, text.c_str(), static_cast<int>(text.size()), &size);
        TEXTMETRICA metrics{};
        ::GetTextMetricsA(screen, &metrics);
        ::SelectObject(screen, old);
        ::ReleaseDC(nullptr, screen);
        size.cy = metrics.tmHeight;
        return size;
    }

    framework::TApplication application;
    std::unique_ptr<testsupport::TTestFormBase> form;
};

TEST_F(LabelTest, ShowsItsParentsColourOrImageBehindTextAlignedAndColouredAsSet) {
    const COLORREF white = RGB(255, 255, 255), yellow = RGB(255, 255, 0), aqua = RGB(0, 255, 255);
    const COLORREF black = RGB(0, 0, 0), red = RGB(255, 0, 0);
    enum Side { left, centre, right };
    struct Case {
        const char* name;
        COLORREF leftCorner, rightCorner, text;
        Side side;
    };
    for (const Case& c :
         {Case{"Plain", white, white, black, left}, Case{"Centred", white, white, red, centre},
          Case{"Right", white, white, black, right}, Case{"Own", yellow, yellow, black, left},
          Case{"Through", yellow, aqua, black, left}}) {
        SCOPED_TRACE(c.name);
        TLabel& label = Label(c.name);
        auto surface = Print(label);
        const int w = label.Width(), h = label.Height();
        EXPECT_TRUE(surface->HasColor(0, 0, c.leftCorner));
        EXPECT_TRUE(surface->HasColor(0, h - 1, c.leftCorner));
        EXPECT_TRUE(surface->HasColor(w - 1, h - 1, c.rightCorner));
        EXPECT_EQ(surface->BoundsOfChanged().right, w) << "the whole label is drawn";
        RECT text = surface->BoundsOfColor(c.text);
        ASSERT_FALSE(::IsRectEmpty(&text));
        // The ink lies inside the text's advance box where the alignment puts it; the box, not
        // the ink, reaches the edge (a glyph's bearings leave blank columns at either end).
        const int advance = TextSize(label, label.Caption()).cx;
        const int boxLeft = c.side == left ? 0 : c.side == right ? w - advance : (w - advance) / 2;
        EXPECT_GE(text.left, boxLeft - 1);
        EXPECT_LE(text.right, boxLeft + advance + 1);
    }
    EXPECT_EQ(Label("Centred").Font().LogFont().lfWeight, FW_BOLD);
    EXPECT_EQ(Label("Plain").Font().LogFont().lfWeight, FW_NORMAL);

    // Disabled: the text in the grey of disabled text.
    TLabel& plain = Label("Plain");
    plain.SetEnabled(false);
    auto disabled = Print(plain);
    EXPECT_EQ(disabled->CountColor(plain.ClientRect(), black), 0);
    EXPECT_GT(disabled->CountColor(plain.ClientRect(), ::GetSysColor(COLOR_GRAYTEXT)), 0);
}

TEST_F(LabelTest, AutoSizeTakesTheSizeOfTheTextAndFixedLabelsKeepTheirs) {
    TLabel& sized = Label("Sized");
    SIZE text = TextSize(sized, "Sized to its text");
    EXPECT_EQ(sized.Width(), text.cx);
    EXPECT_EQ(sized.Height(), text.cy);
    RECT window;
    ::GetWindowRect(sized.Handle(), &window);
    EXPECT_EQ(window.right - window.left, text.cx) << "the window follows";
    sized.SetCaption("Sized to its text, now longer");
    EXPECT_EQ(sized.Width(), TextSize(sized, "Sized to its text, now longer").cx);
    EXPECT_EQ(sized.Left(), 10);

    // Word-wrapped: the width stays, the height takes every line.
    TLabel& wrapped = Label("Wrapped");
    EXPECT_EQ(wrapped.Width(), 60);
    EXPECT_GE(wrapped.Height(), 3 * TextSize(wrapped, "x").cy);
    EXPECT_EQ(wrapped.Height() % TextSize(wrapped, "x").cy, 0);

    TLabel& fixed = Label("Plain");
    fixed.SetCaption("A caption far longer than the label is wide");
    EXPECT_EQ(fixed.Width(), 120);
    EXPECT_EQ(fixed.Height(), 20);
}

TEST_F(LabelTest, ALabelTakesNoFocusAndAnUnknownAlignmentIsAnError) {
    EXPECT_EQ(::GetNextDlgTabItem(form->Handle(), nullptr, FALSE), nullptr);
    testsupport::TTestFormBase bad("TLabelForm F {\n TLabel L {\n  Alignment: taMiddle\n }\n}\n",
                                   "TLabelForm");
    EXPECT_THROW(bad.CreateFromDefinition(), framework::EDefinitionError);
}

} // namespace
