#include "catalogue/IconLibrary.h"

namespace pigmo {

QString libraryName(IconLibrary library)
{
    switch (library) {
    case IconLibrary::lucide:
        return QStringLiteral("lucide");
    case IconLibrary::sf:
        return QStringLiteral("sf");
    case IconLibrary::emoji:
        return QStringLiteral("emoji");
    case IconLibrary::custom:
        return QStringLiteral("custom");
    }
    return {};
}

std::optional<IconLibrary> libraryNamed(QStringView name)
{
    for (auto library : {IconLibrary::lucide, IconLibrary::sf, IconLibrary::emoji, IconLibrary::custom}) {
        if (name == libraryName(library))
            return library;
    }
    return std::nullopt;
}

LibraryFilter filterFor(IconLibrary library)
{
    switch (library) {
    case IconLibrary::lucide:
        return LibraryFilter::lucide;
    case IconLibrary::sf:
        return LibraryFilter::sf;
    case IconLibrary::emoji:
        return LibraryFilter::emoji;
    case IconLibrary::custom:
        break;
    }
    return LibraryFilter::all;
}

std::optional<LibrarySet> librariesFor(LibraryFilter filter)
{
    switch (filter) {
    case LibraryFilter::lucide:
        return LibrarySet{IconLibrary::lucide};
    case LibraryFilter::sf:
        return LibrarySet{IconLibrary::sf};
    case LibraryFilter::emoji:
        return LibrarySet{IconLibrary::emoji};
    case LibraryFilter::all:
        break;
    }
    return std::nullopt;
}

} // namespace pigmo
