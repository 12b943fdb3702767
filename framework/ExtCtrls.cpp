#include "framework/ExtCtrls.h"

#include "framework/Jpeg.h"

#include <windowsx.h>

#include <algorithm>

namespace framework {

TImage::TImage() {
    SetParentColor(true);
    SetBounds(0, 0, 105, 105);
}

void TImage::CreateParams(TCreateParams& params) {
    TCustomControl::CreateParams(params);
    params.className = "Ordanel.TImage";
}

void TImage::SetPicture(std::unique_ptr<TBitmap> picture) {
    picture_ = std::move(picture);
    AdjustSize();
    if (HandleAllocated())
        ::InvalidateRect(Handle(), nullptr, FALSE);
}

void TImage::LoadPictureFromResource(const char* resourceName) {
    std::string_view data = ResourceData(resourceName);
    SetPicture(DecodeJpeg({reinterpret_cast<const std::uint8_t*>(data.data()), data.size()}));
}

void TImage::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    AdjustSize();
}

void TImage::AdjustSize() {
    if (!autoSize_ || !picture_ || picture_->Empty())
        return;
    SetBounds(Left(), Top(), picture_->Width(), picture_->Height());
    // The alignment has the last word on the side it governs.
    if (Align() != alNone && Parent())
        Parent()->Realign();
}

void TImage::ApplyProperty(const DefinitionProperty& p, TDefinitionLoader& loader) {
    if (p.name == "Picture") {
        p.ExpectCount(1);
        const std::string& name = p.Identifier();
        try {
            LoadPictureFromResource(name.c_str());
        } catch (const Exception& e) {
            p.Fail(e.Message());
        }
    } else if (p.name == "AutoSize") {
        SetAutoSize(ParseBoolean(p));
    } else if (p.name == "OnClick") {
        OnClick = loader.Handler<TNotifyEvent>(p);
    } else {
        TCustomControl::ApplyProperty(p, loader);
    }
}

void TImage::Paint(TCanvas& canvas) {
    const RECT client = ClientRect();
    int w = 0, h = 0;
    if (picture_ && !picture_->Empty()) {
        w = std::min<int>(picture_->Width(), client.right);
        h = std::min<int>(picture_->Height(), client.bottom);
        ::BitBlt(canvas.Handle(), 0, 0, w, h, picture_->Canvas().Handle(), 0, 0, SRCCOPY);
    }
    // What the picture leaves: the strip right of it, then everything below it.
    canvas.Brush().SetColor(Color());
    if (w < client.right)
        canvas.FillRect({w, 0, client.right, h});
    if (h < client.bottom)
        canvas.FillRect({0, h, client.right, client.bottom});
}

LRESULT TImage::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN: return WMLButtonDown();
    case WM_LBUTTONUP: return WMLButtonUp({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_CAPTURECHANGED:
        pressed_ = false;
        return TCustomControl::WndProc(message, wParam, lParam);
    default: return TCustomControl::WndProc(message, wParam, lParam);
    }
}

LRESULT TImage::WMLButtonDown() {
    // The capture brings the release here wherever it happens, so that a press inside and a
    // release outside is no click, and neither is a release inside after a press elsewhere.
    ::SetCapture(Handle());
    pressed_ = true;
    return 0;
}

LRESULT TImage::WMLButtonUp(POINT point) {
    if (!pressed_)
        return 0;
    pressed_ = false;
    ::ReleaseCapture();
    const RECT client = ClientRect();
    if (::PtInRect(&client, point))
        Click();
    return 0;
}

void TImage::Click() {
    if (!EventsAllowed())
        return;
    if (OnClick)
        OnClick(this);
}

} // namespace framework
