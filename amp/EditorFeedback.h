#pragma once

class PluginServices;

// What the editor shows after a change: the touched parameter's name strip, value bar and text,
// the signal-chain lamps and cabinet picture, which model panel is visible and the impulse panel.
// Each call does nothing while no editor is attached.
class EditorFeedback {
public:
    explicit EditorFeedback(PluginServices& plugin) : plugin(plugin) {}

    // Whether some editor control is bound to the parameter (panels lack some knobs).
    bool HasControlFor(int paramIndex) const;
    void Show(int stripFrame, double bar, const char* text);
    void ShowText(int controlIndex, const char* text);
    void ShowControl(int controlIndex, bool show);
    void ShowLamp(int controlIndex, bool lit);
    void ShowCabinet(int cabinet);
    // Shows the model's panel of knobs, which take the shared knobs' values (none while the
    // impulse panel is shown or for model -1).
    void SwitchPanel(int model);
    // The impulse panel button: a press toggles the panel, which hides the model's panel.
    void PressImpulsePanel(double v, int model);

private:
    void ShowImpulsePanel(bool shown, int model);

    PluginServices& plugin;
    bool impulsePanelShown = false;
};
