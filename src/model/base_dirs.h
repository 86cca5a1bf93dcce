#pragma once

#include "model_types.h"

namespace orvane {

// "linux" is a predefined macro in GNU mode, which moc's predefined macros follow: without this,
// moc cannot parse any Q_OBJECT file that includes this header.
#ifdef linux
#undef linux
#endif

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
};

// Read afresh on every call, like homeDir().
BaseDirs baseDirs();

// The same rules over a given home and variable reader (for tests and the sample home).
using EnvReader = QByteArray (*)(const char* name);
BaseDirs baseDirs(const FilePath& home, EnvReader env);

} // namespace orvane
