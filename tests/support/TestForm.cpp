#include "tests/support/TestForm.h"

#include "controls/cxButtons.h"
#include "controls/cxGroupBox.h"

#include <commctrl.h>

#include <utility>

namespace testsupport {

void RegisterWindowClasses(bool skinned) {
    framework::RegisterStandardClasses();
    if (skinned) {
        controls::RegisterButtonClasses();
        controls::RegisterGroupBoxClasses();
    }
    ::InitCommonControls();
}

TTestFormBase::TTestFormBase() : TForm("TTestForm") {
    Bind(true);
}

TTestFormBase::TTestFormBase(const std::string& definitionText, const std::string& className)
    : TForm(className), definitionText_(definitionText) {
    Bind(className == "TTestForm" || className == "TMissingFieldForm");
}

framework::DefinitionNode TTestFormBase::ReadDefinition() const {
    if (definitionText_.empty())
        return TForm::ReadDefinition();
    return framework::ParseDefinition(definitionText_, "text");
}

void TTestFormBase::Bind(bool withFields) {
    BindHandler("FormCreate", &TTestFormBase::FormCreate);
    BindHandler("TreeChange", &TTestFormBase::TreeChange);
    BindHandler("TreeCollapsing", &TTestFormBase::TreeCollapsing);
    if (withFields) {
        BindField("Tree", Tree);
        BindField("Images", Images);
    }
}

void TTestFormBase::FormCreate(framework::TObject*) {
    ++createCalls;
    treeExistedAtCreate = Tree && Tree->HandleAllocated();
    if (auto action = std::exchange(NextCreateAction, nullptr))
        action();
}

void TTestFormBase::TreeChange(framework::TObject*, framework::TTreeNode* node) {
    changes.push_back(node);
}

void TTestFormBase::TreeCollapsing(framework::TObject*, framework::TTreeNode*, bool& allow) {
    ++collapseRequests;
    allow = allowCollapse;
}

} // namespace testsupport
