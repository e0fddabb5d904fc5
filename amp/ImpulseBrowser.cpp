#include "ImpulseBrowser.h"

#include "FolderListing.h"
#include "IEditorGraphics.h"
#include "LibraryFolder.h"

#include <algorithm>
#include <cctype>

namespace {
constexpr int kHeader = 22;
constexpr int kRowHeight = 14;
constexpr int kScrollWidth = 14;
constexpr int kInset = 8;

bool IsWav(const std::string& name) {
    if (name.size() <= 4) return false;
    std::string extension = name.substr(name.size() - 4);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".wav";
}

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

std::string WithSeparator(std::string folder) {
    if (!folder.empty() && !IsSeparator(folder.back())) folder += PathSeparator();
    return folder;
}

bool NameOrder(const FolderEntry& a, const FolderEntry& b) {
    std::string x = a.name, y = b.name;
    for (char& c : x)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : y)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return x != y ? x < y : a.name < b.name;
}
} // namespace

std::string ParentFolder(const std::string& folder) {
    std::string f = folder;
    while (!f.empty() && IsSeparator(f.back()))
        f.pop_back();
    const size_t cut = f.find_last_of("/\\");
    if (cut == std::string::npos) return std::string();
    return f.substr(0, cut + 1);
}

ImpulseBrowser::ImpulseBrowser(IPluginBase* owner, const IRect& r,
                               std::function<void(const std::string&)> pick)
    : IControl(owner, r), choose(std::move(pick)) {
    hidden = true;
}

bool ImpulseBrowser::Enter(const std::string& where) {
    const std::string target = WithSeparator(where);
    std::vector<FolderEntry> listed;
    if (target.empty() || !ListFolder(target.c_str(), listed)) return false;
    std::sort(listed.begin(), listed.end(), NameOrder);
    std::vector<Entry> list;
    const std::string parent = ParentFolder(target);
    if (!parent.empty()) list.push_back({"..", parent, true});
    for (const FolderEntry& e : listed)
        if (e.isDirectory && e.name[0] != '.')
            list.push_back({e.name + "/", target + e.name + PathSeparator(), true});
    for (const FolderEntry& e : listed)
        if (!e.isDirectory && IsWav(e.name)) list.push_back({e.name, target + e.name, false});
    folder = target;
    entries = std::move(list);
    first = 0;
    MarkDirty(false);
    return true;
}

void ImpulseBrowser::Open(const std::vector<std::string>& folders) {
    for (const std::string& f : folders)
        if (!f.empty() && Enter(f)) break;
    Hide(false);
}

void ImpulseBrowser::Close() {
    Hide(true);
}

void ImpulseBrowser::Scroll(int rows) {
    const int last = std::max(0, static_cast<int>(entries.size()) - kRows);
    const int moved = std::clamp(first + rows, 0, last);
    if (moved == first) return;
    first = moved;
    MarkDirty(false);
}

IRect ImpulseBrowser::RowRect(int k) const {
    const int top = rect.top + kHeader + k * kRowHeight;
    return IRect(rect.left + kInset, top, rect.right - kInset - kScrollWidth, top + kRowHeight);
}

IRect ImpulseBrowser::CloseRect() const {
    return IRect(rect.right - kInset - 44, rect.top + 4, rect.right - kInset, rect.top + kHeader - 4);
}

int ImpulseBrowser::RowAt(int y) const {
    const int k = (y - rect.top - kHeader) / kRowHeight;
    if (y < rect.top + kHeader || k >= kRows) return -1;
    return k;
}

void ImpulseBrowser::OnMouseDown(int x, int y, const IMouseKeys& mods) {
    if (!mods.left) return;
    if (CloseRect().Contains(x, y)) {
        Close();
        return;
    }
    const int k = RowAt(y);
    if (k < 0) return;
    if (x >= rect.right - kInset - kScrollWidth) {
        // The scroll column: its upper half pages up, its lower half down.
        Scroll(y < RowRect(kRows / 2).top ? -(kRows - 1) : kRows - 1);
        return;
    }
    const size_t at = static_cast<size_t>(first + k);
    if (at >= entries.size()) return;
    const Entry entry = entries[at];
    if (entry.folder) {
        Enter(entry.path);
        return;
    }
    Close();
    if (choose) choose(entry.path);
}

