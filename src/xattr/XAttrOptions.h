#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>

namespace pigmo::xattr {

// Option flags of the extended-attribute calls. The raw values are the portable ones the stored formats and
// callers know (1, 2, 4, 32); the module maps them to the Linux calls: `noFollow` selects the l* calls that
// act on a symbolic link itself, `create` and `replace` become XATTR_CREATE and XATTR_REPLACE, and
// `showCompression` has no Linux meaning and is ignored. The empty set is the default.
class XAttrOptions {
public:
    using RawValue = std::int32_t;

    static const XAttrOptions noFollow;
    static const XAttrOptions create;
    static const XAttrOptions replace;
    static const XAttrOptions showCompression;

    constexpr XAttrOptions() noexcept = default;
    constexpr explicit XAttrOptions(RawValue rawValue) noexcept
        : raw_(rawValue)
    {
    }
    // The union of the listed members.
    constexpr XAttrOptions(std::initializer_list<XAttrOptions> members) noexcept
    {
        for (const XAttrOptions member : members)
            raw_ |= member.raw_;
    }

    constexpr RawValue rawValue() const noexcept { return raw_; }
    constexpr bool isEmpty() const noexcept { return raw_ == 0; }

    constexpr XAttrOptions unionWith(XAttrOptions other) const noexcept { return XAttrOptions(raw_ | other.raw_); }
    constexpr XAttrOptions intersection(XAttrOptions other) const noexcept { return XAttrOptions(raw_ & other.raw_); }
    constexpr XAttrOptions symmetricDifference(XAttrOptions other) const noexcept
    {
        return XAttrOptions(raw_ ^ other.raw_);
    }
    constexpr XAttrOptions subtracting(XAttrOptions other) const noexcept { return XAttrOptions(raw_ & ~other.raw_); }

    constexpr bool contains(XAttrOptions member) const noexcept { return (raw_ & member.raw_) == member.raw_; }
    constexpr bool isSubset(XAttrOptions of) const noexcept { return (raw_ & ~of.raw_) == 0; }
    constexpr bool isDisjoint(XAttrOptions with) const noexcept { return (raw_ & with.raw_) == 0; }

    // True when the member was not yet (wholly) in the set.
    constexpr bool insert(XAttrOptions member) noexcept
    {
        const bool inserted = !contains(member);
        raw_ |= member.raw_;
        return inserted;
    }
    // The part of `member` that was in the set, or nothing when none of it was.
    constexpr std::optional<XAttrOptions> remove(XAttrOptions member) noexcept
    {
        const XAttrOptions removed = intersection(member);
        raw_ &= ~member.raw_;
        return removed.isEmpty() ? std::nullopt : std::optional(removed);
    }
    // Inserts `member`; returns the part of it that was already in the set, if any.
    constexpr std::optional<XAttrOptions> update(XAttrOptions member) noexcept
    {
        const XAttrOptions present = intersection(member);
        raw_ |= member.raw_;
        return present.isEmpty() ? std::nullopt : std::optional(present);
    }

    friend constexpr XAttrOptions operator|(XAttrOptions a, XAttrOptions b) noexcept { return a.unionWith(b); }
    friend constexpr XAttrOptions operator&(XAttrOptions a, XAttrOptions b) noexcept { return a.intersection(b); }
    friend constexpr XAttrOptions operator^(XAttrOptions a, XAttrOptions b) noexcept
    {
        return a.symmetricDifference(b);
    }
    friend constexpr XAttrOptions operator-(XAttrOptions a, XAttrOptions b) noexcept { return a.subtracting(b); }
    friend constexpr bool operator==(XAttrOptions, XAttrOptions) noexcept = default;

private:
    RawValue raw_ = 0;
};

inline constexpr XAttrOptions XAttrOptions::noFollow(1);
inline constexpr XAttrOptions XAttrOptions::create(2);
inline constexpr XAttrOptions XAttrOptions::replace(4);
inline constexpr XAttrOptions XAttrOptions::showCompression(32);

} // namespace pigmo::xattr
