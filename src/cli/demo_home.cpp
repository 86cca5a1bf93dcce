#include "demo_home.h"

#include "demo_home_writer.h"
#include "icon_file.h"
#include "paths.h"

#include <QList>

#include <sys/stat.h>
#include <unistd.h>

namespace orvane::cli {

using namespace demo;

namespace {

struct App {
    QByteArray name;
    QByteArray id; // empty: the bundle has no identifier
    QByteArray team;
    qint64 binarySize;
    quint32 top, bottom;
    bool binaryInfoPlist;
};

void makeApp(Builder& b, const App& app)
{
    const QByteArray contents = "Applications/" + app.name + ".app/Contents/";
    QByteArray executable = app.name;
    executable.replace(' ', "");
    Pairs info = {{"CFBundleName", app.name}, {"CFBundleExecutable", executable}, {"CFBundleIconFile", "AppIcon"},
                  {"CFBundlePackageType", "APPL"}, {"CFBundleShortVersionString", "3.2.1"},
                  {"LSMinimumSystemVersion", "13.0"}};
    if (!app.id.isEmpty())
        info.prepend({"CFBundleIdentifier", app.id});
    b.text(contents + "Info.plist", app.binaryInfoPlist ? binaryPlist(info) : xmlPlist(info));
    b.text(contents + "PkgInfo", "APPL????");
    b.file(contents + "MacOS/" + executable, app.binarySize, {{0, 96 * KiB, contents + executable}});
    b.text(contents + "Resources/AppIcon.icns", makeIcns(app.top, app.bottom));
    b.text(contents + "Resources/en.lproj/Localizable.strings", "\"welcome\" = \"Welcome to " + app.name + "\";\n");
    b.text(contents + "Resources/es.lproj/Localizable.strings", "\"welcome\" = \"Te damos la bienvenida a " + app.name + "\";\n");
    b.sparse(contents + "Resources/Assets.car", app.binarySize / 5 + 12345);
    b.sparse(contents + "_CodeSignature/CodeResources", 18 * KiB + app.name.size());
}

void makeApplications(Builder& b)
{
    const QList<App> apps = {
        {"Notewise", "com.notewise.mac", "8J3K2L9QXA", 46 * MiB + 120331, 0xF2B33D, 0xE0731C, false},
        {"Sketchpad Pro", "io.sketchpad.pro", "Q7W2E5R8TY", 118 * MiB + 5021, 0x7B5CFF, 0x3A1FB8, false},
        {"Tunebox", "com.tunebox.player", "T9UNE8BOX1", 64 * MiB + 77, 0xFF4F79, 0xB3143C, true},
        {"CodeLens", "dev.codelens.ide", "C0DE1ENS22", 212 * MiB + 991, 0x2BC4A9, 0x0E6F75, false},
        {"Legacy Scanner", {}, {}, 8 * MiB + 4403, 0x9AA5B1, 0x4B5563, false},
        {"Tiny Helper", "com.example.tinyhelper", "EXAMPLE001", 180 * KiB, 0x67E8F9, 0x0891B2, false},
    };
    for (const App& app : apps)
        makeApp(b, app);

    // What the applications left in the Library folder.
    const QByteArray lib = "Library/";
    // Notewise
    b.sparse(lib + "Application Support/com.notewise.mac/Notes.sqlite", 182 * MiB + 4096);
    b.sparse(lib + "Application Support/com.notewise.mac/Notes.sqlite-wal", 3 * MiB + 19);
    b.data(lib + "Application Support/com.notewise.mac/settings.json", 2211);
    b.sparse(lib + "Caches/com.notewise.mac/Cache.db", 14 * MiB + 812);
    b.sparse(lib + "Caches/com.notewise.mac/fsCachedData/5D1B8E0C-3F1A-4C8B-9E55-3A7C5B1E9F02", 431 * KiB);
    b.text(lib + "Preferences/com.notewise.mac.plist",
           xmlPlist({{"LastOpenedNotebook", "Work"}, {"SUEnableAutomaticChecks", "YES"}}));
    b.sparse(lib + "Group Containers/8J3K2L9QXA.com.notewise.mac/Shared/attachments.db", 27 * MiB + 5);
    b.data(lib + "Saved Application State/com.notewise.mac.savedState/windows.plist", 1812);
    b.data(lib + "Saved Application State/com.notewise.mac.savedState/data.data", 40 * KiB + 3);
    b.sparse(lib + "HTTPStorages/com.notewise.mac/httpstorages.sqlite", 96 * KiB);
    b.data(lib + "Logs/Notewise/notewise.log", 88 * KiB + 41);
    // Sketchpad Pro
    b.sparse(lib + "Containers/io.sketchpad.pro/Data/Library/Application Support/Brushes/brushes.pack", 346 * MiB + 17);
    b.sparse(lib + "Containers/io.sketchpad.pro/Data/Library/Caches/thumbnails.db", 41 * MiB + 930);
    b.text(lib + "Containers/io.sketchpad.pro/.com.apple.containermanagerd.metadata.plist",
           xmlPlist({{"MCMMetadataIdentifier", "io.sketchpad.pro"}}));
    b.sparse(lib + "Group Containers/group.io.sketchpad.pro.shared/Library/Preferences/group.plist", 6 * KiB);
    b.text(lib + "Preferences/io.sketchpad.pro.plist", xmlPlist({{"CanvasDefaultSize", "2048x2048"}}));
    b.sparse(lib + "WebKit/io.sketchpad.pro/WebsiteData/LocalStorage/file__0.localstorage", 64 * KiB);
    b.data(lib + "Application Scripts/io.sketchpad.pro/export.scpt", 3 * KiB);
    // Tunebox
    for (int i = 0; i < 6; ++i)
        b.sparse(lib + "Caches/com.tunebox.player/offline/track-" + QByteArray::number(4410 + i) + ".enc",
                 (38 + 7 * i) * MiB + i);
    b.sparse(lib + "Application Support/Tunebox/library.db", 23 * MiB + 611);
    b.text(lib + "Preferences/com.tunebox.player.plist", xmlPlist({{"StreamingQuality", "high"}}));
    b.sparse(lib + "HTTPStorages/com.tunebox.player/httpstorages.sqlite", 128 * KiB);
    b.data(lib + "Logs/Tunebox/player.log", 211 * KiB + 8);
    // CodeLens
    b.sparse(lib + "Application Support/CodeLens/User/workspaceStorage/4f1c2e/state.vscdb", 12 * MiB + 77);
    b.sparse(lib + "Application Support/CodeLens/CachedExtensionVSIXs/rust-analyzer-0.3.1850.vsix", 61 * MiB + 401);
    b.sparse(lib + "Caches/dev.codelens.ide/ShipIt/update.zip", 96 * MiB + 12);
    b.sparse(lib + "Caches/CodeLens/Code Cache/js/index", 7 * MiB + 1);
    b.data(lib + "Logs/CodeLens/20240311T101522/main.log", 33 * KiB);
    b.data(lib + "Saved Application State/dev.codelens.ide.savedState/windows.plist", 2 * KiB + 5);
    // Legacy Scanner (no identifier: only the leftovers named after it can be found)
    b.sparse(lib + "Application Support/Legacy Scanner/scans.db", 9 * MiB + 313);
    b.data(lib + "Logs/Legacy Scanner/scanner.log", 12 * KiB + 7);
    // Tiny Helper
    b.text(lib + "Preferences/com.example.tinyhelper.plist", xmlPlist({{"Enabled", "YES"}}));
}

// A browser profile's cache, the same on every layout (only where it lives differs).
void chromeProfile(Builder& b, const QByteArray& profile)
{
    for (int i = 0; i < 4; ++i)
        b.sparse(profile + "Cache/Cache_Data/data_" + QByteArray::number(i), (i == 3 ? 4 : 1) * MiB + 8192 * i + 64);
    b.sparse(profile + "Cache/Cache_Data/index", 256 * KiB + 24);
    for (int i = 0; i < 10; ++i)
        b.sparse(profile + "Cache/Cache_Data/f_" + QByteArray::number(0x1a2 + i, 16).rightJustified(6, '0'),
                 (60 + 23 * i) * KiB);
    b.sparse(profile + "Code Cache/js/index-dir/the-real-index", 48 * KiB);
}

void firefoxProfile(Builder& b, const QByteArray& profile)
{
    for (int i = 0; i < 12; ++i) {
        const QByteArray hex = (QByteArray::number(fnv1a("firefox" + QByteArray::number(i)), 16)
                                + QByteArray::number(fnv1a("fx" + QByteArray::number(i)), 16)).toUpper().left(40);
        b.sparse(profile + "cache2/entries/" + hex, (18 + 41 * i) * KiB + i);
    }
    b.sparse(profile + "startupCache/startupCache.8.little", 5 * MiB + 91);
}

void edgeProfile(Builder& b, const QByteArray& profile)
{
    for (int i = 0; i < 4; ++i)
        b.sparse(profile + "Cache/Cache_Data/data_" + QByteArray::number(i), (i + 1) * 512 * KiB + 3);
}

void makeCaches(Builder& b)
{
    const QByteArray caches = "Library/Caches/";
    // Safari
    b.sparse(caches + "com.apple.Safari/Cache.db", 3 * MiB + 221 * KiB);
    b.sparse(caches + "com.apple.Safari/Cache.db-wal", 1 * MiB + 733);
    for (int i = 0; i < 8; ++i) {
        const QByteArray hex = QByteArray::number(fnv1a("safari" + QByteArray::number(i)), 16).toUpper();
        b.sparse(caches + "com.apple.Safari/WebKitCache/Version 16/Records/" + hex + "/Resource/" + hex.left(8),
                 (120 + 37 * i) * KiB + i);
    }
    // Chrome
    chromeProfile(b, caches + "Google/Chrome/Default/");
    b.sparse(caches + "Google/Chrome/Default/Code Cache/wasm/index", 24 * KiB);
    // Firefox
    firefoxProfile(b, caches + "Firefox/Profiles/x8k2m1qd.default-release/");
    // Edge
    edgeProfile(b, caches + "Microsoft Edge/Default/");
    b.sparse(caches + "Microsoft Edge/Default/Code Cache/js/index", 96 * KiB);
    // Other caches
    b.sparse(caches + "com.apple.Music/SubscriptionPlayCache/0FA1B2C3D4E5", 62 * MiB + 4011);
    b.sparse(caches + "com.apple.bird/session/g/ABC123.plist", 12 * KiB);
    b.sparse(caches + "CloudKit/com.apple.Photos/CloudKitMetadata", 3 * MiB + 5);
    b.sparse(caches + "Homebrew/downloads/6d1e2f--node-21.7.1.arm64_sonoma.bottle.tar.gz", 28 * MiB + 1024);
    b.sparse(caches + "Homebrew/downloads/a93b77--ffmpeg-6.1.1.arm64_sonoma.bottle.tar.gz", 19 * MiB + 77);
    b.sparse(caches + "pip/http-v2/a/1/c/f/e/a1cfe0b2c3d4e5f6", 2 * MiB + 600);
    b.sparse(caches + "Yarn/v6/npm-react-dom-18.2.0-integrity/node_modules/react-dom/umd/react-dom.development.js", 1 * MiB + 4200);
    b.data(caches + "com.apple.nsurlsessiond/Downloads/readme.txt", 312);
}

void makeSystemLikeFolders(Builder& b)
{
    const QByteArray lib = "Library/";
    // Logs
    b.text(lib + "Logs/DiagnosticReports/Orbit-2024-03-11-101522.ips",
           "{\"app_name\":\"Orbit\",\"timestamp\":\"2024-03-11 10:15:22.00 +0100\",\"bug_type\":\"309\"}\n");
    b.data(lib + "Logs/DiagnosticReports/Notewise_2024-02-02-083011.cpu_resource.diag", 61 * KiB + 2);
    b.data(lib + "Logs/com.apple.xpc.launchd/launchd.log", 144 * KiB);
    b.data(lib + "Logs/install.log", 2 * MiB + 12345, "install-log");
    b.data(lib + "Logs/fsck_apfs.log", 9 * KiB + 300);

    // Trash
    b.sparse(".Trash/Old Presentation.key/Data/image-001.jpg", 2 * MiB + 88);
    b.sparse(".Trash/Old Presentation.key/Data/image-002.jpg", 1 * MiB + 901 * KiB);
    b.sparse(".Trash/Old Presentation.key/Index.zip", 310 * KiB);
    b.sparse(".Trash/IMG_3301 copy.jpg", 3 * MiB + 44);
    b.sparse(".Trash/invoice-draft.pdf", 221 * KiB + 7);
    b.data(".Trash/Untitled folder/todo.txt", 140);
    b.data(".Trash/.DS_Store", 6 * KiB + 4);

    // Xcode build data
    const QByteArray dd = lib + "Developer/Xcode/DerivedData/";
    const QByteArray orbit = dd + "Orbit-ahtjxkvnqcmefygzdlbqoiwrpxsu/";
    for (int i = 0; i < 10; ++i)
        b.sparse(orbit + "Build/Intermediates.noindex/Orbit.build/Debug-iphonesimulator/Orbit.build/Objects-normal/arm64/"
                     + QByteArray("File") + QByteArray::number(i) + ".o",
                 (1 + i % 3) * MiB + 1000 * i);
    b.sparse(orbit + "Build/Products/Debug-iphonesimulator/Orbit.app/Orbit", 24 * MiB + 9);
    b.text(orbit + "Build/Products/Debug-iphonesimulator/Orbit.app/Info.plist",
           xmlPlist({{"CFBundleIdentifier", "com.example.orbit"}, {"CFBundleName", "Orbit"}}));
    for (int i = 0; i < 20; ++i)
        b.sparse(orbit + "Index.noindex/DataStore/v5/units/File" + QByteArray::number(i) + ".o-2KX9" + QByteArray::number(i),
                 (3 + i) * KiB);
    b.text(orbit + "info.plist", xmlPlist({{"WorkspacePath", "/Users/demo/Projects/Orbit/Orbit.xcodeproj"}}));
    const QByteArray weather = dd + "WeatherKitDemo-bqzlwhxrtmkofgjcxnpdeuyvaiws/";
    b.sparse(weather + "Build/Products/Debug/WeatherKitDemo.app/Contents/MacOS/WeatherKitDemo", 11 * MiB + 3);
    b.sparse(weather + "Index.noindex/DataStore/v5/records/AB/main.swift-1XZ4", 77 * KiB);
    for (int i = 0; i < 5; ++i)
        b.sparse(dd + "ModuleCache.noindex/3F2A1B/SwiftUI-" + QByteArray::number(i) + "L4K2.pcm", (5 + 3 * i) * MiB + i);

    // Saved application state
    for (const char* id : {"com.apple.Safari", "com.apple.Terminal", "com.apple.Preview", "com.apple.finder"}) {
        const QByteArray state = lib + "Saved Application State/" + id + ".savedState/";
        b.data(state + "windows.plist", 1 * KiB + qint64(fnv1a(id) % 4000));
        b.data(state + "data.data", 20 * KiB + qint64(fnv1a(id) % 90000));
    }

    // Recent items
    const QByteArray sfl = lib + "Application Support/com.apple.sharedfilelist/";
    b.data(sfl + "com.apple.LSSharedFileList.RecentDocuments.sfl3", 7 * KiB + 120);
    b.data(sfl + "com.apple.LSSharedFileList.RecentApplications.sfl3", 3 * KiB + 17);
    b.data(sfl + "com.apple.LSSharedFileList.RecentServers.sfl3", 1 * KiB + 3);
    b.data(sfl + "com.apple.LSSharedFileList.ApplicationRecentDocuments/com.apple.textedit.sfl3", 2 * KiB + 88);

    // Settings and data that no plan offers
    b.text(lib + "Preferences/com.apple.finder.plist", xmlPlist({{"FXPreferredViewStyle", "Nlsv"}}));
    b.text(lib + "Preferences/com.apple.dock.plist", xmlPlist({{"orientation", "bottom"}}));
    b.sparse(lib + "Containers/com.docker.docker/Data/vms/0/data/Docker.raw", 4 * 1024 * MiB + 8 * MiB);
    b.sparse(lib + "Mail/V10/MailData/Envelope Index", 54 * MiB + 1200);
}

// ---- The freedesktop layout of the folder sources ----

// Caches under ~/.cache: browsers (also what the protection plan offers) and everyday tools.
void makeLinuxCaches(Builder& b)
{
    const QByteArray cache = ".cache/";
    // Chrome and Chromium
    chromeProfile(b, cache + "google-chrome/Default/");
    b.sparse(cache + "google-chrome/Profile 1/Cache/Cache_Data/data_0", 2 * MiB + 301);
    b.sparse(cache + "chromium/Default/Cache/Cache_Data/data_1", 3 * MiB + 17);
    // Firefox
    firefoxProfile(b, cache + "mozilla/firefox/x8k2m1qd.default-release/");
    // Edge
    edgeProfile(b, cache + "microsoft-edge/Default/");
    // Everyday caches
    for (int i = 0; i < 6; ++i)
        b.sparse(cache + "thumbnails/large/" + QByteArray::number(fnv1a("thumb" + QByteArray::number(i)), 16) + ".png",
                 (40 + 9 * i) * KiB + i);
    b.sparse(cache + "mesa_shader_cache_db/index", 1 * MiB + 40);
    b.sparse(cache + "mesa_shader_cache_db/part0/mesa_cache.db", 17 * MiB + 512);
    b.sparse(cache + "fontconfig/6ba42acd6d29f5d7f5e57a8d9b8a7c2e-le64.cache-9", 54 * KiB);
    b.sparse(cache + "pip/http-v2/a/1/c/f/e/a1cfe0b2c3d4e5f6", 2 * MiB + 600);
    b.sparse(cache + "yarn/v6/npm-react-dom-18.2.0-integrity/node_modules/react-dom/umd/react-dom.development.js",
             1 * MiB + 4200);
    b.sparse(cache + "go-build/3f/3f1a9c0e2b-d", 6 * MiB + 88);
    b.sparse(cache + "spotify/Storage/4a/4a1b2c3d4e5f60718293a4b5c6d7e8f9.file", 62 * MiB + 4011);
    b.sparse(cache + "gstreamer-1.0/registry.x86_64.bin", 3 * MiB + 5);
    b.data(cache + "tracker3/files/errors/readme.txt", 312);
}

// Session logs: the Xsession's error files, rootless Xorg's and the display manager's logs;
// beside them files that are not logs, which stay.
void makeLinuxLogs(Builder& b)
{
    b.data(".xsession-errors", 96 * KiB + 311, "xsession");
    b.data(".xsession-errors.old", 412 * KiB + 7, "xsession-old");
    b.data(".local/share/xorg/Xorg.0.log", 61 * KiB + 2);
    b.data(".local/share/xorg/Xorg.0.log.old", 58 * KiB + 900);
    b.data(".local/share/sddm/xorg-session.log", 144 * KiB);
    b.data(".local/share/sddm/wayland-session.log", 2 * MiB + 12345, "wayland-log");
    b.text(".local/state/wireplumber/default-nodes", "[default-nodes]\ndefault.configured.audio.sink=alsa_output.pci\n");
    b.data(".local/state/bash/history", 18 * KiB + 3);
}

// The home Trash as the freedesktop specification lays it out: each entry of files/ with its
// info/<entry>.trashinfo holding the original location (percent-encoded) and the deletion date.
void makeLinuxTrash(Builder& b)
{
    const auto info = [&b](const QByteArray& entry, const QByteArray& original, const QByteArray& date) {
        const QByteArray path = (b.root() + '/' + original).toPercentEncoding("/");
        b.text(".local/share/Trash/info/" + entry + ".trashinfo",
               "[Trash Info]\nPath=" + path + "\nDeletionDate=" + date + "\n");
    };
    const QByteArray files = ".local/share/Trash/files/";
    b.sparse(files + "Old Presentation/Data/image-001.jpg", 2 * MiB + 88);
    b.sparse(files + "Old Presentation/Data/image-002.jpg", 1 * MiB + 901 * KiB);
    b.sparse(files + "Old Presentation/Index.zip", 310 * KiB);
    info("Old Presentation", "Documents/Old Presentation", "2024-02-27T18:04:11");
    b.sparse(files + "IMG_3301 copy.jpg", 3 * MiB + 44);
    info("IMG_3301 copy.jpg", "Pictures/IMG_3301 copy.jpg", "2024-03-02T09:15:40");
    // Two files of the same name: the second went in under another name.
    b.sparse(files + "invoice-draft.pdf", 221 * KiB + 7);
    info("invoice-draft.pdf", "Downloads/invoice-draft.pdf", "2024-03-04T11:30:02");
    b.sparse(files + "invoice-draft.2.pdf", 198 * KiB + 71);
    info("invoice-draft.2.pdf", "Documents/invoice-draft.pdf", "2024-03-05T08:01:55");
    b.sparse(files + "Informe año 2023.odt", 1 * MiB + 4242);
    info("Informe año 2023.odt", "Documents/Informe año 2023.odt", "2024-03-06T16:44:19");
    b.data(files + "Untitled Folder/todo.txt", 140);
    info("Untitled Folder", "Desktop/Untitled Folder", "2024-03-07T12:00:00");
}

// Recently used files as GTK (recently-used.xbel) and KDE (RecentDocuments) record them.
void makeLinuxRecentFiles(Builder& b)
{
    QByteArray xbel = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<xbel version=\"1.0\" xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\""
                      " xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
    for (const char* file : {"Documents/Thesis/thesis-draft-v7.docx", "Downloads/report.csv", "Pictures/IMG_4521.HEIC",
                             "Documents/Budget 2024.numbers", "Downloads/invoice-0423.pdf"}) {
        const QByteArray uri = "file://" + (b.root() + '/' + file).toPercentEncoding("/");
        xbel += "  <bookmark href=\"" + xmlEscape(uri) + "\" added=\"2024-03-01T10:00:00Z\" modified=\"2024-03-01T10:00:00Z\""
                " visited=\"2024-03-01T10:00:00Z\">\n    <info>\n      <metadata owner=\"http://freedesktop.org\">\n"
                "        <bookmark:applications>\n          <bookmark:application name=\"Files\" exec=\"&apos;nautilus %u&apos;\""
                " modified=\"2024-03-01T10:00:00Z\" count=\"1\"/>\n        </bookmark:applications>\n"
                "      </metadata>\n    </info>\n  </bookmark>\n";
    }
    xbel += "</xbel>\n";
    b.text(".local/share/recently-used.xbel", xbel);
    for (const char* name : {"thesis-draft-v7.docx", "report.csv", "Budget 2024.numbers"})
        b.text(".local/share/RecentDocuments/" + QByteArray(name) + ".desktop",
               "[Desktop Entry]\nName=" + QByteArray(name) + "\nType=Link\nURL[$e]=file:$HOME/Documents/" + name
                   + "\nIcon=text-plain\n");
}

// Saved sessions of applications (KDE writes one file per application and session).
void makeLinuxSavedSessions(Builder& b)
{
    for (const char* app : {"dolphin", "konsole", "okular", "kate"}) {
        const QByteArray name = QByteArray(app) + "_10d3a8c2e1f4b5a6c7d8e9f0a1b2c3d4e5_1710151522_" + QByteArray::number(fnv1a(app) % 900000);
        b.data(".config/session/" + name, 1 * KiB + qint64(fnv1a(app) % 6000));
    }
}

// The user's startup items (property lists of ~/Library/LaunchAgents).
void makeLaunchAgents(Builder& b)
{
    const QByteArray lib = "Library/";
    const auto agent = [&](const QByteArray& file, const QByteArray& label, const QByteArray& program) {
        b.text(lib + "LaunchAgents/" + file,
               xmlPlist({{"Label", label}}, "\t<key>ProgramArguments</key>\n\t<array>\n\t\t<string>" + xmlEscape(program)
                                                + "</string>\n\t</array>\n\t<key>RunAtLoad</key>\n\t<true/>\n"));
    };
    agent("com.notewise.mac.helper.plist", "com.notewise.mac.helper",
          "/Applications/Notewise.app/Contents/Library/LoginItems/NotewiseHelper.app/Contents/MacOS/NotewiseHelper");
    agent("io.sketchpad.updater.wake.plist", "io.sketchpad.updater.wake",
          "/Users/demo/Library/Application Support/io.sketchpad.pro/Updater.app/Contents/MacOS/Updater");
    agent("com.tunebox.TuneboxHelper.plist", "com.tunebox.TuneboxHelper",
          "/Applications/Tunebox.app/Contents/MacOS/TuneboxHelper");
    agent("com.example.keystone.agent.plist", "com.example.keystone.agent",
          "/Users/demo/Library/Example/Keystone/Keystone.bundle/Contents/MacOS/keystone");
}

void makeUserFolders(Builder& b)
{
    // Large files (sparse), each of its own size so that none is read by the duplicate search.
    b.sparse("Downloads/ubuntu-24.04-desktop-amd64.iso", 6114656256);
    b.sparse("Downloads/Xcode_15.4.xip", 3247815219);
    b.sparse("Downloads/project-backup-2023.zip", 812340117);
    b.sparse("Downloads/conference-talk.m4a", 104857599); // one byte short of the large-file threshold
    b.sparse("Documents/Family Videos/Summer 2023.mov", 1932735283);
    b.sparse("Desktop/design-export.psd", 157286523);
    b.sparse("Movies/Screen Recording 2024-01-09 at 10.02.11.mov", 671088731);
    b.sparse("Movies/iMovie Library.imovielibrary/2024-01-09/Original Media/clip-01.mov", 289406977);
    b.sparse(".vagrant.d/boxes/ubuntu-jammy/0/virtualbox/box-disk001.vmdk", 2254857830); // hidden: not offered

    // Duplicate groups: same bytes under different names and folders.
    const auto group = [&](const QByteArray& key, qint64 size, const QList<QByteArray>& copies) {
        for (const QByteArray& copy : copies)
            b.media(copy, size, key);
    };
    group("heic-4521", 2411724, {"Pictures/IMG_4521.HEIC", "Downloads/IMG_4521 (1).HEIC", "Desktop/photo for mom.heic"});
    group("tax-2023", 1348211, {"Documents/Tax Return 2023.pdf", "Downloads/Tax Return 2023 (1).pdf"});
    group("setup-dmg", 3902117, {"Downloads/setup-tools-2.4.dmg", "Documents/Installers/setup-tools.dmg"});
    group("mountain", 1048576, // exactly the duplicate search's minimum size
          {"Pictures/Wallpapers/mountain-4k.jpg", "Desktop/wallpaper.jpg", "Documents/Misc/mountain.jpg",
           "Downloads/mountain-4k (2).jpg"});
    group("demo-mix", 3303710, {"Documents/Music Projects/demo-mix-v3.wav", "Desktop/demo-mix-final.wav"});

    // Same sizes, different content: not duplicates.
    b.media("Documents/Tax Return 2022.pdf", 1348211, "tax-2022");
    b.media("Pictures/IMG_4601.HEIC", 2097157, "heic-4601");
    b.media("Pictures/IMG_4602.HEIC", 2097157, "heic-4602");
    // Same first and last bytes, different middle (only a full read tells them apart).
    for (const QByteArray name : {"Pictures/Scans/scan-001.tiff", "Pictures/Scans/scan-002.tiff"})
        b.file(name, 1572864 + 4096,
               {{0, 64 * KiB, "tiff-header"}, {700 * KiB, 4 * KiB, name}, {1572864 - 60 * KiB, 64 * KiB, "tiff-trailer"}});
    // Same head, different tail.
    b.file("Documents/report-q1.docx", 1200011, {{0, 64 * KiB, "docx-header"}, {1200011 - 64 * KiB, 64 * KiB, "q1"}});
    b.file("Documents/report-q2.docx", 1200011, {{0, 64 * KiB, "docx-header"}, {1200011 - 64 * KiB, 64 * KiB, "q2"}});
    // Identical but below the minimum size.
    b.data("Desktop/notes.txt", 5 * KiB + 12, "notes");
    b.data("Documents/notes.txt", 5 * KiB + 12, "notes");
    // A hidden copy is never offered.
    b.media("Downloads/.IMG_4521.HEIC.part", 2411724, "heic-4521");

    // Everyday files.
    b.sparse("Downloads/invoice-0423.pdf", 184233);
    b.sparse("Downloads/Screenshot 2024-05-02 at 09.41.12.png", 1482331);
    b.data("Downloads/report.csv", 40122);
    b.sparse("Downloads/Archive.zip", 22018441);
    b.sparse("Documents/Thesis/thesis-draft-v7.docx", 2917336);
    for (int i = 1; i <= 6; ++i)
        b.sparse("Documents/Thesis/figures/fig-0" + QByteArray::number(i) + ".png", 210 * KiB + 9000 * i);
    b.data("Documents/Budget 2024.numbers", 318 * KiB + 44);
    b.sparse("Desktop/Screen Shot 2024-04-18 at 16.20.55.png", 1913771);
    for (int i = 0; i < 8; ++i)
        b.sparse("Pictures/Photos Library.photoslibrary/originals/" + QByteArray::number(i, 16).toUpper() + "/IMG_50"
                     + QByteArray::number(10 + i) + ".HEIC",
                 2 * MiB + 100003 * (i + 1));
    b.sparse("Pictures/Photos Library.photoslibrary/database/Photos.sqlite", 38 * MiB + 511);
    for (int i = 0; i < 5; ++i)
        b.sparse("Music/Music/Media.localized/Music/Unknown Artist/Unknown Album/Track 0" + QByteArray::number(i + 1) + ".mp3",
                 (3 + i) * MiB + 777 * i);
    b.data(".zshrc", 412);
    b.data(".ssh/known_hosts", 1 * KiB + 98);
}

// ---- Linux applications and startup items ----

QByteArray desktopEntry(const QList<QPair<QByteArray, QByteArray>>& keys)
{
    QByteArray out = "[Desktop Entry]\nType=Application\n";
    for (const auto& [key, value] : keys)
        out += key + '=' + value + '\n';
    return out;
}

void makeLinuxApplications(Builder& b)
{
    const QByteArray home = b.root();
    // An AppImage the desktop knows through an entry written when it was first opened.
    const QByteArray inkwell = "Applications/Inkwell-3.2.1-x86_64.AppImage";
    appImage(b, inkwell, 88 * MiB + 5021); // under the large-file threshold: found once, as an app
    // As appimaged names the copy of the AppImage's own entry (inkwell.desktop): its id and
    // window class are what prove the folders below to be Inkwell's.
    b.text(".local/share/applications/appimagekit_4f1c2e6b0d9a8e7f5c3b2a1d0e9f8a7b-inkwell.desktop",
           desktopEntry({{"Name", "Inkwell Notes"}, {"Name[es]", "Notas Inkwell"}, {"StartupWMClass", "Inkwell"},
                         {"Exec", '"' + home + '/' + inkwell + "\" %U"}, {"TryExec", home + '/' + inkwell},
                         {"Icon", "appimagekit_4f1c2e_inkwell"}, {"Categories", "Office;"}}));
    b.text(".local/share/icons/hicolor/128x128/apps/appimagekit_4f1c2e_inkwell.png", makeIcns(0x7B5CFF, 0x3A1FB8).mid(16));
    b.sparse(".config/Inkwell/settings.json", 3 * KiB + 12);
    b.sparse(".local/share/Inkwell/notebooks/work.db", 212 * MiB + 77);
    b.sparse(".cache/inkwell/Cache/Cache_Data/data_1", 41 * MiB + 930);
    // One kept among the user's commands, with no entry: it goes by its file name.
    appImage(b, ".local/bin/rivet.AppImage", 24 * MiB + 9);
    b.text(".config/rivet/config.toml", "theme = \"dark\"\n");
    b.sparse(".local/state/rivet/history", 88 * KiB + 41);
    // Named like an AppImage but an unfinished download: not one.
    b.sparse("Applications/Photon-1.0.AppImage", 3 * MiB);

    // A per-user Flatpak app as flatpak deploys it (listed where flatpak is installed).
    const QByteArray id = "io.example.Lumen";
    const QByteArray app = ".local/share/flatpak/app/" + id;
    const QByteArray deploy = app + "/x86_64/stable/5d1b8e0c3f1a4c8b9e553a7c5b1e9f02a1b2c3d4e5f60718293a4b5c6d7e8f90/";
    b.text(deploy + "metadata", "[Application]\nname=" + id + "\nruntime=org.freedesktop.Platform/x86_64/23.08\n");
    b.file(deploy + "files/bin/lumen", 64 * MiB + 77, {{0, 96 * KiB, deploy + "lumen"}});
    b.text(deploy + "export/share/applications/" + id + ".desktop",
           desktopEntry({{"Name", "Lumen"}, {"Comment", "Photo viewer"}, {"Comment[es]", "Visor de fotos"},
                         {"Exec", "/usr/bin/flatpak run --branch=stable --arch=x86_64 --command=lumen " + id},
                         {"Icon", id}, {"X-Flatpak", id}}));
    b.text(deploy + "export/share/icons/hicolor/128x128/apps/" + id + ".png", makeIcns(0xFF4F79, 0xB3143C).mid(16));
    link(b, app + "/x86_64/stable/active", "5d1b8e0c3f1a4c8b9e553a7c5b1e9f02a1b2c3d4e5f60718293a4b5c6d7e8f90");
    link(b, app + "/current", "x86_64/stable");
    b.sparse(".var/app/" + id + "/cache/thumbnails.db", 146 * MiB + 3);
    b.text(".var/app/" + id + "/config/lumen.conf", "[view]\nzoom=fit\n");

    // Its runtime and the graphics driver extending it stay; an older runtime no app names,
    // with its translations, is unused.
    const auto runtime = [&](const QByteArray& ref, qint64 size, const QByteArray& extra) {
        const QByteArray folder = ".local/share/flatpak/runtime/" + ref;
        b.text(folder + "/8c41d07e/metadata", "[Runtime]\nname=" + ref.left(ref.indexOf('/')) + '\n' + extra);
        b.sparse(folder + "/8c41d07e/files/lib/libruntime.so", size);
        link(b, folder + "/active", "8c41d07e");
    };
    runtime("org.freedesktop.Platform/x86_64/23.08", 612 * MiB + 5,
            "\n[Extension org.freedesktop.Platform.GL]\ndirectory=lib/GL\nversion=1.4\nversions=23.08;1.4\n"
            "subdirectories=true\n");
    runtime("org.freedesktop.Platform.GL.default/x86_64/23.08", 188 * MiB + 11, {});
    runtime("org.gnome.Platform/x86_64/44", 903 * MiB + 17, "\n[Extension org.gnome.Platform.Locale]\ndirectory=share/runtime/locale\n");
    runtime("org.gnome.Platform.Locale/x86_64/44", 14 * MiB + 3, {});
}

void makeLinuxStartupItems(Builder& b)
{
    b.text(".config/autostart/inkwell-sync.desktop",
           desktopEntry({{"Name", "Inkwell Sync"}, {"Name[es]", "Sincronización de Inkwell"},
                         {"Exec", "inkwell --background"}, {"X-GNOME-Autostart-enabled", "true"}}));
    // No Name: shown by its file name.
    b.text(".config/autostart/com.example.keystone.agent.desktop", "[Desktop Entry]\nType=Application\nExec=keystone\n");
    // Switched off by the user: not a startup item.
    b.text(".config/autostart/tracker-miner.desktop", desktopEntry({{"Name", "Tracker"}, {"Hidden", "true"}}));
    // A systemd user unit enabled for the session.
    b.text(".config/systemd/user/rivet-indexer.service",
           "[Unit]\nDescription=Rivet indexer\n\n[Service]\nExecStart=%h/.local/bin/rivet.AppImage index\n\n"
           "[Install]\nWantedBy=default.target\n");
    link(b, ".config/systemd/user/default.target.wants/rivet-indexer.service", "../rivet-indexer.service");
}

} // namespace

DemoHomeResult makeDemoHome(const QByteArray& dir, Platform platform)
{
    DemoHomeResult result;
    QByteArray target = dir;
    while (target.size() > 1 && target.endsWith('/'))
        target.chop(1);
    if (target.isEmpty()) {
        result.status = DemoHomeResult::NotAFolder;
        return result;
    }

    struct stat st;
    if (::stat(target.constData(), &st) != 0) {
        // A missing folder is made, parents included.
        Builder maker(target.startsWith('/') ? QByteArray() : QByteArray("."));
        maker.dir(target);
        if (!maker.ok()) {
            result.failedPath = maker.failed();
            return result;
        }
    } else if (!S_ISDIR(st.st_mode)) {
        result.status = DemoHomeResult::NotAFolder;
        return result;
    }
    const std::optional<FilePath> real = realPath(target);
    if (!real) {
        result.failedPath = target;
        return result;
    }
    result.home = *real;
    if (!isEmptyFolder(result.home)) {
        result.status = ::access(result.home.constData(), R_OK) == 0 ? DemoHomeResult::NotEmpty
                                                                       : DemoHomeResult::Failed;
        result.failedPath = result.home;
        return result;
    }

    Builder b(result.home);
    for (const char* folder : {"Desktop", "Documents", "Downloads", "Movies", "Music", "Pictures", "Public",
                               "Applications"})
        b.dir(folder);
    makeApplications(b);
    makeLaunchAgents(b);
    if (platform == Platform::macOS) {
        b.dir("Library/Preferences");
        makeCaches(b);
        makeSystemLikeFolders(b);
    } else {
        for (const char* folder : {".config", ".local/share", ".local/state"})
            b.dir(folder);
        makeLinuxCaches(b);
        makeLinuxLogs(b);
        makeLinuxTrash(b);
        makeLinuxRecentFiles(b);
        makeLinuxSavedSessions(b);
    }
    makeUserFolders(b);
    makeLinuxApplications(b);
    makeLinuxStartupItems(b);
    if (!b.ok()) {
        result.failedPath = b.failed();
        return result;
    }
    finish(result.home, {}, result);
    result.status = DemoHomeResult::Ok;
    return result;
}

} // namespace orvane::cli
