#pragma once

#include "HeadlessWindow.h"
#include "IPlatformGraphics.h"
#include "MemoryRaster.h"
#include "RecordingPlugin.h"

#include <gtest/gtest.h>

#include <memory>

// A recording plug-in with a 64 x 48 headless editor; text is drawn only when asked for.
class EditorTest : public testing::Test {
protected:
    explicit EditorTest(bool withText = false) {
        auto headless = std::make_unique<HeadlessWindow>();
        window = headless.get();
        graphics = new IPlatformGraphics(plugin.get(), 64, 48, 0, std::move(headless),
                                         withText ? NewSystemTextRenderer() : nullptr);
    }
    ~EditorTest() override {
        if (!attached) delete graphics;
    }

    // Attached and ready to draw, as when a host first opens or draws the editor.
    void Attach() {
        plugin->AttachEditor(graphics);
        graphics->CreateDrawSurfaces();
        attached = true;
    }
    void Open() {
        if (!attached) Attach();
        ASSERT_EQ(graphics->CreateEditorWindow(nullptr), 1);
    }

    // A strip of frames of the given height, frame k filled with colours[k - 1]; cached.
    IBitmapStrip Strip(int width, int frameHeight, int frames, const uint32_t* colours) {
        MemoryRaster* image = new MemoryRaster(4, width, frameHeight * frames);
        for (int y = 0; y < image->Height(); ++y)
            for (int x = 0; x < width; ++x)
                image->Row(y)[x] = colours[y / frameHeight];
        IBitmapStrip strip(image, width, frameHeight * frames, frames);
        graphics->CacheImage(strip);
        return strip;
    }
    IBitmapStrip Plain(int width, int height, int frames = 1) {
        static const uint32_t colours[8] = {0xffff0000, 0xff00ff00, 0xff0000ff, 0xffffff00,
                                            0xff00ffff, 0xffff00ff, 0xff808080, 0xffffffff};
        return Strip(width, height, frames, colours);
    }

    void Click(int x, int y, bool right = false) {
        IMouseKeys keys;
        keys.left = !right;
        keys.right = right;
        graphics->OnMouseDown(x, y, keys);
        graphics->OnMouseUp(x, y, keys);
    }
    uint32_t Pixel(int x, int y) { return graphics->ReadPixel(x, y).Packed(); }
    // Paints everything (the background and every control).
    void PaintAll() {
        graphics->MarkAllDirty();
        graphics->Draw(IRect(0, 0, graphics->Width(), graphics->Height()));
    }

    std::unique_ptr<RecordingPlugin> plugin = std::make_unique<RecordingPlugin>();
    HeadlessWindow* window = nullptr;
    IPlatformGraphics* graphics = nullptr;
    bool attached = false;
    IMouseKeys none;
};
