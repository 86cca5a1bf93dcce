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

BaseDirs baseDirs(const FilePath& home, EnvReader env)
{
    return {home, chooseDir(env, "XDG_CACHE_HOME", home, ".cache"), chooseDir(env, "XDG_DATA_HOME", home, ".local/share"),
            chooseDir(env, "XDG_CONFIG_HOME", home, ".config"), chooseDir(env, "XDG_STATE_HOME", home, ".local/state")};
}

BaseDirs baseDirs()
{
    return baseDirs(homeDir(), processEnv);
}

} // namespace orvane
