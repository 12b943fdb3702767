#include "framework/WindowDefinition.h"

#include "framework/Exceptions.h"

#include <cctype>
#include <cstdint>

namespace framework {

namespace {

class Parser {
public:
    Parser(std::string_view text, const std::string& source) : text_(text), source_(source) {}

    DefinitionNode ParseDocument() {
        SkipBlank(true);
        DefinitionNode root = ParseNode();
        SkipBlank(true);
        if (pos_ < text_.size())
            Fail("text after the end of the window");
        return root;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw EDefinitionError(source_ + " line " + std::to_string(line_) + ": " + what);
    }

    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }

    // Skips blanks and comments; also line ends when acrossLines.
    void SkipBlank(bool acrossLines) {
        while (!AtEnd()) {
            char c = Peek();
            if (c == '#') {
                while (!AtEnd() && Peek() != '\n')
                    ++pos_;
            } else if (c == '\n' && acrossLines) {
                ++line_;
                ++pos_;
            } else if (c == ' ' || c == '\t' || c == '\r') {
                ++pos_;
            } else {
                break;
            }
        }
    }

    static bool IsIdentifierStart(char c) {
        return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
    }
    static bool IsIdentifierChar(char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.';
    }

    std::string ReadIdentifier(const char* what) {
        if (!IsIdentifierStart(Peek()))
            Fail(std::string("expected ") + what);
        size_t start = pos_;
        while (!AtEnd() && IsIdentifierChar(Peek()))
            ++pos_;
        return std::string(text_.substr(start, pos_ - start));
    }

    DefinitionNode ParseNode() {
        DefinitionNode node;
        node.line = line_;
        node.source = source_;
        node.className = ReadIdentifier("a control class");
        SkipBlank(false);
        node.name = ReadIdentifier("a control name");
        SkipBlank(true);
        if (Peek() != '{')
            Fail("expected \"{\" after " + node.name);
        ++pos_;
        for (;;) {
            SkipBlank(true);
            if (AtEnd())
                Fail("missing \"}\" for " + node.name);
            if (Peek() == '}') {
                ++pos_;
                return node;
            }
            // "Name:" starts a property; "Class Name {" a nested control.
            size_t mark = pos_;
            int markLine = line_;
            std::string first = ReadIdentifier("a property or a control");
            SkipBlank(false);
            if (Peek() == ':') {
                ++pos_;
                node.properties.push_back(ParseValues(first, markLine));
            } else {
                pos_ = mark;
                line_ = markLine;
                node.children.push_back(ParseNode());
            }
        }
    }

    DefinitionProperty ParseValues(std::string name, int line) {
        DefinitionProperty property;
        property.name = std::move(name);
        property.line = line;
        property.source = source_;
        for (;;) {
            SkipBlank(false);
            char c = Peek();
            if (AtEnd() || c == '\n' || c == '}')
                break;
            DefinitionValue value;
            if (c == '"') {
                value.kind = DefinitionValue::Kind::String;
                value.text = ReadString();
            } else if (c == '$' || c == '-' || std::isdigit(static_cast<unsigned char>(c))) {
                value.kind = DefinitionValue::Kind::Number;
                value.number = ReadNumber();
            } else if (IsIdentifierStart(c)) {
                value.kind = DefinitionValue::Kind::Identifier;
                value.text = ReadIdentifier("a value");
            } else {
                Fail(std::string("unexpected character '") + c + "' in " + property.name);
            }
            property.values.push_back(std::move(value));
        }
        if (property.values.empty())
            Fail("property " + property.name + " has no value");
        return property;
    }

    std::string ReadString() {
        ++pos_; // opening quote
        std::string out;
        for (;;) {
            if (AtEnd() || Peek() == '\n')
                Fail("unterminated string");
            char c = text_[pos_++];
            if (c == '"')
                return out;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (AtEnd())
                Fail("unterminated string");
            char e = text_[pos_++];
            switch (e) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'x': {
                int v = 0;
                for (int i = 0; i < 2; ++i) {
                    if (AtEnd() || !std::isxdigit(static_cast<unsigned char>(Peek())))
                        Fail("\\x needs two hex digits");
                    char h = text_[pos_++];
                    v = v * 16 + (std::isdigit(static_cast<unsigned char>(h))
                                      ? h - '0'
                                      : std::tolower(static_cast<unsigned char>(h)) - 'a' + 10);
                }
                out += static_cast<char>(v);
                break;
            }
            default: Fail(std::string("unknown escape \\") + e);
            }
        }
    }

    long ReadNumber() {
        bool negative = false;
        if (Peek() == '-') {
            negative = true;
            ++pos_;
        }
        int base = 10;
        if (Peek() == '$') {
            base = 16;
            ++pos_;
        }
        long long value = 0;
        size_t digits = 0;
        while (!AtEnd()) {
            char c = Peek();
            int d;
            if (std::isdigit(static_cast<unsigned char>(c)))
                d = c - '0';
            else if (base == 16 && std::isxdigit(static_cast<unsigned char>(c)))
                d = std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
            else
                break;
            value = value * base + d;
            if (value > 0xFFFFFFFFLL)
                Fail("number out of range");
            ++digits;
            ++pos_;
        }
        if (digits == 0 || IsIdentifierChar(Peek()))
            Fail("malformed number");
        // Hex numbers are 32-bit patterns (colours such as $80000005).
        long result = base == 16 ? static_cast<long>(static_cast<std::int32_t>(value))
                                 : static_cast<long>(value);
        return negative ? -result : result;
    }

    std::string_view text_;
    std::string source_;
    size_t pos_ = 0;
    int line_ = 1;
};

} // namespace

void DefinitionProperty::Fail(const std::string& what) const {
    throw EDefinitionError(source + " line " + std::to_string(line) + ": " + name + ": " + what);
}

void DefinitionProperty::ExpectCount(size_t count) const {
    if (values.size() != count)
        Fail("expected " + std::to_string(count) + " value(s), found " +
             std::to_string(values.size()));
}

long DefinitionProperty::Number(size_t index) const {
    if (index >= values.size() || values[index].kind != DefinitionValue::Kind::Number)
        Fail("expected a number");
    return values[index].number;
}

const std::string& DefinitionProperty::String(size_t index) const {
    if (index >= values.size() || values[index].kind != DefinitionValue::Kind::String)
        Fail("expected a string");
    return values[index].text;
}

const std::string& DefinitionProperty::Identifier(size_t index) const {
    if (index >= values.size() || values[index].kind != DefinitionValue::Kind::Identifier)
        Fail("expected a name");
    return values[index].text;
}

const DefinitionProperty* DefinitionNode::Find(std::string_view propertyName) const {
    for (const auto& p : properties)
        if (p.name == propertyName)
            return &p;
    return nullptr;
}

DefinitionNode ParseDefinition(std::string_view text, const std::string& sourceName) {
    return Parser(text, sourceName).ParseDocument();
}

std::string_view ResourceData(const char* resourceName, HMODULE module) {
    if (!module)
        module = ::GetModuleHandleA(nullptr);
    HRSRC info = ::FindResourceA(module, resourceName, MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    HGLOBAL data = info ? ::LoadResource(module, info) : nullptr;
    const void* bytes = data ? ::LockResource(data) : nullptr;
    if (!bytes)
        throw EDefinitionError(std::string("Resource ") + resourceName + " not found");
    return {static_cast<const char*>(bytes), ::SizeofResource(module, info)};
}

DefinitionNode LoadDefinition(const char* resourceName, HMODULE module) {
    return ParseDefinition(ResourceData(resourceName, module), resourceName);
}

} // namespace framework
