#pragma once

#include "model_types.h"

// GNU dialects predefine `linux` as 1, and moc reads headers with the compiler's default
// (GNU) predefinitions: without this, the enumerator below does not parse in a moc'd header.
#ifdef linux
#undef linux
#endif

namespace orvane {

// The desktop platforms Orvane knows the folders of. Code that builds locations takes one as a
// parameter, so both tables can be checked on any machine; only the programs pick the running one.
enum class Platform { macOS, linux };

constexpr Platform runningPlatform()
{
#if defined(__APPLE__)
    return Platform::macOS;
#else
    return Platform::linux;
#endif
}

// The user's freedesktop base directories. Each comes from its XDG_*_HOME variable when that
// holds an absolute path, else from the documented default under the home folder (an empty or
// relative value is ignored, as the base-directory rules say). Trailing slashes are dropped.
struct BaseDirs {
    FilePath home;
    FilePath cache;  // $XDG_CACHE_HOME, default ~/.cache
    FilePath data;   // $XDG_DATA_HOME, default ~/.local/share
    FilePath config; // $XDG_CONFIG_HOME, default ~/.config
    FilePath state;  // $XDG_STATE_HOME, default ~/.local/state
    // Go's module cache: $GOMODCACHE, else the first $GOPATH entry's pkg/mod, default ~/go/pkg/mod.
    FilePath goModCache = {};
};

// Read afresh on every call, like homeDir().
BaseDirs baseDirs();

// The same rules over a given home and variable reader (for tests and the sample home).
using EnvReader = QByteArray (*)(const char* name);
BaseDirs baseDirs(const FilePath& home, EnvReader env);

} // namespace orvane
