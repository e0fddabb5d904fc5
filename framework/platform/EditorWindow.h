#pragma once

#include <memory>

class IEditorWindow;

// This platform's editor window: a Win32 child window on Windows, an X11 child window of the
// host's window elsewhere. Opening it fails (returns null) rather than crash when there is no
// display or the parent is not a window.
std::unique_ptr<IEditorWindow> NewSystemEditorWindow();
