#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ciphora {

// The Variant that holds a directory listing: Empty before any listing, Null
// after a listing that found nothing, or an array indexed from 0 whose
// entries each hold a file name or are Empty.
class NameListVariant {
public:
    using Entry = std::optional<std::string>;

    static NameListVariant Empty() { return NameListVariant(Kind::Empty); }
    static NameListVariant Null() { return NameListVariant(Kind::Null); }
    // An array with indexes 0 to `highestIndex`, all entries Empty.
    static NameListVariant Array(std::int32_t highestIndex);

    bool IsEmpty() const { return kind_ == Kind::Empty; }
    bool IsNull() const { return kind_ == Kind::Null; }
    bool IsArray() const { return kind_ == Kind::Array; }

    // Highest index of an array.
    std::int32_t UBound() const { return static_cast<std::int32_t>(entries_.size()) - 1; }
    const Entry& operator[](std::int32_t index) const { return entries_.at(static_cast<std::size_t>(index)); }
    void Store(std::int32_t index, std::string name) { entries_.at(static_cast<std::size_t>(index)) = std::move(name); }
    // Resizes an array to indexes 0 to `highestIndex`, keeping its entries.
    void Preserve(std::int32_t highestIndex) { entries_.resize(static_cast<std::size_t>(highestIndex) + 1); }

    bool operator==(const NameListVariant&) const = default;

private:
    enum class Kind { Empty, Null, Array };
    explicit NameListVariant(Kind kind) : kind_(kind) {}

    Kind kind_;
    std::vector<Entry> entries_;
};

inline NameListVariant NameListVariant::Array(std::int32_t highestIndex) {
    NameListVariant array(Kind::Array);
    array.Preserve(highestIndex);
    return array;
}

}  // namespace ciphora
