import QtQuick

// The wordmark: 92 high when large, 42 otherwise; the width follows the artwork.
Image {
    property bool large: false
    source: "qrc:/Orvane/Shell/assets/logo.svg"
    height: large ? 92 : 42
    width: Math.round(height * 300 / 92)
    sourceSize.height: height * 2
    fillMode: Image.Stretch
    smooth: true
}
