#include "tests/support/TestForm.h"

#include <utility>

namespace testsupport {

TTestForm::TTestForm() {
    Bind(true);
    CreateFromDefinition("TTestForm");
}

TTestForm::TTestForm(const std::string& definitionText, const std::string& className) {
    Bind(className == "TTestForm" || className == "TMissingFieldForm");
    CreateFromDefinition(framework::ParseDefinition(definitionText, "text"), className);
}

void TTestForm::Bind(bool withFields) {
    BindHandler("FormCreate", &TTestForm::FormCreate);
    BindHandler("TreeChange", &TTestForm::TreeChange);
    BindHandler("TreeCollapsing", &TTestForm::TreeCollapsing);
    if (withFields) {
        BindField("Tree", Tree);
        BindField("Images", Images);
    }
}

void TTestForm::FormCreate(framework::TObject*) {
    ++createCalls;
    treeExistedAtCreate = Tree && Tree->HandleAllocated();
    if (auto action = std::exchange(NextCreateAction, nullptr))
        action();
}

void TTestForm::TreeChange(framework::TObject*, framework::TTreeNode* node) {
    changes.push_back(node);
}

void TTestForm::TreeCollapsing(framework::TObject*, framework::TTreeNode*, bool& allow) {
    ++collapseRequests;
    allow = allowCollapse;
}

} // namespace testsupport
