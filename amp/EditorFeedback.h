#pragma once

#include <vector>

class IEditorGraphics;
class PluginServices;

// What the editor shows after a change: the touched parameter's name strip, value bar and text,
// the signal-chain lamps and cabinet picture, texts, which controls are hidden, which model panel
// is visible and the impulse panel. A change only records what is to be shown, in constant time
// and without touching the editor (it may run on the audio thread); Apply shows it, on the
// editor's idle or at once after a change made off the audio thread, with the plug-in lock held.
class EditorFeedback {
public:
    explicit EditorFeedback(PluginServices& plugin) : plugin(plugin) {}

    // Makes the records for the editor's controls (when the editor is built; nothing after allocates).
    void Bind(int controlCount);
    // Whether some editor control is bound to the parameter (panels lack some knobs).
    bool HasControlFor(int paramIndex) const;
    // The display: a strip frame with a bar and a text, or the text and bar the parameter's law
    // gives the value (formatted when shown).
    void Show(int stripFrame, double bar, const char* text);
    void ShowValue(int stripFrame, int paramIndex, double shownValue);
    void ShowText(int controlIndex, const char* text);
    void ShowControl(int controlIndex, bool show);
    void HideParam(int paramIndex, bool hide);
    void ShowLamp(int controlIndex, bool lit);
    void ShowCabinet(int cabinet);
    // Shows the model's panel of knobs, which take the shared knobs' values (none while the
    // impulse panel is shown or for model -1).
    void SwitchPanel(int model);
    // The impulse panel button: a press toggles the panel, which hides the model's panel.
    void PressImpulsePanel(double v, int model);

    // Shows what was recorded since the last call (the plug-in lock held, on the editor's thread
    // or the thread that made the change).
    void Apply(IEditorGraphics& graphics);

private:
    static constexpr int kMaxText = 256; // as a text control holds (ITextControl::kMaxText)
    struct ControlRecord {
        double value = 0.0;
        bool valuePending = false;
        bool hidden = false;
        bool hiddenPending = false;
        bool textPending = false;
        char text[kMaxText] = {};
    };
    struct DisplayRecord {
        int strip = 0;
        int param = -1; // >= 0: bar and text come from the parameter's law at value
        double value = 0.0;
        double bar = 0.0;
        char text[kMaxText] = {};
        bool pending = false;
    };
    ControlRecord* RecordOf(int controlIndex);
    void SetValue(int controlIndex, double value);
    void ShowImpulsePanel(bool shown, int model);

    PluginServices& plugin;
    std::vector<ControlRecord> records; // by control index
    DisplayRecord display;
    int panelModel = -1;
    bool panelPending = false;
    bool anyPending = false;
    bool impulsePanelShown = false;
};
