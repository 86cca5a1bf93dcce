#include "base_dirs.h"

#include "paths.h"

namespace orvane {

namespace {

FilePath chooseDir(EnvReader env, const char* variable, const FilePath& home, const char* fallback)
{
    QByteArray value = env(variable);
    while (value.size() > 1 && value.endsWith('/'))
        value.chop(1);
    if (value.startsWith('/'))
        return value;
    return joinPath(home, QByteArray(fallback));
}

QByteArray processEnv(const char* name)
{
    return qgetenv(name);
}

} // namespace

// Read from the variables as go itself does, without running it: `go env` may download a
// toolchain, and the variables and defaults give the same folder unless a go.env file is used.
FilePath goModCache(EnvReader env, const FilePath& home)
{
    QByteArray modCache = env("GOMODCACHE");
    while (modCache.size() > 1 && modCache.endsWith('/'))
        modCache.chop(1);
    if (modCache.startsWith('/'))
        return modCache;
    QByteArray gopath = env("GOPATH").split(':').value(0);
    while (gopath.size() > 1 && gopath.endsWith('/'))
        gopath.chop(1);
    return joinPath(gopath.startsWith('/') ? gopath : joinPath(home, QByteArray("go")), QByteArray("pkg/mod"));
}

BaseDirs baseDirs(const FilePath& home, EnvReader env)
{
    return {home,
            chooseDir(env, "XDG_CACHE_HOME", home, ".cache"),
            chooseDir(env, "XDG_DATA_HOME", home, ".local/share"),
            chooseDir(env, "XDG_CONFIG_HOME", home, ".config"),
            chooseDir(env, "XDG_STATE_HOME", home, ".local/state"),
            goModCache(env, home)};
}

BaseDirs baseDirs()
{
    return baseDirs(homeDir(), processEnv);
}

} // namespace orvane
