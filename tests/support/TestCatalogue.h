// TestCatalogue.h - the catalogue built over a test form's tree, as the removal and backup tests
// use it: the entries of the registry as it is when it is built, and their nodes by key name.
#pragma once

#include "catalogue/Catalogue.h"
#include "tests/support/TestForm.h"
#include "ui/CatalogueTree.h"

#include <string>

namespace testsupport {

class TestCatalogue {
public:
    /// Builds the lists and the tree from the registry as it is now.
    TestCatalogue();

    ui::TTreeCatalogue& Catalogue() noexcept { return catalogue_; }
    /// The node of the entry whose key name (UTF-8) is name in scope; null, and a test failure,
    /// when there is none.
    framework::TTreeNode* Node(catalogue::TEntryScope scope, const std::string& name) const;

private:
    bool registered_; // the classes the form's definition names, before the form is made
    TTestForm form_;
    ui::TTreeCatalogue catalogue_;
};

} // namespace testsupport
