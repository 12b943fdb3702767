// Events.h - the event types that window definitions bind handlers to by name.
#pragma once

#include <functional>
#include <variant>

namespace framework {

class TObject {
public:
    virtual ~TObject() = default;
};

class TTreeNode;

/// Click, creation and other plain notifications.
using TNotifyEvent = std::function<void(TObject* sender)>;
/// The selection of a tree view changed to node (may be null).
using TTVChangedEvent = std::function<void(TObject* sender, TTreeNode* node)>;
/// A node of a tree view is about to collapse; set allowCollapse to false to refuse.
using TTVCollapsingEvent =
    std::function<void(TObject* sender, TTreeNode* node, bool& allowCollapse)>;

/// A handler as a form publishes it under its name.
using EventHandler = std::variant<TNotifyEvent, TTVChangedEvent, TTVCollapsingEvent>;

} // namespace framework
