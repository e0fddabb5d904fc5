#pragma once

#include "IControl.h"

#include <functional>
#include <string>
#include <vector>

// The editor's own impulse file browser, drawn in the impulse panel's place: a folder's parent
// entry, its sub-folders and its WAV files, scrolled by the wheel or by clicks on the scroll
// column. A click on a folder enters it, a click on a WAV file hands its path to `choose` and
// closes the list, CLOSE closes it. The file button opens it where the system offers no file
// dialog. It lives on the window thread.
class ImpulseBrowser : public IControl {
public:
    static constexpr int kRows = 12;

    struct Entry {
        std::string name; // as shown: "..", "Sub/", "room.wav"
        std::string path; // the folder (with its separator) or the file
        bool folder = false;
    };

    ImpulseBrowser(IPluginBase* plugin, const IRect& rect, std::function<void(const std::string&)> choose);

    // Shows the list of folder (the first readable of the folders given: "" ones are skipped).
    void Open(const std::vector<std::string>& folders);
    void Close();
    bool IsOpen() const { return !IsHidden(); }
    const std::string& Folder() const { return folder; }
    const std::vector<Entry>& Entries() const { return entries; }
    int FirstRow() const { return first; }
    // The row a point of the list is on (-1 outside the rows), and the rectangle of row k.
    int RowAt(int y) const;
    IRect RowRect(int k) const;
    IRect CloseRect() const;

    // Lists a folder; false (and nothing changes) when it cannot be read.
    bool Enter(const std::string& folder);
    void Scroll(int rows);

    void OnMouseDown(int x, int y, const IMouseKeys& mods) override;
    void OnMouseDblClick(int x, int y, const IMouseKeys& mods) override { OnMouseDown(x, y, mods); }
    void OnMouseWheel(int x, int y, const IMouseKeys& mods, int notches) override;
    bool Draw(IEditorGraphics* graphics) override;

private:
    std::function<void(const std::string&)> choose;
    std::string folder;
    std::vector<Entry> entries;
    int first = 0;
};

// The folder above folder (both with their trailing separator), or "" at the top.
std::string ParentFolder(const std::string& folder);
