#pragma once

// windows.h maps DrawText to DrawTextA; the graphics object keeps its own name.
#ifdef DrawText
#undef DrawText
#endif

#include "IEditorLink.h"
#include "IGraphicsTypes.h"

#include <string>
#include <vector>

class IControl;
class IParameter;
class IPluginBase;
class IRaster;
class ITextControl;

// The editor's model: the control list, dirty tracking and the draw pass, mouse and key
// routing, and the parameter flow between controls and the plug-in. Drawing and every
// platform service are left to the layers below.
class IEditorGraphics : public IEditorLink {
public:
    IEditorGraphics(IPluginBase* plugin, int width, int height, int frameRate = 0);
    ~IEditorGraphics() override;
    IEditorGraphics(const IEditorGraphics&) = delete;
    IEditorGraphics& operator=(const IEditorGraphics&) = delete;

    // IEditorLink.
    int Width() const override { return width; }
    int Height() const override { return height; }
    void PushParameterValue(int paramIdx, double value, bool isNormalized) override;
    void MoveParameterControls(int paramIdx, double normalizedValue) override;

    // Drawing into the off-screen bitmap. Each returns true.
    virtual bool PresentRect(const IRect& rect) = 0;
    virtual bool DrawBitmap(const IBitmapStrip& strip, const IRect& dest, int srcX, int srcY,
                            const IBlendSpec* blend) = 0;
    virtual bool BlitRotated(const IBitmapStrip& strip, int centreX, int centreY, double angle,
                             int yOffsetAtZero, const IBlendSpec* blend) = 0;
    virtual bool BlitRotatedMasked(const IBitmapStrip& base, const IBitmapStrip& mask,
                                   const IBitmapStrip& top, int x, int y, double angleDegrees,
                                   const IBlendSpec* blend) = 0;
    virtual bool PlotPoint(const IColorARGB& colour, float x, float y, const IBlendSpec* blend,
                           bool antialias) = 0;
    virtual bool WritePixel(const IColorARGB& colour, int x, int y) = 0;
    virtual bool DrawLine(const IColorARGB& colour, float x1, float y1, float x2, float y2,
                          const IBlendSpec* blend, bool antialias) = 0;
    virtual bool DrawArc(const IColorARGB& colour, float cx, float cy, float radius, float minAngle,
                         float maxAngle, const IBlendSpec* blend, bool antialias) = 0;
    virtual bool DrawCircle(const IColorARGB& colour, float cx, float cy, float radius,
                            const IBlendSpec* blend, bool antialias) = 0;
    virtual bool FillRect(const IColorARGB& colour, const IRect& rect, const IBlendSpec* blend) = 0;
    virtual bool DrawText(const ITextStyle& style, const char* text, const IRect& rect) = 0;
    // The width DrawText gives the text, or -1 where there is no text engine to ask.
    virtual int MeasureText(const ITextStyle& style, const char* text) {
        (void)style;
        (void)text;
        return -1;
    }
    virtual IColorARGB ReadPixel(int x, int y) = 0;
    virtual uint32_t* PixelBuffer() = 0;
    // Stores the size, forgets capture and hover, deletes every control and tells the
    // plug-in; the layers below resize the bitmap and the window.
    virtual void Resize(int newWidth, int newHeight);

    // Platform services.
    virtual bool HasWindow() const = 0;
    virtual void OpenTextEditor(ITextControl* control) = 0;
    virtual void AskParameterValue(IControl* control, IParameter* param) = 0;
    virtual void HostFolder(std::string& out) = 0;
    virtual void ModuleFolder(std::string& out) = 0;
    virtual void AskForFile(std::string& outFileName, int action, const char* folder,
                            const char* extensions) = 0;
    // Whether AskForFile can show a file dialog (false without a window service).
    virtual bool HasFileDialog() const { return false; }
    virtual bool AskForColour(IColorARGB& colour, const char* prompt) = 0;
    virtual bool OpenWebPage(const char* url, const char* title, const char* confirmMessage,
                             const char* errorMessage) = 0;
    // A message box for the user (see IEditorWindow::ShowMessage); nothing without a window service.
    virtual void ShowMessage(const char* text, const char* caption) {
        (void)text;
        (void)caption;
    }
    virtual int Unused(int, int) { return 0; }
    virtual void* WindowHandle() = 0;

