#include "storage/FolderStylesFile.h"

#include "model/StyleJson.h"

#include <simdjson.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <future>

namespace pigmo {
namespace {

// Whether reading the styles file decodes every style, or checks them all (the same verdict and the same
// failure as decoding) and keeps the others as read, to be decoded when someone asks for them.
enum class StyleDecode { all, onDemand };

// Where a member of the styles object lies in the file's text: its name's opening quote, and its value
// without the spaces around it.
struct MemberPlace {
    qsizetype nameBegin;
    qsizetype valueBegin;
    qsizetype valueEnd;
};

// Each member's place in the file's text, in the file's order; empty when the text cannot be walked this
// way (the styles are then encoded again when saved).
std::vector<MemberPlace> memberPlaces(const QByteArray& bytes)
{
    namespace od = simdjson::ondemand;
    od::parser parser;
    // The text where it lies when it has the room, otherwise a padded copy.
    std::optional<simdjson::padded_string> copy;
    if (!json::hasParsePadding(bytes))
        copy.emplace(bytes.constData(), static_cast<size_t>(bytes.size()));
    const simdjson::padded_string_view text =
        copy ? simdjson::padded_string_view(*copy)
             : simdjson::padded_string_view(bytes.constData(), static_cast<size_t>(bytes.size()),
                                            static_cast<size_t>(bytes.size() + json::parsePadding));
    od::document document;
    od::object object;
    if (parser.iterate(text).get(document) || document.get_object().get(object))
        return {};
    const auto offset = [&text](const char* at) { return static_cast<qsizetype>(at - text.data()); };
    std::vector<MemberPlace> places;
    for (auto field : object) {
        const char* name = field.key().raw(); // just after the opening quote
        od::object style;                     // every style is an object: the decode has checked that
        std::string_view raw;
        if (field.value().get_object().get(style) || style.raw_json().get(raw))
            return {};
        const QByteArrayView value = QByteArrayView(raw.data(), static_cast<qsizetype>(raw.size())).trimmed();
        places.push_back({offset(name) - 1, offset(value.data()), offset(value.data()) + value.size()});
    }
    return places;
}

// The member's text as a save writes it ("path":style, the style as read): the file's own stretch when it
// is just that, otherwise a copy put together.
StyleMemberText memberText(const QByteArray& bytes, const QString& folder, std::string_view folderUtf8,
                           const MemberPlace& place)
{
    const qsizetype nameEnd = place.valueBegin - 1; // where a ':' right after the name stands
    if (nameEnd > place.nameBegin && bytes[nameEnd] == ':' &&
        json::isQuoted(QByteArrayView(bytes).sliced(place.nameBegin, nameEnd - place.nameBegin), folderUtf8))
        return {bytes, place.nameBegin, place.valueEnd - place.nameBegin};
    const QByteArrayView value(bytes.constData() + place.valueBegin, place.valueEnd - place.valueBegin);
    QByteArray text = json::quoted(folder) + ':';
    text += value;
    const qsizetype size = text.size();
    return {std::move(text), 0, size};
}

// One member of the styles object, in the file's order.
struct StyleMember {
    QString folder;
    std::string_view folderUtf8; // as the parser holds it
    json::Element value;
    qsizetype place; // in the file
};

// The members a repeated folder name leaves: its last occurrence. Sorted by folder.
std::vector<StyleMember> lastOfEachFolder(std::vector<StyleMember> members)
{
    const auto byFolder = [](const StyleMember& a, const StyleMember& b) { return a.folder < b.folder; };
    if (std::ranges::adjacent_find(members, std::not_fn(byFolder)) == members.end())
        return members; // strictly ascending, as this program writes them: nothing repeats
    std::ranges::stable_sort(members, byFolder);
    std::vector<StyleMember> last;
    for (StyleMember& member : members) {
        if (!last.empty() && last.back().folder == member.folder)
            last.back() = std::move(member);
        else
            last.push_back(std::move(member));
    }
    return last;
}

Result<DecodedStyles> decodeStyles(const QByteArray& bytes, StyleDecode how)
{
    using R = Result<DecodedStyles>;
    // Found on a thread of their own while this one parses and checks (waited for on every return).
    auto placesFound = std::async(std::launch::async, [&bytes] { return memberPlaces(bytes); });
    auto json = json::parse(bytes);
    if (!json)
        return R::failure(json.error());
    simdjson::dom::object object;
    if (json->get_object().get(object))
        return R::failure(QStringLiteral("The data couldn't be read because it isn't in the correct format."));
    std::vector<StyleMember> members;
    members.reserve(object.size());
    for (const simdjson::dom::key_value_pair field : object)
        members.push_back({QString::fromUtf8(field.key.data(), static_cast<qsizetype>(field.key.size())), field.key,
                           field.value, static_cast<qsizetype>(members.size())});
    members = lastOfEachFolder(std::move(members));
    if (how == StyleDecode::onDemand) {
        for (const StyleMember& member : members) {
            if (auto checked = json::read(member.value, static_cast<ColorizationData*>(nullptr)); !checked)
                return R::failure(checked.error());
        }
    }
    const std::vector<MemberPlace> places = placesFound.get();
    const bool copyable = places.size() == object.size();
    DecodedStyles decoded;
    decoded.undecoded = copyable && how == StyleDecode::onDemand;
    for (const StyleMember& member : members) { // ascending: each insertion goes at the end
        if (decoded.undecoded) {
            decoded.members.insert(decoded.members.cend(), member.folder,
                                   memberText(bytes, member.folder, member.folderUtf8, places[size_t(member.place)]));
            continue;
        }
        ColorizationData data;
        if (auto valid = json::read(member.value, &data); !valid)
            return R::failure(valid.error());
        decoded.styles.insert(decoded.styles.cend(), member.folder, std::move(data));
        if (copyable)
            decoded.members.insert(decoded.members.cend(), member.folder,
                                   memberText(bytes, member.folder, member.folderUtf8, places[size_t(member.place)]));
    }
    return decoded;
}

} // namespace

Result<StylesText> encodeStyles(const QMap<QString, ColorizationData>& styles, QMap<QString, StyleMemberText>& members,
                                const QString* below)
{
    const auto included = [below](const QString& folder) { return !below || folder < *below; };
    StylesText text;
    text.pieces.push_back(StylesText::punctuation(0, 1)); // {
    auto member = members.begin();
    for (auto it = styles.cbegin(); it != styles.cend() && included(it.key()); ++it, ++member) {
        for (; member != members.end() && member.key() < it.key(); ++member)
            text.appendMember(*member);
        if (member == members.end() || member.key() != it.key()) {
            const auto value = json::encode(it.value());
            if (!value)
                return Result<StylesText>::failure(value.error());
            QByteArray encoded = json::quoted(it.key()) + ':' + *value;
            const qsizetype size = encoded.size();
            member = members.insert(member, it.key(), StyleMemberText{std::move(encoded), 0, size});
        }
        text.appendMember(*member);
    }
    for (; member != members.end() && included(member.key()); ++member)
        text.appendMember(*member);
    if (!below)
        text.pieces.push_back(StylesText::punctuation(2, 1)); // }
    return text;
}

void applyStyleChanges(const QMap<QString, std::optional<ColorizationData>>& changes,
                       QMap<QString, ColorizationData>& styles, QMap<QString, StyleMemberText>& members)
{
    for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
        members.remove(it.key()); // the text read is no longer this folder's style
        if (*it)
            styles.insert(it.key(), **it);
        else
            styles.remove(it.key());
    }
}

