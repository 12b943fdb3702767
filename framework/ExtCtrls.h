// ExtCtrls.h - a picture control for window definitions.
//
// Classes in this file:
//   TImage  shows a picture unstretched at its top left, the rest of its area in its colour (its
//           parent's unless told otherwise); with AutoSize it takes the picture's size (an
//           aligned image keeps the width its alignment gives it). A click is a press and a
//           release of the left button inside it; the second press of a double click is none.
//           Definitions: "Picture: <RCDATA resource holding a JPEG>", "AutoSize: true",
//           "OnClick: <handler>", and what every control reads (Bounds, Align, Cursor, ...).
//
// Not done yet: stretched, centred and proportional drawing, transparent pictures, pictures in
// other formats than JPEG.
#pragma once

#include "framework/Controls.h"

#include <memory>

namespace framework {

class TImage : public TCustomControl {
public:
    TImage();

    /// The picture shown, or null.
    const TBitmap* Picture() const noexcept { return picture_.get(); }
    /// Shows picture (null: none); with AutoSize the control takes its size.
    void SetPicture(std::unique_ptr<TBitmap> picture);
    /// Shows the JPEG held in the program's RCDATA resource resourceName. EDefinitionError when
    /// there is no such resource, EJpegError when it cannot be decoded; the picture shown before
    /// stays then.
    void LoadPictureFromResource(const char* resourceName);

    bool AutoSize() const noexcept { return autoSize_; }
    void SetAutoSize(bool autoSize);

    /// The click: OnClick.
    virtual void Click();
    TNotifyEvent OnClick;

    void ApplyProperty(const DefinitionProperty& property, TDefinitionLoader& loader) override;

protected:
    void CreateParams(TCreateParams& params) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint(TCanvas& canvas) override;

private:
    void AdjustSize();
    LRESULT WMLButtonDown();
    LRESULT WMLButtonUp(POINT point);

    std::unique_ptr<TBitmap> picture_;
    bool autoSize_ = false;
    bool pressed_ = false; // the left button went down inside, and the mouse is captured
};

} // namespace framework
