#include "framework/Exceptions.h"
#include "framework/WindowDefinition.h"

#include <gtest/gtest.h>

namespace {

using framework::DefinitionValue;
using framework::ParseDefinition;

TEST(WindowDefinition, ReadsNestedControlsPropertiesAndValueKinds) {
    auto root = ParseDefinition("# heading comment\n"
                                "TForm1 Form1 {\n"
                                "  Caption: \"A \\\"quoted\\\" \\x41\\\\b\"  # trailing comment\n"
                                "  Bounds: 1 -2 $FF $80000005\n"
                                "  Font: \"MS Sans Serif\" -11 bold\n"
                                "  TPanel Panel1 {\n"
                                "    TLabel Label1 { }\n"
                                "  }\n"
                                "  TTreeView Tree { OnChange: TreeChange }\n"
                                "}\n",
                                "test");
    EXPECT_EQ(root.className, "TForm1");
    EXPECT_EQ(root.name, "Form1");
    ASSERT_EQ(root.properties.size(), 3u);
    EXPECT_EQ(root.properties[0].String(), "A \"quoted\" A\\b");
    const auto& bounds = root.properties[1];
    ASSERT_EQ(bounds.values.size(), 4u);
    EXPECT_EQ(bounds.Number(0), 1);
    EXPECT_EQ(bounds.Number(1), -2);
    EXPECT_EQ(bounds.Number(2), 255);
    // A hex number is a 32-bit pattern, as system colour references are written.
    EXPECT_EQ(static_cast<std::uint32_t>(bounds.Number(3)), 0x80000005u);
    EXPECT_EQ(root.properties[2].values[2].kind, DefinitionValue::Kind::Identifier);
    ASSERT_EQ(root.children.size(), 2u);
    EXPECT_EQ(root.children[0].children.at(0).name, "Label1");
    EXPECT_EQ(root.children[1].properties.at(0).Identifier(), "TreeChange");
    EXPECT_EQ(root.children[1].line, 9);
    EXPECT_NE(root.Find("Font"), nullptr);
    EXPECT_EQ(root.Find("Colour"), nullptr);
}

TEST(WindowDefinition, FaultsNameTheSourceAndLine) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"TForm1 Form1 {\n  Caption: \"open\n}\n", "def line 2: unterminated string"},
        {"TForm1 Form1 {\n  Caption:\n}\n", "def line 2: property Caption has no value"},
        {"TForm1 Form1 {\n  Left: 12abc\n}\n", "def line 2: malformed number"},
        {"TForm1 Form1 {\n  Left: 99999999999\n}\n", "def line 2: number out of range"},
        {"TForm1 Form1 {\n  TLabel L {\n", "def line 3: missing \"}\" for L"},
        {"TForm1 Form1 {\n}\nTForm2 Form2 {\n}\n", "def line 3: text after the end"},
        {"TForm1 {\n}\n", "def line 1: expected a control name"},
        {"TForm1 Form1 {\n  Caption: \"\\q\"\n}\n", "def line 2: unknown escape \\q"},
        {"TForm1 Form1 {\n  Left: @\n}\n", "def line 2: unexpected character '@' in Left"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            ParseDefinition(c.text, "def");
            ADD_FAILURE() << "no error";
        } catch (const framework::EDefinitionError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.expected, 0), 0u) << e.what();
        }
    }
}

TEST(WindowDefinition, ValueAccessorsRejectTheWrongKind) {
    auto root = ParseDefinition("T N {\n  Left: abc\n}\n", "def");
    EXPECT_THROW(root.properties[0].Number(), framework::EDefinitionError);
    EXPECT_THROW(root.properties[0].String(), framework::EDefinitionError);
    EXPECT_THROW(root.properties[0].ExpectCount(2), framework::EDefinitionError);
    EXPECT_EQ(root.properties[0].Identifier(), "abc");
}

TEST(WindowDefinition, MissingResourceIsADefinitionError) {
    EXPECT_THROW(framework::LoadDefinition("NO_SUCH_DEFINITION"), framework::EDefinitionError);
    EXPECT_EQ(framework::LoadDefinition("TTestForm").name, "TestForm");
}

} // namespace
