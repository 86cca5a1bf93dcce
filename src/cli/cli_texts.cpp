#include "cli_texts.h"

#include "localization_manager.h"

#include <cstring>

namespace orvane::cli {

namespace {

struct Entry {
    const char* key;
    const char* es;
    const char* en;
};

// clang-format off
const Entry entries[] = {
    {"help",
R"(Uso: orvane-cli [opciones] ORDEN [argumentos]

Libera espacio en tu carpeta personal ($HOME) desde la terminal.

Órdenes:
  analyze SECCIÓN       Analiza con el plan de la sección y muestra lo encontrado.
                        SECCIÓN: smart, cleanup, apps, protect o dup.
  clean SECCIÓN         Analiza y elimina lo preseleccionado. Sin --yes solo
                        muestra lo que eliminaría y no toca nada.
      --trash           Mover a la Papelera.
      --permanent       Eliminar para siempre.
                        (Sin ninguna de las dos: la eliminación propia del plan.)
      --yes             Eliminar de verdad.
      --all             Seleccionar todo lo encontrado, como marcar todas las
                        casillas en la ventana. Cada grupo de duplicados
                        conserva una copia.
  space [CARPETA]       Tamaño de las carpetas principales, o de lo que hay
                        dentro de CARPETA.
  disk                  Capacidad y espacio libre del disco de tu carpeta personal.
  keep add|remove RUTA  Pone RUTA en la lista de lo que nunca se ofrece (o la quita).
  keep list             Muestra esa lista (la misma que usa la aplicación).
  demo-home CARPETA     Llena CARPETA (vacía o nueva) con una carpeta personal de
                        ejemplo para probar Orvane sin riesgo:
                        HOME=CARPETA orvane-cli analyze smart

Opciones:
  --json                Salida JSON: tamaños en bytes (enteros), rutas absolutas.
                        Una ruta que no es UTF-8 válido se escribe como
                        "base64:" seguido de sus bytes en Base64.
  --lang es|en          Idioma solo para esta ejecución (no se guarda).
  -h, --help            Esta ayuda.
  --version             La versión.

En una terminal, el análisis muestra su avance en la salida de errores; Ctrl-C lo
cancela sin eliminar nada.

Estado de salida: 0 si todo fue bien, 1 si algo no se pudo eliminar (o crear),
2 si la orden está mal escrita, 3 si $HOME es de otro usuario (p. ej. con sudo:
no se hace nada), 130 si se canceló con Ctrl-C.
)",
R"(Usage: orvane-cli [options] COMMAND [arguments]

Frees space in your home folder ($HOME) from the terminal.

Commands:
  analyze SECTION       Runs the section's plan and shows what it found.
                        SECTION: smart, cleanup, apps, protect or dup.
  clean SECTION         Runs the plan and removes what it preselects. Without
                        --yes it only lists what it would remove and touches nothing.
      --trash           Move to the Trash.
      --permanent       Delete for good.
                        (With neither: the plan's own removal style.)
      --yes             Really remove.
      --all             Select everything found, as ticking every box in the
                        window. Each group of duplicates still keeps one copy.
  space [FOLDER]        Sizes of the main home folders, or of what is inside FOLDER.
  disk                  Capacity and free space of the disk holding your home folder.
  keep add|remove PATH  Puts PATH on the list of what is never offered (or takes it off).
  keep list             Shows that list (the same one the app uses).
  demo-home FOLDER      Fills FOLDER (empty or new) with a sample home folder for
                        trying Orvane safely:
                        HOME=FOLDER orvane-cli analyze smart

Options:
  --json                JSON output: sizes in bytes (integers), absolute paths.
                        A path that is not valid UTF-8 is written as "base64:"
                        followed by the Base64 of its bytes.
  --lang es|en          Language for this run only (not stored).
  -h, --help            This help.
  --version             The version.

On a terminal, a scan shows how far it has got on stderr; Ctrl-C cancels it and
removes nothing.

Exit status: 0 when all went well, 1 when something could not be removed (or created),
2 for a usage error, 3 when $HOME belongs to another user (as through sudo: nothing
is done), 130 when cancelled with Ctrl-C.
)"},
    {"err.prefix", "orvane-cli: %@ (consulta orvane-cli --help)", "orvane-cli: %@ (see orvane-cli --help)"},
    {"err.noCommand", "falta la orden", "missing command"},
    {"err.unknownCommand", "orden desconocida: %@", "unknown command: %@"},
    {"err.unknownOption", "opción desconocida: %@", "unknown option: %@"},
    {"err.optionNotFor", "la opción %@ no vale para %@", "option %@ does not apply to %@"},
    {"err.missingSection", "falta la sección (smart, cleanup, apps, protect o dup)",
                           "missing section (smart, cleanup, apps, protect or dup)"},
    {"err.unknownSection", "sección desconocida: %@ (smart, cleanup, apps, protect o dup)",
                           "unknown section: %@ (smart, cleanup, apps, protect or dup)"},
    {"err.missingFolder", "falta la carpeta", "missing folder"},
    {"err.notFolder", "no es una carpeta: %@", "not a folder: %@"},
    {"err.extraArgument", "argumento de más: %@", "unexpected argument: %@"},
    {"err.badLanguage", "idioma desconocido: %@ (es o en)", "unknown language: %@ (es or en)"},
    {"err.missingLanguage", "falta el idioma tras --lang (es o en)", "missing language after --lang (es or en)"},
    {"err.bothStyles", "--trash y --permanent no pueden ir juntas", "--trash and --permanent cannot be combined"},
    {"err.notEmpty", "la carpeta no está vacía: %@", "the folder is not empty: %@"},
    {"err.cannotCreate", "no se pudo crear: %@", "could not create: %@"},
    {"clean.style", "Eliminación: %@", "Removal: %@"},
    {"clean.nothing", "Nada preseleccionado: no hay nada que eliminar.", "Nothing preselected: nothing to remove."},
    {"clean.wouldRemove", "Se eliminaría (%@ ubicaciones, %@):", "Would remove (%@ locations, %@):"},
    {"clean.dryRunHint", "No se ha eliminado nada. Añade --yes para eliminarlo.",
                         "Nothing was removed. Add --yes to remove it."},
    {"clean.removed", "Eliminado:", "Removed:"},
    {"clean.partly", "Eliminado en parte (lo demás sigue en su sitio):", "Partly removed (the rest is still in place):"},
    {"clean.stayed", "quedan %@", "%@ stayed"},
    {"clean.kept", "Se conserva (última copia de su grupo de duplicados):",
                   "Kept (the last copy of its group of duplicates):"},
    {"clean.failed", "No se pudo eliminar (sigue en su sitio):", "Could not be removed (still in place):"},
    {"space.nothing", "No hay nada que mostrar aquí.", "Nothing to show here."},
    {"err.keepUsage", "uso: keep add RUTA, keep remove RUTA o keep list", "usage: keep add PATH, keep remove PATH or keep list"},
    {"keep.added", "No se volverá a ofrecer: %@", "Never offered again: %@"},
    {"keep.removed", "Se vuelve a ofrecer: %@", "Offered again: %@"},
    {"keep.notKept", "No estaba en la lista: %@", "Was not on the list: %@"},
    {"keep.none", "La lista está vacía: todo se ofrece.", "The list is empty: everything is offered."},
    {"keep.failed", "No se pudo guardar la lista en los ajustes.", "The list could not be stored in the settings."},
    {"disk.unknown", "No se pudo medir el disco.", "The disk could not be measured."},
    {"demo.done", "Carpeta personal de ejemplo creada en %@: %@ archivos, %@ en total, %@ en disco.",
                  "Sample home folder created in %@: %@ files, %@ in all, %@ on disk."},
    {"demo.try", "Pruébala: HOME=%@ orvane-cli analyze smart", "Try it: HOME=%@ orvane-cli analyze smart"},
};
// clang-format on

} // namespace

QString text(const char* key, const QStringList& args)
{
    const bool english = LocalizationManager::shared().language() == AppLanguage::en;
    for (const Entry& e : entries) {
        if (std::strcmp(e.key, key) == 0) {
            const QString pattern = QString::fromUtf8(english ? e.en : e.es);
            return args.isEmpty() ? pattern : LocalizationManager::format(pattern, args);
        }
    }
    return QString::fromLatin1(key);
}

} // namespace orvane::cli