bool startsWith(std::span<const QByteArrayView> pieces, std::span<const QByteArrayView> start)
{
    auto piece = pieces.begin();
    qsizetype offset = 0; // into *piece
    for (QByteArrayView wanted : start) {
        while (!wanted.isEmpty()) {
            if (piece == pieces.end())
                return false;
            const QByteArrayView available = piece->sliced(offset);
            const qsizetype size = std::min(available.size(), wanted.size());
            if (size > 0 && available.data() != wanted.data() &&
                std::memcmp(available.data(), wanted.data(), size) != 0)
                return false;
            wanted = wanted.sliced(size);
            offset += size;
            if (offset == piece->size()) {
                ++piece;
                offset = 0;
            }
        }
    }
    return true;
}

Result<DecodedStyles> decodeAllStyles(const QByteArray& bytes)
{
    return decodeStyles(bytes, StyleDecode::all);
}

Result<DecodedStyles> decodeStylesOnDemand(const QByteArray& bytes)
{
    return decodeStyles(bytes, StyleDecode::onDemand);
}

std::optional<ColorizationData> decodeMember(const QString& folder, const StyleMemberText& member)
{
    const qsizetype valueBegin = json::quoted(folder).size() + 1; // after "path":
    auto data =
        json::decode(QByteArray(member.source.constData() + member.begin + valueBegin, member.size - valueBegin));
    if (!data)
        return std::nullopt;
    return std::move(data).value();
}

} // namespace pigmo
