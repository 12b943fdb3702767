#include "framework/ImageList.h"

#include "framework/Exceptions.h"

namespace framework {

void TImageList::SetSize(int width, int height) {
    width_ = width;
    height_ = height;
    list_.reset(::ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 4, 4));
    if (!list_)
        throw Exception("Cannot create an image list");
}

int TImageList::Count() const noexcept {
    return list_ ? ::ImageList_GetImageCount(list_.get()) : 0;
}

void TImageList::AddMaskedResource(const char* resourceName, COLORREF maskColor) {
    if (!list_)
        SetSize(width_, height_);
    UniqueBitmap bitmap(static_cast<HBITMAP>(::LoadImageA(
        ::GetModuleHandleA(nullptr), resourceName, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap)
        throw EDefinitionError(std::string("Bitmap ") + resourceName + " not found");
    if (::ImageList_AddMasked(list_.get(), bitmap.get(), maskColor) < 0)
        throw Exception(std::string("Cannot add the images of ") + resourceName);
}

void TImageList::ApplyProperty(const DefinitionProperty& p, TDefinitionLoader& loader) {
    if (p.name == "Size") {
        p.ExpectCount(2);
        SetSize(static_cast<int>(p.Number(0)), static_cast<int>(p.Number(1)));
    } else if (p.name == "Bitmap") {
        p.ExpectCount(2);
        AddMaskedResource(p.Identifier(0).c_str(), ColorToRGB(ParseColor(p, 1)));
    } else {
        TComponent::ApplyProperty(p, loader);
    }
}

} // namespace framework
