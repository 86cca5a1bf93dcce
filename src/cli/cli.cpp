#include "cli.h"

#include "app_config.h"
#include "cli_p.h"
#include "cli_texts.h"
#include "keep_list.h"
#include "localization_manager.h"
#include "path_text.h"
#include "paths.h"

namespace orvane::cli {

int run(const QList<QByteArray>& arguments)
{
    // Known before anything reads the settings, so that nothing writes them in another's home.
    const std::optional<ForeignHome> foreign = foreignHome();
    if (foreign)
        LocalizationManager::leaveSettingsUntouched();
    else
        keepUnreadableKeepList();
    CommandLine cl;
    if (const auto error = parse(arguments, cl))
        return usageError(*error);
    if (cl.help) {
        write(stdout, text("help"));
        return exitOk;
    }
    if (cl.version) {
        write(stdout, QStringLiteral("orvane-cli %1\n").arg(QLatin1String(config::version)));
        return exitOk;
    }
    if (foreign) {
        write(stderr, QStringLiteral("orvane-cli: ") + readablePath(foreignHomeMessage(*foreign).toUtf8()) + u'\n');
        return exitNotYourHome;
    }
    if (cl.positional.isEmpty())
        return usageError(text("err.noCommand"));

    const QByteArray command = cl.positional.first();
    if (command != "clean" && !cl.commandOptions.isEmpty())
        return usageError(text("err.optionNotFor", {QString::fromUtf8(cl.commandOptions.first()),
                                                    readablePath(command)}));
    int status = exitUsage;
    if (command == "analyze")
        status = analyze(cl);
    else if (command == "clean")
        status = clean(cl);
    else if (command == "space")
        status = space(cl);
    else if (command == "disk")
        status = disk(cl);
    else if (command == "keep")
        status = keep(cl);
    else if (command == "demo-home")
        status = demoHome(cl);
    else
        return usageError(text("err.unknownCommand", {readablePath(command)}));
    std::fflush(stdout);
    return status;
}

} // namespace orvane::cli
