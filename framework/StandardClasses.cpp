#include "framework/Controls.h"
#include "framework/ImageList.h"
#include "framework/TreeView.h"

namespace framework {

void RegisterStandardClasses() {
    RegisterControlClass("TTreeView", [] { return std::make_unique<TTreeView>(); });
    RegisterControlClass("TImageList", [] { return std::make_unique<TImageList>(); });
}

} // namespace framework
