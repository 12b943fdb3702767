// Persistent.h - objects whose settings can be copied from one another and that know the name of
// their class (for messages and for the stored window definitions).
//
// Classes in this file:
//   TPersistent   Assign / AssignTo, the double dispatch of copying settings, and ClassName
#pragma once

#include "framework/Events.h"

#include <string>

namespace framework {

class TPersistent : public TObject {
public:
    TPersistent() = default;
    ~TPersistent() override = default;
    TPersistent(const TPersistent&) = delete;
    TPersistent& operator=(const TPersistent&) = delete;

    /// The name of the object's most derived class, without namespaces ("TcxLookAndFeel").
    std::string ClassName() const;

    /// Copies the settings of source onto this object. A class that knows how to take a source's
    /// settings overrides it and passes any other source to this default, which asks the source
    /// to copy itself onto this object (AssignTo).
    virtual void Assign(const TPersistent& source);

protected:
    /// Copies this object's settings onto dest. The default knows no target and throws
    /// EConvertError "Cannot assign a <this class> to a <dest class>".
    virtual void AssignTo(TPersistent& dest) const;
};

} // namespace framework
