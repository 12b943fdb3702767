#include "tests/support/TestCatalogue.h"

#include "framework/Controls.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace testsupport {

namespace {
bool Registered() {
    RegisterWindowClasses();
    return true;
}
} // namespace

TestCatalogue::TestCatalogue() : registered_(Registered()), catalogue_(*form_.Tree) {
    catalogue_.BuildCatalogue();
}

framework::TTreeNode* TestCatalogue::Node(catalogue::TEntryScope scope,
                                          const std::string& name) const {
    const ui::TTreeCatalogue& c = catalogue_;
    framework::TTreeNode* root =
        scope == catalogue::TEntryScope::User ? c.UserRoot() : c.SystemRoot();
    for (framework::TTreeNode* n : root->Children())
        if (c.ScopeOf(*n) == scope && c.KeyNames(scope)[n->Data()] == name)
            return n;
    ADD_FAILURE() << "no node for " << name;
    return nullptr;
}

} // namespace testsupport
