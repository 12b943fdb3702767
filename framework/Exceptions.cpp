#include "framework/Exceptions.h"

namespace framework {

#if defined(_MSC_VER)
#include <intrin.h>
#define FRAMEWORK_NOINLINE __declspec(noinline)
#define FRAMEWORK_RETURN_ADDRESS() _ReturnAddress()
#else
#define FRAMEWORK_NOINLINE __attribute__((noinline))
#define FRAMEWORK_RETURN_ADDRESS() __builtin_return_address(0)
#endif

// Not inlined, so that the return address lies in the code that raised the exception.
FRAMEWORK_NOINLINE Exception::Exception(std::string message)
    : message_(std::move(message)), address_(FRAMEWORK_RETURN_ADDRESS()) {}

void Abort() {
    throw EAbort("Operation aborted");
}

} // namespace framework