    // Images; all of them belong to the process-wide cache.
    virtual IBitmapStrip LoadImageFile(const char* fileName, int frames) = 0;
    virtual IBitmapStrip LoadImageResource(int resourceId, const char* resourceName, int frames) = 0;
    virtual IBitmapStrip ScaledCopy(const IBitmapStrip& strip, int newWidth, int newHeight) = 0;
    virtual IBitmapStrip CroppedCopy(const IBitmapStrip& strip, const IRect& area) = 0;
    // Inserts the background as control 0 and takes it over; later indices shift by one (null:
    // nothing changes). SetBackgroundImage (IBitmapControls.h) makes one of an image.
    virtual void SetBackground(IControl* background);
    virtual void DrawVerticalLine(const IColorARGB& colour, int x, int yLow, int yHigh) = 0;
    virtual void DrawHorizontalLine(const IColorARGB& colour, int y, int xLow, int xHigh) = 0;
    virtual void CacheImage(const IBitmapStrip& strip);
    virtual void UncacheImage(const IBitmapStrip& strip);
    virtual IRaster* DecodeImageFile(const char* fileName) = 0;
    virtual IRaster* DecodeImageResource(int resourceId, const char* resourceName) = 0;

    // The control list. The graphics object owns each control from AddControl on.
    int AddControl(IControl* control);
    int ControlCount() const { return static_cast<int>(controls.size()); }
    IControl* ControlAt(int index) const;
    void DrawFrame(const IBitmapStrip& strip, const IRect& dest, int frame, const IBlendSpec* blend);
    void PushControlValue(int controlIdx, double normalizedValue);
    void MarkAllDirty();
    void HideParam(int paramIdx, bool hide);
    // Gives the plug-in's control mirror every bound control and the value it holds (once the
    // controls are all attached), and shows the values waiting there; both with the plug-in lock.
    void BindControlMirror();
    void ApplyControlMirror();

    // Timer tick: the union of the dirty controls' rectangles (empty when none).
    bool NeedsRedraw(IRect& outRect);
    // Paint: cleans and draws the controls that meet rect, cleans the others that did not change
    // since the last scan, presents rect. Runs on the window thread without the plug-in lock;
    // what it reads from a control is atomic.
    bool Draw(const IRect& rect);

    // Events, in editor pixels.
    int FindControlAt(int x, int y) const;
    void OnMouseDown(int x, int y, const IMouseKeys& mods);
    void OnMouseUp(int x, int y, const IMouseKeys& mods);
    void OnMouseDrag(int x, int y, const IMouseKeys& mods);
    // True when the control took the click as a mouse-down (the platform then captures).
    bool OnMouseDblClick(int x, int y, const IMouseKeys& mods);
    void OnMouseWheel(int x, int y, const IMouseKeys& mods, int notches);
    void OnKeyDown(int x, int y, int key);
    // Text typing: the control given the key focus (a text field while it is open) takes every
    // typed key; a click outside it hands it an Escape and goes no further. OnTextKey is false
    // when no control has the focus or it did not take the key.
    void SetKeyFocus(IControl* control) { keyFocus = control; }
    IControl* KeyFocus() const { return keyFocus; }
    bool OnTextKey(ITextKey key, uint32_t character);
    // The editor's own text field (see ITextFieldControl), which platforms without a text-entry
    // popup of their own use to ask for a value; null when the editor has none.
    void SetTextField(IControl* field) { textField = field; }
    IControl* TextField() const { return textField; }
    // True when the platform should report the mouse leaving the window.
    bool OnMouseOver(int x, int y, const IMouseKeys& mods);
    void OnMouseOut();

    IPluginBase* Plugin() const { return plugin; }
    int FrameRate() const { return frameRate; }
    const IRect& DrawRect() const { return drawRect; }
    int CaptureIndex() const { return captureIdx; }
    int HoverIndex() const { return hoverIdx; }
    bool HoverTracking() const { return hoverTracking; }
    void EnableHoverTracking() { hoverTracking = true; }

protected:
    void DeleteControls();

    std::vector<IControl*> controls;
    std::vector<unsigned> scannedChanges; // each control's change count at the last dirty scan
    IPluginBase* plugin;
    IRect drawRect;
    int width;
    int height;
    int frameRate;
    IControl* keyFocus = nullptr;
    IControl* textField = nullptr;
    int captureIdx = -1;
    int hoverIdx = -1;
    int lastX = -1;
    int lastY = -1;
    bool hoverTracking = false;
};
