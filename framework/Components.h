// Components.h - the parts a window definition is made of: components with their names and the
// objects they publish, how a definition's properties reach them, and the class registry that
// creates them by class name.
//
// Classes in this file:
//   TDefinitionLoader  what a component sees while its definition is applied: handlers and
//                      references by name, and the scale of the screen
//   TPropertyObject    what a window definition sets properties of: components and the objects
//                      they publish by name
//   TComponent         a named part of a form, configured from its definition
//
// Functions: ApplyDefinitionProperty (dotted property names), ParseBoolean / ParseColor (values
// of properties), RegisterControlClass / CreateComponent (the class registry).
#pragma once

#include "framework/Colors.h"
#include "framework/Events.h"
#include "framework/Persistent.h"
#include "framework/WindowDefinition.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace framework {

class TComponent;

/// Resolves names while a definition is applied. Implemented by TForm.
class TDefinitionLoader {
public:
    virtual ~TDefinitionLoader() = default;
    /// The handler published under the property's (first) value; EDefinitionError when no
    /// handler of that name exists or it has another signature than E.
    template <typename E> E Handler(const DefinitionProperty& property) {
        const EventHandler& handler = FindHandler(property);
        if (const E* typed = std::get_if<E>(&handler))
            return *typed;
        property.Fail("handler " + property.Identifier() + " does not fit this event");
    }
    /// Calls assign with the component named by the property once every component exists.
    virtual void Reference(const DefinitionProperty& property,
                           std::function<void(TComponent*)> assign) = 0;
    /// Pixels of the definition (at 96 pixels per inch) on this screen.
    virtual int Scale(int designPixels) const = 0;

protected:
    virtual const EventHandler& FindHandler(const DefinitionProperty& property) = 0;
};

/// An object whose properties a window definition sets: a component, or an object a component
/// publishes under a name (a style, a look-and-feel), reached by a dotted property name such as
/// "Style.LookAndFeel.NativeStyle".
class TPropertyObject : public TPersistent {
public:
    /// Applies one property whose name has no dots; unknown properties are a definition error.
    virtual void ApplyProperty(const DefinitionProperty& property, TDefinitionLoader& loader);
    /// The object published under name, or null when there is none.
    virtual TPropertyObject* NestedObject(std::string_view name);
    /// What definition errors call this object.
    virtual std::string DisplayName() const { return "the object"; }
};

/// Applies property to target. A dotted name is walked from target through the nested objects
/// its segments name, and the last segment is applied to the object found; a segment that names
/// no object is a definition error naming the line.
void ApplyDefinitionProperty(TPropertyObject& target, const DefinitionProperty& property,
                             TDefinitionLoader& loader);

class TComponent : public TPropertyObject {
public:
    TComponent() = default;
    ~TComponent() override = default;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    const std::string& Name() const noexcept { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    std::string DisplayName() const override { return name_; }

    /// Called once every component of the form exists and every reference is resolved.
    virtual void Loaded() {}

private:
    std::string name_;
};

/// The single value of a property as true or false (either case: true, True).
bool ParseBoolean(const DefinitionProperty& property);
/// The colour of a property's value at index: a number or a colour name (clWhite, clBtnFace, ...).
TColor ParseColor(const DefinitionProperty& property, size_t index = 0);

/// Creates components by class name for window definitions.
using ComponentFactory = std::function<std::unique_ptr<TComponent>()>;
void RegisterControlClass(const std::string& className, ComponentFactory factory);
/// A new component of the class; EDefinitionError when the class is not registered.
std::unique_ptr<TComponent> CreateComponent(const std::string& className);

} // namespace framework
