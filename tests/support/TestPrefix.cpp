// TestPrefix.cpp - the test prefix's marker and the guard built on it.
#include "tests/support/TestPrefix.h"

#include <stdexcept>
#include <string>

namespace testsupport {

bool InsideTestPrefix() {
    HKEY marker = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kTestPrefixMarkerKey, 0, KEY_QUERY_VALUE, &marker) !=
        ERROR_SUCCESS)
        return false;
    ::RegCloseKey(marker);
    return true;
}

void RequireTestPrefix(const char* what) {
    if (InsideTestPrefix())
        return;
    throw std::runtime_error(std::string("refusing to ") + what + ": HKEY_LOCAL_MACHINE\\" +
                             kTestPrefixMarkerKey +
                             " is missing, so this is not a private Wine prefix made by "
                             "tools/winerun (`make test` and `make bench` run in one)");
}

} // namespace testsupport
