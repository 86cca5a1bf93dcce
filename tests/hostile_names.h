#pragma once

// Names a hostile file or program may hand over (a Trash item's original name, a desktop entry's
// Name=): markup that would fetch an image and draw bold text, terminal escapes, a newline that
// forges a result line, C1 controls and bidirectional overrides. Both the terminal printer and the
// labels of the window get the same table.

#include <QByteArray>
#include <QList>

namespace hostile {

struct Name {
    const char* tag;
    QByteArray bytes;   // the name as UTF-8
    QByteArray printed; // how orvane-cli writes it on a terminal
};

// `tracker` is an address the markup row points its image at (a local server that counts requests).
inline QList<Name> names(const QByteArray& tracker)
{
    const QByteArray markup = "<img src='" + tracker + "'><b>Bold</b>";
    return {
        {"markup", markup, markup},
        {"retitle", "\x1b]0;owned\x07title", "\\x1b]0;owned\\x07title"},
        {"clear screen", "\x1b[2Jclear", "\\x1b[2Jclear"},
        {"forged line", "a\n  [ ]  100 GB  ~FAKE", "a\\x0a  [ ]  100 GB  ~FAKE"},
        {"C1 control", "c1\xc2\x9b" "2J", "c1\\xc2\\x9b2J"},
        {"bidi override", "bidi\xe2\x80\xaegpj.exe", "bidi\\xe2\\x80\\xaegpj.exe"},
        {"backslash", "back\\x1b", "back\\\\x1b"},
    };
}

} // namespace hostile
