#pragma once

#include <QString>

namespace pigmo::product {

// The program's names and addresses, each in one place.
inline constexpr char displayName[] = "Pigmo 2";
inline constexpr char executableName[] = "pigmo2";
inline constexpr char identifier[] = "io.velmar.pigmo2";
inline constexpr char desktopFileId[] = "io.velmar.pigmo2.desktop";
// The product's web site; its download page stands in for an updater.
inline constexpr char siteUrl[] = "https://pigmo.app";
// The site's terms of use and privacy policy, which the settings page links to.
inline constexpr char termsOfUseUrl[] = "https://pigmo.app/terms";
inline constexpr char privacyPolicyUrl[] = "https://pigmo.app/privacy";

// The version of this build ("2.0.0").
QString version();

} // namespace pigmo::product
