#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace platform {

// The title every box of ours carries. Set per box rather than as the application's display
// name, which Qt would append to the title of every window.
inline constexpr auto applicationTitle = "Pindrel";

// Shows a modal note to the user and returns once it is dismissed. The window takes one of these
// so that tests can record what would have been shown.
using Messenger = std::function<void(QWidget *parent, const QString &text)>;

// A path as the user reads it on this platform (C:\Users\... on Windows), for every message that
// names a file or a folder.
QString pathForMessage(const QString &path);

// A modal box with the prompt text, a single OK button, no icon and the application's title.
void showMessageBox(QWidget *parent, const QString &text);

} // namespace platform