void ImpulseBrowser::OnMouseWheel(int, int, const IMouseKeys&, int notches) {
    Scroll(-3 * notches);
}

bool ImpulseBrowser::Draw(IEditorGraphics* graphics) {
    const IColorARGB panel(255, 22, 22, 24), edge(255, 235, 160, 60), paper(255, 240, 190, 100),
        ink(255, 0, 0, 0), light(255, 220, 220, 220), folderInk(255, 90, 40, 0), bar(255, 70, 70, 74);
    graphics->FillRect(panel, rect, nullptr);
    graphics->DrawHorizontalLine(edge, rect.top, rect.left, rect.right - 1);
    graphics->DrawHorizontalLine(edge, rect.bottom - 1, rect.left, rect.right - 1);
    graphics->DrawVerticalLine(edge, rect.left, rect.top, rect.bottom - 1);
    graphics->DrawVerticalLine(edge, rect.right - 1, rect.top, rect.bottom - 1);

    // The header: the folder (its end when it is long) and CLOSE.
    const ITextStyle header(11, &light, "Arial", ITextStyle::kNormal, ITextStyle::kAlignLeft);
    const IRect closeRect = CloseRect();
    const IRect title(rect.left + kInset, rect.top + 4, closeRect.left - 6, rect.top + kHeader - 2);
    std::string shown = folder.empty() ? std::string("(no folder can be read)") : folder;
    const int room = title.W();
    while (shown.size() > 4 && graphics->MeasureText(header, shown.c_str()) > room)
        shown = "..." + shown.substr(std::min<size_t>(shown.size(), 4));
    graphics->DrawText(header, shown.c_str(), title);
    graphics->FillRect(bar, closeRect, nullptr);
    const ITextStyle closeStyle(9, &light, "Arial", ITextStyle::kBold, ITextStyle::kAlignCentre);
    graphics->DrawText(closeStyle, "CLOSE", closeRect);

    // The rows on the display's amber, folders in brown.
    const IRect list(rect.left + kInset, rect.top + kHeader, rect.right - kInset, RowRect(kRows - 1).bottom);
    graphics->FillRect(paper, list, nullptr);
    const ITextStyle file(12, &ink, "Arial", ITextStyle::kNormal, ITextStyle::kAlignLeft);
    ITextStyle sub = file;
    sub.colour = folderInk;
    sub.style = ITextStyle::kBold;
    for (int k = 0; k < kRows; ++k) {
        const size_t at = static_cast<size_t>(first + k);
        if (at >= entries.size()) break;
        IRect row = RowRect(k);
        row.left += 4;
        graphics->DrawText(entries[at].folder ? sub : file, entries[at].name.c_str(), row);
    }
    if (entries.empty()) {
        const ITextStyle empty(12, &folderInk, "Arial", ITextStyle::kNormal, ITextStyle::kAlignCentre);
        graphics->DrawText(empty, "no folders or WAV files here", RowRect(1));
    }

    // The scroll column with a thumb for the part shown.
    const IRect column(list.right - kScrollWidth, list.top, list.right, list.bottom);
    graphics->FillRect(bar, column, nullptr);
    const int count = static_cast<int>(entries.size());
    if (count > kRows) {
        const int h = column.H();
        const int top = column.top + h * first / count, bottom = column.top + h * (first + kRows) / count;
        graphics->FillRect(
            edge, IRect(column.left + 3, top + 1, column.right - 3, std::max(top + 4, bottom - 1)), nullptr);
    } else {
        graphics->FillRect(edge, IRect(column.left + 3, column.top + 1, column.right - 3, column.bottom - 1),
                           nullptr);
    }
    return true;
}
