// StringList.h - an ordered list of 8-bit strings.
#pragma once

#include <string>
#include <vector>

namespace framework {

/// An ordered, unsorted list of strings; positions count from 0.
class TStringList {
public:
    int Count() const noexcept { return static_cast<int>(items_.size()); }
    const std::string& operator[](int index) const { return items_.at(static_cast<size_t>(index)); }
    void Add(std::string text) { items_.push_back(std::move(text)); }
    void Clear() noexcept { items_.clear(); }
    void Reserve(int count) { items_.reserve(static_cast<size_t>(count)); }

    auto begin() const noexcept { return items_.begin(); }
    auto end() const noexcept { return items_.end(); }

private:
    std::vector<std::string> items_;
};

} // namespace framework
