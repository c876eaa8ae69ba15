#pragma once

namespace pigmo::xattr {

// Options of the extended-attribute calls: `noFollow` selects the l* calls that act on a symbolic link
// itself, `create` and `replace` become XATTR_CREATE and XATTR_REPLACE. The empty set is the default.
class XAttrOptions {
public:
    static const XAttrOptions noFollow;
    static const XAttrOptions create;
    static const XAttrOptions replace;

    constexpr XAttrOptions() noexcept = default;

    constexpr bool isEmpty() const noexcept { return bits_ == 0; }
    // Whether every option of `member` is set.
    constexpr bool contains(XAttrOptions member) const noexcept { return (bits_ & member.bits_) == member.bits_; }

    friend constexpr XAttrOptions operator|(XAttrOptions a, XAttrOptions b) noexcept
    {
        return XAttrOptions(a.bits_ | b.bits_);
    }
    friend constexpr bool operator==(XAttrOptions, XAttrOptions) noexcept = default;

private:
    constexpr explicit XAttrOptions(unsigned bits) noexcept
        : bits_(bits)
    {
    }
    unsigned bits_ = 0;
};

inline constexpr XAttrOptions XAttrOptions::noFollow(1u << 0);
inline constexpr XAttrOptions XAttrOptions::create(1u << 1);
inline constexpr XAttrOptions XAttrOptions::replace(1u << 2);

} // namespace pigmo::xattr
