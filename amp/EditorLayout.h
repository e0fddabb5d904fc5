#pragma once

#include <memory>

class IEditorWindow;

constexpr int kEditorWidth = 630;
constexpr int kEditorHeight = 440;

// The window service of this platform's editor, or null where the plug-in has none yet
// (the editor is then headless: it draws into its bitmap but never opens a window).
std::unique_ptr<IEditorWindow> NewEditorWindow();
