// The compiled-in resources (icons, cursors) live in this library; Qt's
// resource compiler adds them to it.
