#include "symbols.h"

#include <QFontDatabase>

namespace orvane {

const QHash<QString, char16_t>& symbolTable()
{
    static const QHash<QString, char16_t> table = {
        // sections and sources
        {QStringLiteral("sparkles"), 0xe65f},              // auto_awesome
        {QStringLiteral("sparkle"), 0xe838},               // star
        {QStringLiteral("trash"), 0xe92e},                 // delete_outline
        {QStringLiteral("trash.fill"), 0xe872},            // delete
        {QStringLiteral("square.grid.2x2"), 0xe9b0},       // grid_view
        {QStringLiteral("square.grid.2x2.fill"), 0xe5c3},  // apps
        {QStringLiteral("internaldrive"), 0xe1db},         // storage
        {QStringLiteral("internaldrive.fill"), 0xe875},    // dns
        {QStringLiteral("shield"), 0xe32a},                // security
        {QStringLiteral("shield.fill"), 0xe9e0},           // shield
        {QStringLiteral("doc.on.doc"), 0xe14d},            // content_copy
        {QStringLiteral("doc.on.doc.fill"), 0xe173},       // file_copy
        {QStringLiteral("gearshape"), 0xe8b8},             // settings
        {QStringLiteral("info.circle"), 0xe88f},           // info_outline
        {QStringLiteral("hammer"), 0xea59},                // hardware
        {QStringLiteral("shippingbox"), 0xe1a1},           // inventory_2
        {QStringLiteral("arrow.down.circle"), 0xf181},     // arrow_circle_down
        {QStringLiteral("doc.text"), 0xe873},              // description
        {QStringLiteral("macwindow"), 0xe069},             // web_asset
        {QStringLiteral("doc.fill"), 0xe24d},              // insert_drive_file
        {QStringLiteral("doc"), 0xe06f},                   // note
        {QStringLiteral("clock.arrow.circlepath"), 0xe889}, // history
        {QStringLiteral("safari"), 0xe87a},                // explore
        {QStringLiteral("globe"), 0xe894},                 // language
        {QStringLiteral("flame"), 0xef55},                 // local_fire_department
        // space explorer folders
        {QStringLiteral("folder"), 0xe2c7},                // folder
        {QStringLiteral("menubar.dock.rectangle"), 0xe30c}, // desktop_windows
        {QStringLiteral("film"), 0xe02c},                  // movie
        {QStringLiteral("music.note"), 0xe405},            // music_note
        {QStringLiteral("photo"), 0xe410},                 // photo
        {QStringLiteral("books.vertical"), 0xe02f},        // library_books
        // controls
        {QStringLiteral("checkmark.seal.fill"), 0xef76},   // verified
        {QStringLiteral("house.fill"), 0xe88a},            // home
        {QStringLiteral("heart.fill"), 0xe87d},            // favorite
        {QStringLiteral("bolt.fill"), 0xea0b},             // bolt
        {QStringLiteral("checkmark.square.fill"), 0xe834}, // check_box
        {QStringLiteral("square"), 0xe835},                // check_box_outline_blank
        {QStringLiteral("minus.square.fill"), 0xe909},     // indeterminate_check_box
        {QStringLiteral("chevron.right"), 0xe5cc},         // chevron_right
        {QStringLiteral("chevron.left"), 0xe5cb},          // chevron_left
        {QStringLiteral("paintbrush.pointed.fill"), 0xe3ae}, // brush
        {QStringLiteral("checkmark.circle.fill"), 0xe86c}, // check_circle
        {QStringLiteral("circle"), 0xe836},                // radio_button_unchecked
        {QStringLiteral("arrow.right.circle.fill"), 0xeaaa}, // arrow_circle_right
        {QStringLiteral("arrow.up.forward.square"), 0xe89e}, // open_in_new
        {QStringLiteral("envelope.fill"), 0xe158},         // mail
        {QStringLiteral("xmark"), 0xe5cd},                 // close
        {QStringLiteral("minus"), 0xe15b},                 // remove
        {QStringLiteral("rectangle"), 0xe3c6},             // crop_square
        {QStringLiteral("rectangle.on.rectangle"), 0xe3e0}, // filter_none
        {QStringLiteral("magnifyingglass"), 0xe8b6},       // search
        {QStringLiteral("power"), 0xe8ac},                 // power_settings_new
        {QStringLiteral("xmark.circle"), 0xe888},          // highlight_off
        {QStringLiteral("exclamationmark.triangle.fill"), 0xe002}, // warning
    };
    return table;
}

QString symbolGlyph(const QString& name)
{
    const char16_t code = symbolTable().value(name, 0xe8fd); // help_outline
    return QString(QChar(code));
}

bool loadSymbolFont()
{
    static const bool loaded = [] {
        const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(symbolFontFile));
        return id >= 0 && QFontDatabase::applicationFontFamilies(id).contains(QLatin1String(symbolFontFamily));
    }();
    return loaded;
}

} // namespace orvane
