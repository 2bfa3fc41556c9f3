#pragma once
// A text field of fixed capacity, counted in single bytes (Windows-1252), the way
// the stored formats hold labels (15), list file names (39), the instruction file
// name (40) and page texts (999). It never holds more than its capacity.

#include <cstddef>
#include <string>
#include <string_view>

template <std::size_t Capacity>
class BoundedText {
public:
    static constexpr std::size_t capacity = Capacity;

    BoundedText() = default;

    // Stores at most Capacity bytes of text; returns false when it had to cut.
    bool assign(std::string_view text)
    {
        const bool fits = text.size() <= Capacity;
        value_.assign(text.substr(0, fits ? text.size() : Capacity));
        return fits;
    }

    void clear() { value_.clear(); }
    bool empty() const { return value_.empty(); }
    std::size_t size() const { return value_.size(); }
    const std::string& str() const { return value_; }
    std::string_view view() const { return value_; }
    operator std::string_view() const { return value_; }

    friend bool operator==(const BoundedText& a, const BoundedText& b) { return a.value_ == b.value_; }
    friend bool operator==(const BoundedText& a, std::string_view b) { return a.value_ == b; }

private:
    std::string value_;
};

// True when the text holds a blank, tab, line break or other white space byte: such
// a name or entry would read back as several tokens.
bool containsWhiteSpace(std::string_view text);
