// TestForm.h - a form with a tree view and an image list for the framework's tests, built from
// the stored definition "TTestForm" or from definition text given by a test.
//
// Also the window classes that tests register before they build windows.
//
// Classes in this file:
//   TTestFormBase  the form in the shape of the program's forms: constructing it binds, and
//                  CreateFromDefinition (TApplication::CreateForm) builds it
//   TTestForm      the same form built at once and owned by the test
#pragma once

#include "framework/Form.h"
#include "framework/ImageList.h"
#include "framework/TreeView.h"

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

/// The framework's standard window classes and the common controls, as the program registers
/// them at start; with skinned, the skinned button and group box classes too.
void RegisterWindowClasses(bool skinned = false);

class TTestFormBase : public framework::TForm {
public:
    /// Built from the stored definition "TTestForm".
    TTestFormBase();
    /// Built from text; its class must be className.
    TTestFormBase(const std::string& definitionText, const std::string& className);

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

protected:
    framework::DefinitionNode ReadDefinition() const override;

private:
    void Bind(bool withFields);

    std::string definitionText_; // empty: the stored definition
};

using TTestForm = framework::TStandaloneForm<TTestFormBase>;

} // namespace testsupport
