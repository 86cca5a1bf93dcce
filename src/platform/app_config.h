#pragma once

// Addresses and fixed values that a packager may change; nothing else in the code spells them.

namespace orvane::config {

// Shown on the About and Settings screens, and compared against the update feed.
// The project's version in CMakeLists.txt (app_config.cpp is built with it).
extern const char version[];

// Off in builds for distributions, whose package manager brings the updates
// (cmake -DORVANE_UPDATE_CHECKS=OFF).
extern const bool updateChecks;

inline constexpr char donationUrl[] = "https://orvane.app/donate";
inline constexpr char contactUrl[] = "mailto:hello@orvane.app";
inline constexpr char termsUrl[] = "https://orvane.app/terms";
inline constexpr char privacyUrl[] = "https://orvane.app/privacy";

// RSS feed with one item per release (sparkle: elements); read at launch, then daily.
inline constexpr char updateFeedUrl[] = "https://orvane.app/appcast.xml";

// Reverse-DNS identity: the installed desktop entry, icon and AppStream metainfo carry it.
inline constexpr char applicationId[] = "app.orvane.Orvane";

} // namespace orvane::config
