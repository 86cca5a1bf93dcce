import QtQuick

// The rows of an open category card, for the part of it the results list shows: the card sets
// the model, the row delegate and where the rows start (contentY); the list never scrolls itself.
ListView {
    interactive: false
    cacheBuffer: 0
    reuseItems: true
}
