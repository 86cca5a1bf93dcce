// The two built-in string tables: same keys, same order. Spanish is the reference language.
#include "string_tables.h"

using namespace Qt::StringLiterals;

namespace orvane {

const std::vector<StringEntry>& stringTable()
{
    static const std::vector<StringEntry> table = {
        {u"nav.smart"_s, u"Cuidado inteligente"_s, u"Smart Care"_s},
        {u"nav.cleanup"_s, u"Limpieza"_s, u"Cleanup"_s},
        {u"nav.apps"_s, u"Aplicaciones"_s, u"Applications"_s},
        {u"nav.space"_s, u"Espacio"_s, u"Space"_s},
        {u"nav.protect"_s, u"Protección"_s, u"Protection"_s},
        {u"nav.dup"_s, u"Duplicados"_s, u"Duplicates"_s},
        {u"nav.settings"_s, u"Ajustes"_s, u"Settings"_s},
        {u"nav.about"_s, u"Acerca de"_s, u"About"_s},
        {u"action.donate"_s, u"Donar"_s, u"Donate"_s},
        {u"action.contact"_s, u"Contacto"_s, u"Contact"_s},
        {u"action.analyze"_s, u"Analizar"_s, u"Analyze"_s},
        {u"action.cancel"_s, u"Cancelar"_s, u"Cancel"_s},
        {u"action.delete"_s, u"Eliminar"_s, u"Delete"_s},
        {u"action.moveToTrash"_s, u"Mover a Papelera"_s, u"Move to Trash"_s},
        {u"action.back"_s, u"Atrás"_s, u"Back"_s},
        {u"label.inUse"_s, u"en uso"_s, u"in use"_s},
        {u"tooltip.home"_s, u"Ir al inicio"_s, u"Go to home"_s},
        {u"removal.trash"_s, u"Papelera"_s, u"Trash"_s},
        {u"removal.permanent"_s, u"Permanente"_s, u"Permanent"_s},
        {u"plan.smart.title"_s, u"Cuidado inteligente"_s, u"Smart Care"_s},
        {u"plan.smart.subtitle"_s, u"Un mantenimiento rápido que prioriza lo esencial."_s, u"Quick maintenance that prioritizes what matters."_s},
        {u"plan.smart.h1"_s, u"Rápido y sin riesgos"_s, u"Fast and safe"_s},
        {u"plan.smart.h2"_s, u"Cachés y temporales"_s, u"Caches and temporary files"_s},
        {u"plan.smart.h3"_s, u"Ideal para el día a día"_s, u"Perfect for everyday use"_s},
        {u"plan.cleanup.title"_s, u"Limpieza profunda"_s, u"Deep Clean"_s},
        {u"plan.cleanup.subtitle"_s, u"Exprime cada GB: basura del sistema y archivos pesados."_s, u"Squeeze every GB: system junk and heavy files."_s},
        {u"plan.cleanup.h1"_s, u"Basura profunda del sistema"_s, u"Deep system junk"_s},
        {u"plan.cleanup.h2"_s, u"Encuentra archivos gigantes"_s, u"Finds giant files"_s},
        {u"plan.cleanup.h3"_s, u"Exprime cada GB"_s, u"Squeeze every GB"_s},
        {u"plan.apps.title"_s, u"Aplicaciones"_s, u"Applications"_s},
        {u"plan.apps.subtitle"_s, u"Tus apps instaladas y cuánto ocupan. Tú eliges cuáles quitar."_s, u"Your installed apps and how much they take up. You choose what to remove."_s},
        {u"plan.apps.h1"_s, u"Desinstala por completo"_s, u"Uninstall completely"_s},
        {u"plan.apps.h2"_s, u"Caza los restos ocultos"_s, u"Hunt down hidden leftovers"_s},
        {u"plan.apps.h3"_s, u"Papelera o permanente, tú eliges"_s, u"Trash or permanent, you choose"_s},
        {u"plan.protect.title"_s, u"Protección"_s, u"Protection"_s},
        {u"plan.protect.subtitle"_s, u"Borra los rastros de tu actividad: recientes, navegación y ventanas guardadas."_s, u"Erase your activity traces: recents, browsing and saved windows."_s},
        {u"plan.protect.h1"_s, u"Borra rastros de navegación"_s, u"Erase browsing traces"_s},
        {u"plan.protect.h2"_s, u"Limpia tus recientes"_s, u"Clean your recents"_s},
        {u"plan.protect.h3"_s, u"Menos huellas de tu actividad"_s, u"Fewer traces of your activity"_s},
        {u"plan.dup.title"_s, u"Duplicados"_s, u"Duplicates"_s},
        {u"plan.dup.subtitle"_s, u"Archivos idénticos regados por tu Mac. Conserva uno, borra las copias."_s, u"Identical files scattered across your Mac. Keep one, delete the copies."_s},
        {u"plan.dup.h1"_s, u"Compara el CONTENIDO, no el nombre"_s, u"Compares CONTENT, not the name"_s},
        {u"plan.dup.h2"_s, u"Conserva una copia"_s, u"Keeps one copy"_s},
        {u"plan.dup.h3"_s, u"Recupera espacio invisible"_s, u"Recover invisible space"_s},
        {u"src.caches"_s, u"Cachés"_s, u"Caches"_s},
        {u"src.userCaches"_s, u"Cachés de usuario"_s, u"User caches"_s},
        {u"src.downloads"_s, u"Descargas"_s, u"Downloads"_s},
        {u"src.logs"_s, u"Logs"_s, u"Logs"_s},
        {u"src.trash"_s, u"Papelera"_s, u"Trash"_s},
        {u"src.savedAppState"_s, u"Estado guardado de apps"_s, u"Saved app state"_s},
        {u"src.bigFiles"_s, u"Archivos grandes (+100 MB)"_s, u"Large files (+100 MB)"_s},
        {u"src.installedApps"_s, u"Aplicaciones instaladas"_s, u"Installed applications"_s},
        {u"src.recentFiles"_s, u"Archivos recientes"_s, u"Recent files"_s},
        {u"src.safariTraces"_s, u"Rastros de Safari"_s, u"Safari traces"_s},
        {u"src.chromeTraces"_s, u"Rastros de Chrome"_s, u"Chrome traces"_s},
        {u"src.firefoxTraces"_s, u"Rastros de Firefox"_s, u"Firefox traces"_s},
        {u"src.edgeTraces"_s, u"Rastros de Edge"_s, u"Edge traces"_s},
        {u"src.savedWindows"_s, u"Ventanas guardadas"_s, u"Saved windows"_s},
        {u"src.duplicates"_s, u"Duplicados"_s, u"Duplicates"_s},
        {u"detail.calculating"_s, u"Calculando espacio…"_s, u"Calculating space…"_s},
        {u"detail.percentInUse"_s, u"%@ en uso"_s, u"%@ in use"_s},
        {u"detail.freeOfTotal"_s, u"%@ libres de %@"_s, u"%@ free of %@"_s},
        {u"results.analyzeAgain"_s, u"Analizar de nuevo"_s, u"Analyze again"_s},
        {u"results.clean"_s, u"¡Tu Mac ya está limpia aquí!"_s, u"Your Mac is already clean here!"_s},
        {u"results.selected"_s, u"Seleccionado: %@"_s, u"Selected: %@"_s},
        {u"results.elements"_s, u"%@ elementos"_s, u"%@ items"_s},
        {u"results.leftovers"_s, u"· %@ restos"_s, u"· %@ leftovers"_s},
        {u"alert.trashTitle"_s, u"¿Mover a la Papelera?"_s, u"Move to Trash?"_s},
        {u"alert.deleteTitle"_s, u"¿Eliminar permanentemente?"_s, u"Delete permanently?"_s},
        {u"alert.trashMsg"_s, u"Se moverán %@ a la Papelera. Podrás recuperarlos desde ahí."_s, u"%@ will be moved to the Trash. You can restore them from there."_s},
        {u"alert.deleteMsg"_s, u"Se liberarán %@. Esta acción no se puede deshacer."_s, u"%@ will be freed. This action cannot be undone."_s},
        {u"detail.comingSoon"_s, u"Próximamente 🚧"_s, u"Coming soon 🚧"_s},
        {u"scanning.title"_s, u"Analizando tu Mac…"_s, u"Analyzing your Mac…"_s},
        {u"cleaning.title"_s, u"Limpiando…"_s, u"Cleaning…"_s},
        {u"done.title"_s, u"¡Listo!"_s, u"Done!"_s},
        {u"done.movedToTrash"_s, u"Moviste %@ a la Papelera"_s, u"You moved %@ to the Trash"_s},
        {u"done.freed"_s, u"Liberaste %@"_s, u"You freed %@"_s},
        {u"done.back"_s, u"Volver al inicio"_s, u"Back to home"_s},
        {u"dashboard.summary"_s, u"libres  ·  %@ en uso  ·  %@ total"_s, u"free  ·  %@ in use  ·  %@ total"_s},
        {u"dashboard.analyzeNow"_s, u"Analizar ahora"_s, u"Analyze now"_s},
        {u"space.title"_s, u"¿A dónde se fue tu espacio?"_s, u"Where did your space go?"_s},
        {u"space.heaviestFolders"_s, u"Carpetas más pesadas"_s, u"Heaviest folders"_s},
        {u"space.usedOfTotal"_s, u"%@ usados de %@  ·  %@ libres"_s, u"%@ used of %@  ·  %@ free"_s},
        {u"settings.title"_s, u"Ajustes"_s, u"Settings"_s},
        {u"settings.general"_s, u"General"_s, u"General"_s},
        {u"settings.language"_s, u"Idioma"_s, u"Language"_s},
        {u"settings.launchAtLogin"_s, u"Abrir Orvane al iniciar sesión"_s, u"Open Orvane at login"_s},
        {u"settings.startupTitle"_s, u"Aplicaciones que se abren al iniciar tu Mac"_s, u"Apps that open when your Mac starts"_s},
        {u"settings.noStartupItems"_s, u"No encontramos elementos de inicio del usuario (~/Library/LaunchAgents)."_s, u"We found no user startup items (~/Library/LaunchAgents)."_s},
        {u"settings.viewInFinder"_s, u"Ver en Finder"_s, u"View in Finder"_s},
        {u"settings.removeStartup"_s, u"Quitar del arranque"_s, u"Remove from startup"_s},
        {u"settings.removeConfirm"_s, u"Quitar"_s, u"Remove"_s},
        {u"settings.removeTitle"_s, u"¿Quitar del arranque?"_s, u"Remove from startup?"_s},
        {u"settings.removeMsg"_s, u"%@ ya no se abrirá al iniciar sesión. Moveremos su archivo de arranque a la Papelera, así podrás restaurarlo si lo necesitas."_s, u"%@ will no longer open at login. We'll move its startup file to the Trash, so you can restore it if you need it."_s},
        {u"about.version"_s, u"Versión %@"_s, u"Version %@"_s},
        {u"about.madeBy"_s, u"Hecho con 🔥 por Pardell"_s, u"Made with 🔥 by Pardell"_s},
        {u"about.tagline"_s, u"Optimización de almacenamiento nativa para macOS.\nRápida, precisa y sin antivirus falso."_s, u"Native storage optimization for macOS.\nFast, precise and no fake antivirus."_s},
        {u"about.terms"_s, u"Términos y Condiciones"_s, u"Terms & Conditions"_s},
        {u"about.privacy"_s, u"Política de Privacidad"_s, u"Privacy Policy"_s},
        {u"onb.langTitle"_s, u"Elige tu idioma"_s, u"Choose your language"_s},
        {u"onb.langSubtitle"_s, u"Puedes cambiarlo cuando quieras en Ajustes."_s, u"You can change it anytime in Settings."_s},
        {u"onb.continue"_s, u"Continuar"_s, u"Continue"_s},
        {u"onb.start"_s, u"Empezar"_s, u"Get started"_s},
        {u"onb.s1.title"_s, u"Bienvenido a Orvane"_s, u"Welcome to Orvane"_s},
        {u"onb.s1.body"_s, u"Recupera gigabytes reales con un motor de análisis preciso, nativo y ultrarrápido."_s, u"Reclaim real gigabytes with a precise scan engine — native and ultra-fast."_s},
        {u"onb.s2.title"_s, u"Todo tu Mac, en un solo lugar"_s, u"Your whole Mac, in one place"_s},
        {u"onb.s2.body"_s, u"Cachés, aplicaciones, duplicados, privacidad y más. Analiza y libera espacio en segundos."_s, u"Caches, applications, duplicates, privacy and more. Scan and free up space in seconds."_s},
        {u"onb.s3.title"_s, u"Tú tienes el control"_s, u"You're in control"_s},
        {u"onb.s3.body"_s, u"Nada se borra sin tu permiso. Revisa, elige y decide qué eliminar. Siempre."_s, u"Nothing is deleted without your permission. Review, choose and decide what to remove. Always."_s},
        {u"onb.mock.caches"_s, u"Cachés"_s, u"Caches"_s},
        {u"onb.mock.duplicates"_s, u"Duplicados"_s, u"Duplicates"_s},
        {u"onb.mock.bigFiles"_s, u"Archivos grandes"_s, u"Large files"_s},
        {u"update.title"_s, u"Hay una versión nueva"_s, u"A new version is available"_s},
        {u"update.message"_s, u"Orvane %@ ya está disponible. Tú tienes la %@."_s, u"Orvane %@ is now available. You have %@."_s},
        {u"update.later"_s, u"Después"_s, u"Later"_s},
        {u"update.download"_s, u"Descargar"_s, u"Download"_s},
        {u"settings.updates"_s, u"Actualizaciones"_s, u"Updates"_s},
        {u"settings.currentVersion"_s, u"Versión actual: %@"_s, u"Current version: %@"_s},
        {u"settings.checkUpdates"_s, u"Buscar actualizaciones"_s, u"Check for updates"_s},
        {u"settings.upToDate"_s, u"Ya tienes la última versión."_s, u"You're on the latest version."_s},
    };
    return table;
}

const std::vector<StringEntry>& addedStringTable()
{
    static const std::vector<StringEntry> table = {
    };
    return table;
}

const std::vector<StringEntry>& freedesktopVariants()
{
    static const std::vector<StringEntry> table = {
    };
    return table;
}

} // namespace orvane
