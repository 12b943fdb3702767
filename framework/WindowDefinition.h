// WindowDefinition.h - the stored description of a window and its controls, and its reader.
//
// A definition is plain text, stored as an RCDATA resource named after the window's class:
//
//     # comment to the end of the line
//     TMainForm MainForm {
//         Caption: " "
//         ClientSize: 372 441
//         OnCreate: FormCreate
//         TTreeView TreeView {
//             Bounds: 8 148 353 225
//             Images: ImageList1
//         }
//     }
//
// Each block is a control: its class, its name, then properties ("Name: value...") and nested
// controls in creation order. A value is a sequence of tokens: strings in double quotes (with the
// escapes \" \\ \n \r \t and \xHH), decimal numbers (optionally negative) or $-prefixed hex
// numbers, and identifiers (letters, digits, "_", "-" and "."). A property ends at the end of its
// line.
#pragma once

#include "framework/NamedValues.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace framework {

struct DefinitionValue {
    enum class Kind { String, Number, Identifier };
    Kind kind = Kind::Identifier;
    std::string text; // the string's characters or the identifier
    long number = 0;
};

struct DefinitionProperty {
    std::string name;
    std::vector<DefinitionValue> values;
    int line = 0;

    /// The value at index as a number, a string or an identifier; throws EDefinitionError naming
    /// the property and line when it is missing or of another kind.
    long Number(size_t index = 0) const;
    const std::string& String(size_t index = 0) const;
    const std::string& Identifier(size_t index = 0) const;
    /// Throws unless the property has exactly count values.
    void ExpectCount(size_t count) const;
    /// Throws EDefinitionError "<source> line N: <what>".
    [[noreturn]] void Fail(const std::string& what) const;
    /// The identifier at index as a value of Enum, names being the enumeration's identifiers in
    /// the order of its values; fails with "unknown <what> <identifier>" for any other.
    template <typename Enum, size_t N>
    Enum Enumerated(const char* const (&names)[N], const char* what, size_t index = 0) const {
        const std::string& identifier = Identifier(index);
        if (const std::optional<Enum> value = ValueOfName<Enum>(names, identifier))
            return *value;
        Fail(std::string("unknown ") + what + " " + identifier);
    }

    std::string source; // where the definition came from, for messages
};

struct DefinitionNode {
    std::string className;
    std::string name;
    std::vector<DefinitionProperty> properties;
    std::vector<DefinitionNode> children;
    int line = 0;
    std::string source;

    const DefinitionProperty* Find(std::string_view propertyName) const;
};

/// Reads a definition; throws EDefinitionError with the source name and line on any fault.
DefinitionNode ParseDefinition(std::string_view text, const std::string& sourceName);

/// Reads the RCDATA resource resourceName of module (the program when null) and parses it.
/// A missing resource is an EDefinitionError.
DefinitionNode LoadDefinition(const char* resourceName, HMODULE module = nullptr);
/// The bytes of an RCDATA resource of module (null: the program); EDefinitionError when there is
/// none. They stay valid while the module is loaded.
std::string_view ResourceData(const char* resourceName, HMODULE module = nullptr);

} // namespace framework
