// ImageList.h - a list of same-sized images for tree views.
//
// Classes in this file:
//   TImageList  owns one HIMAGELIST; filled from a bitmap resource holding the images side by
//               side, with one colour standing for transparent.
#pragma once

#include "framework/Controls.h"

namespace framework {

class TImageList : public TComponent {
public:
    TImageList() = default;

    /// Makes an empty list of width x height images (32-bit colour with a mask).
    void SetSize(int width, int height);
    /// Appends the images of a bitmap resource of the program; maskColor marks transparent
    /// pixels. Throws EDefinitionError when the resource is missing.
    void AddMaskedResource(const char* resourceName, COLORREF maskColor);

    HIMAGELIST Handle() const noexcept { return list_.get(); }
    int Count() const noexcept;
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }

    /// "Size: <w> <h>", "Bitmap: <resource name> <mask colour>".
    void ApplyProperty(const DefinitionProperty& property, TDefinitionLoader& loader) override;

private:
    UniqueImageList list_;
    int width_ = 16, height_ = 16;
};

} // namespace framework
