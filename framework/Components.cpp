#include "framework/Components.h"

#include "framework/Exceptions.h"
#include "framework/NamedValues.h"

#include <map>
#include <optional>
#include <utility>

namespace framework {

namespace {

std::map<std::string, ComponentFactory>& ClassRegistry() {
    static std::map<std::string, ComponentFactory> registry;
    return registry;
}

constexpr NamedValue<TColor> kColorNames[] = {
    {"clBlack", clBlack},         {"clMaroon", clMaroon},
    {"clGreen", clGreen},         {"clOlive", clOlive},
    {"clNavy", clNavy},           {"clPurple", clPurple},
    {"clTeal", clTeal},           {"clGray", clGray},
    {"clSilver", clSilver},       {"clRed", clRed},
    {"clLime", clLime},           {"clYellow", clYellow},
    {"clBlue", clBlue},           {"clFuchsia", clFuchsia},
    {"clAqua", clAqua},           {"clWhite", clWhite},
    {"clNone", clNone},           {"clDefault", clDefault},
    {"clWindow", clWindow},       {"clWindowText", clWindowText},
    {"clBtnFace", clBtnFace},     {"clBtnText", clBtnText},
    {"clBtnShadow", clBtnShadow}, {"clBtnHighlight", clBtnHighlight},
    {"clHighlight", clHighlight}, {"clHighlightText", clHighlightText},
    {"clGrayText", clGrayText},   {"clInfoBk", clInfoBk},
    {"clInfoText", clInfoText},
};

constexpr NamedValue<bool> kBooleanNames[] = {
    {"true", true}, {"True", true}, {"false", false}, {"False", false}};

} // namespace

bool ParseBoolean(const DefinitionProperty& property) {
    property.ExpectCount(1);
    if (const std::optional<bool> value = ValueOfName(kBooleanNames, property.Identifier()))
        return *value;
    property.Fail("expected true or false");
}

TColor ParseColor(const DefinitionProperty& property, size_t index) {
    if (index < property.values.size() &&
        property.values[index].kind == DefinitionValue::Kind::Number)
        return static_cast<TColor>(property.values[index].number);
    const std::string& name = property.Identifier(index);
    if (const std::optional<TColor> color = ValueOfName(kColorNames, name))
        return *color;
    property.Fail("unknown colour " + name);
}

void RegisterControlClass(const std::string& className, ComponentFactory factory) {
    ClassRegistry()[className] = std::move(factory);
}

std::unique_ptr<TComponent> CreateComponent(const std::string& className) {
    auto it = ClassRegistry().find(className);
    if (it == ClassRegistry().end())
        throw EDefinitionError("Class " + className + " not found");
    return it->second();
}

void TPropertyObject::ApplyProperty(const DefinitionProperty& property, TDefinitionLoader&) {
    property.Fail("unknown property of " + DisplayName());
}

TPropertyObject* TPropertyObject::NestedObject(std::string_view) {
    return nullptr;
}

void ApplyDefinitionProperty(TPropertyObject& target, const DefinitionProperty& property,
                             TDefinitionLoader& loader) {
    if (property.name.find('.') == std::string::npos) {
        target.ApplyProperty(property, loader);
        return;
    }
    TPropertyObject* object = &target;
    std::string_view path = property.name;
    for (size_t dot; (dot = path.find('.')) != std::string_view::npos;
         path.remove_prefix(dot + 1)) {
        std::string_view segment = path.substr(0, dot);
        TPropertyObject* nested = segment.empty() ? nullptr : object->NestedObject(segment);
        if (!nested)
            property.Fail("no object " + std::string(segment) + " in " + object->DisplayName());
        object = nested;
    }
    DefinitionProperty last = property;
    last.name = std::string(path);
    object->ApplyProperty(last, loader);
}

} // namespace framework
