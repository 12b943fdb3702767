// Exceptions.h - the exception kinds of the runtime.
//
// Classes in this file:
//   Exception          base of every exception the program raises: a message, a class name for
//                      reports, and the code address where it was raised
//   EAbort             the silent kind: abandons an operation without any report
//   EInvalidOperation  an operation asked of a window in the wrong state
//   EDefinitionError   a stored window definition that cannot be read or applied
//   EConvertError      a value or an object that cannot be converted to the kind asked for
#pragma once

#include <exception>
#include <string>

namespace framework {

class Exception : public std::exception {
public:
    explicit Exception(std::string message);

    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const noexcept { return message_; }
    /// The name shown in start-up failure reports.
    virtual const char* ClassName() const noexcept { return "Exception"; }
    /// A code address inside the module that raised the exception.
    const void* Address() const noexcept { return address_; }

private:
    std::string message_;
    const void* address_;
};

#define FRAMEWORK_EXCEPTION_KIND(Name, Base)                                                       \
    class Name : public Base {                                                                     \
    public:                                                                                        \
        using Base::Base;                                                                          \
        const char* ClassName() const noexcept override { return #Name; }                          \
    }

FRAMEWORK_EXCEPTION_KIND(EAbort, Exception);
FRAMEWORK_EXCEPTION_KIND(EInvalidOperation, Exception);
FRAMEWORK_EXCEPTION_KIND(EDefinitionError, Exception);
FRAMEWORK_EXCEPTION_KIND(EConvertError, Exception);

/// Raises the silent exception.
[[noreturn]] void Abort();

} // namespace framework
