#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <initializer_list>
#include <optional>

namespace pigmo {

// The glyph libraries the keyword index knows. An icon key names its library before the first ":"
// ("lucide:folder", "sf:folder.fill", "emoji:📁"); `custom` exists only in the sibling vote.
enum class IconLibrary : uint8_t { lucide, sf, emoji, custom };

QString libraryName(IconLibrary library); // "lucide", "sf", "emoji", "custom"
std::optional<IconLibrary> libraryNamed(QStringView name);

// A set of libraries (used as a filter: an absent set means every library).
class LibrarySet {
public:
    LibrarySet() = default;
    LibrarySet(std::initializer_list<IconLibrary> libraries)
    {
        for (IconLibrary library : libraries)
            bits_ |= bit(library);
    }

    bool contains(IconLibrary library) const { return (bits_ & bit(library)) != 0; }
    bool isEmpty() const { return bits_ == 0; }
    // The member that comes first in declaration order; nothing for the empty set.
    std::optional<IconLibrary> first() const
    {
        for (auto library : {IconLibrary::lucide, IconLibrary::sf, IconLibrary::emoji, IconLibrary::custom}) {
            if (contains(library))
                return library;
        }
        return std::nullopt;
    }

    friend bool operator==(LibrarySet, LibrarySet) = default;

private:
    static uint8_t bit(IconLibrary library) { return static_cast<uint8_t>(1u << static_cast<unsigned>(library)); }
    uint8_t bits_ = 0;
};

// The library argument of an icon search, a one-byte code.
enum class LibraryFilter : uint8_t { all = 0, lucide = 1, sf = 2, emoji = 3 };

// The code that filters a search on one library; `all` for `custom`, which no search can single out.
LibraryFilter filterFor(IconLibrary library);

// The set a filter code stands for: nothing (no filter) for `all` and for codes outside 0-3.
std::optional<LibrarySet> librariesFor(LibraryFilter filter);

} // namespace pigmo
