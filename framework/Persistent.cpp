#include "framework/Persistent.h"

#include "framework/Exceptions.h"

#include <typeinfo>

#if defined(__GNUC__)
#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#endif

namespace framework {

namespace {

std::string Demangled(const char* name) {
#if defined(__GNUC__)
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> readable(
        abi::__cxa_demangle(name, nullptr, nullptr, &status), &std::free);
    if (status == 0 && readable)
        return readable.get();
#endif
    return name; // other compilers give "class ns::Name"
}

} // namespace

std::string TPersistent::ClassName() const {
    std::string name = Demangled(typeid(*this).name());
    if (const auto space = name.rfind(' '); space != std::string::npos)
        name.erase(0, space + 1);
    if (const auto scope = name.rfind("::"); scope != std::string::npos)
        name.erase(0, scope + 2);
    return name;
}

void TPersistent::Assign(const TPersistent& source) {
    source.AssignTo(*this);
}

void TPersistent::AssignTo(TPersistent& dest) const {
    throw EConvertError("Cannot assign a " + ClassName() + " to a " + dest.ClassName());
}

} // namespace framework
