#include "framework/Controls.h"
#include "framework/ExtCtrls.h"
#include "framework/ImageList.h"
#include "framework/StdCtrls.h"
#include "framework/Timers.h"
#include "framework/TreeView.h"

namespace framework {

void RegisterStandardClasses() {
    RegisterControlClass("TButton", [] { return std::make_unique<TButton>(); });
    RegisterControlClass("TLabel", [] { return std::make_unique<TLabel>(); });
    RegisterControlClass("TTimer", [] { return std::make_unique<TTimer>(); });
    RegisterControlClass("TTreeView", [] { return std::make_unique<TTreeView>(); });
    RegisterControlClass("TImage", [] { return std::make_unique<TImage>(); });
    RegisterControlClass("TImageList", [] { return std::make_unique<TImageList>(); });
}

} // namespace framework
