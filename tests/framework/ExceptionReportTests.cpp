#include "framework/ExceptionReport.h"
#include "framework/Exceptions.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

TEST(FullStopRule, AppendsOnlyAfterCharactersAboveTheFullStop) {
    EXPECT_EQ(framework::WithFullStop("Disk full"), "Disk full.");
    EXPECT_EQ(framework::WithFullStop("Disk 9"), "Disk 9.");
    EXPECT_EQ(framework::WithFullStop("Why?"), "Why?.");
    EXPECT_EQ(framework::WithFullStop("Cause:"), "Cause:.");
    EXPECT_EQ(framework::WithFullStop("Done."), "Done.");
    EXPECT_EQ(framework::WithFullStop("Stop!"), "Stop!");
    EXPECT_EQ(framework::WithFullStop("(see log)"), "(see log)");
    EXPECT_EQ(framework::WithFullStop(""), "");
}

TEST(FullStopRule, ComparesBytesUnsigned) {
    // A message ending in a character of the upper half of the code page gets a full stop too.
    EXPECT_EQ(framework::WithFullStop("Caf\xE9"), "Caf\xE9.");
}

TEST(Exceptions, CarryClassNameAndAnAddressInThisModule) {
    try {
        throw framework::EInvalidOperation("Cannot make a visible window modal");
    } catch (const framework::Exception& e) {
        EXPECT_STREQ(e.ClassName(), "EInvalidOperation");
        HMODULE module = nullptr;
        ASSERT_TRUE(::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                         static_cast<LPCSTR>(e.Address()), &module));
        EXPECT_EQ(module, ::GetModuleHandleA(nullptr));
    }
}

} // namespace
