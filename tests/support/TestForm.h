// TestForm.h - a form with a tree view and an image list for the framework's tests, built from
// the stored definition "TTestForm" or from definition text given by a test.
#pragma once

#include "framework/Form.h"
#include "framework/ImageList.h"
#include "framework/TreeView.h"

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

class TTestForm : public framework::TForm {
public:
    /// Built from the stored definition "TTestForm".
    TTestForm();
    /// Built from text; its class must be className.
    TTestForm(const std::string& definitionText, const std::string& className);

    framework::TTreeView* Tree = nullptr;
    framework::TImageList* Images = nullptr;

    void FormCreate(framework::TObject* sender);
    void TreeChange(framework::TObject* sender, framework::TTreeNode* node);
    void TreeCollapsing(framework::TObject* sender, framework::TTreeNode* node, bool& allow);

    // What the handlers saw.
    int createCalls = 0;
    bool treeExistedAtCreate = false;
    std::vector<framework::TTreeNode*> changes;
    int collapseRequests = 0;
    bool allowCollapse = false;
    /// Runs inside the next form's FormCreate, once (may throw).
    inline static std::function<void()> NextCreateAction;

private:
    void Bind(bool withFields);
};

} // namespace testsupport
