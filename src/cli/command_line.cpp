// Parsing the command line: options anywhere, the language for this run, the section argument.

#include "cli_p.h"
#include "cli_texts.h"
#include "localization_manager.h"
#include "path_text.h"

namespace orvane::cli {

// Parses options anywhere on the line; "--" ends them. Returns an error text, or none.
std::optional<QString> parse(const QList<QByteArray>& arguments, CommandLine& cl)
{
    bool optionsEnded = false;
    std::optional<AppLanguage> language;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QByteArray& arg = arguments.at(i);
        if (optionsEnded || !arg.startsWith('-') || arg == "-") {
            cl.positional.append(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--json") {
            cl.json = true;
        } else if (arg == "-h" || arg == "--help") {
            cl.help = true;
        } else if (arg == "--version") {
            cl.version = true;
        } else if (arg == "--yes" || arg == "--trash" || arg == "--permanent" || arg == "--all") {
            cl.yes |= arg == "--yes";
            cl.trash |= arg == "--trash";
            cl.permanent |= arg == "--permanent";
            cl.all |= arg == "--all";
            cl.commandOptions.append(arg);
        } else if (arg == "--lang" || arg.startsWith("--lang=")) {
            QByteArray value;
            if (arg == "--lang") {
                if (i + 1 >= arguments.size())
                    return text("err.missingLanguage");
                value = arguments.at(++i);
            } else {
                value = arg.mid(7);
            }
            language = appLanguageFromRaw(QString::fromUtf8(value));
            if (!language)
                return text("err.badLanguage", {readablePath(value)});
            // For this run only: the stored choice stays as it is.
            LocalizationManager::shared().setLanguageForThisRun(*language);
        } else {
            return text("err.unknownOption", {readablePath(arg)});
        }
    }
    return std::nullopt;
}

// The argument at `index` as a section id of a plan, or an error.
std::optional<QString> sectionArgument(const CommandLine& cl, QString& error)
{
    if (cl.positional.size() < 2) {
        error = text("err.missingSection");
        return std::nullopt;
    }
    const QString section = QString::fromUtf8(cl.positional.at(1));
    if (!planSections.contains(section)) {
        error = text("err.unknownSection", {readablePath(cl.positional.at(1))});
        return std::nullopt;
    }
    if (cl.positional.size() > 2) {
        error = text("err.extraArgument", {readablePath(cl.positional.at(2))});
        return std::nullopt;
    }
    return section;
}

} // namespace orvane::cli
