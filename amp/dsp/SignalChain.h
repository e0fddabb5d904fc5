#pragma once

#include "AmpModels.h"
#include "AmpOversampling.h"
#include "BankLayout.h"
#include "Cabinet.h"
#include "ConvolutionEngine.h"
#include "DspBank.h"
#include "PostEq.h"
#include "Tuner.h"

#include <memory>
#include <vector>

// The plug-in's audio path: mono sum, noise gate, amp model, cabinet cascade, post EQ and
// volume, written to both outputs; the silence detector; the sample-rate dependent set-up.
//
// Real-time contract: ProcessBlock allocates nothing, takes no lock and does no I/O. Setters and
// Reset design coefficients and may allocate; the caller serialises them with ProcessBlock
// (the plug-in has the audio thread apply them between blocks, see ChainChanges).
class SignalChain {
public:
    static constexpr int kAntiDenormalSize = 44100;
    static constexpr int kCombRows = layout::kCombRows;

    SignalChain();

    // Start-up initialisation at the host's rate: clears the bank, designs the gate detector and
    // envelope, allocates the comb rows, fills the anti-denormal table, and designs the cabinet
    // and post EQ for the parameter defaults so the chain is usable before any change arrives.
    void Initialise(double sampleRate);

    // A new host rate (ignored when equal, not finite, or outside 1 Hz .. 1.536 MHz): redesigns
    // everything designed for the old rate with the values last set.
    void Reset(double sampleRate);
    double SampleRate() const { return sampleRate; }

    // Fills `frames` samples of both outputs. Inputs and outputs may be the same buffers.
    void ProcessBlock(const double* in0, const double* in1, double* out0, double* out1, int frames);
    // The same chain run one sample at a time through every stage: the plain baseline that
    // ProcessBlock must match bit for bit.
    void ProcessBlockSampleBySample(const double* in0, const double* in1, double* out0, double* out1,
                                    int frames);

    // Parameter setters in the units of the parameter table's laws, each clamped into the range
    // its knob covers; NaN is ignored.
    void SetGateEnabled(bool on) { gateEnabled = on; }
    // -100..0 dB.
    void SetGateThreshold(double db);
    // EnvelopeSeconds(0..1), about 9.8 ms .. 10.08 s.
    void SetGateRelease(double seconds);
    void SetAmpEnabled(bool on) { ampEnabled = on; }
    // The integer value of kCabPreset; stored always, designed only when in 0..38.
    void SetCabPreset(int preset);
    // The post EQ (see PostEq): the gains in dB with the knob positions their mixes follow.
    void SetEqLow(double db, double knob);
    void SetEqHigh(double db);
    void SetLoudness(double db, double knob);
    // A linear factor 0..1.
    void SetMasterVolume(double gain);
    // The tuner's analysis buffers are made when the view is first turned on (a parameter change,
    // never the audio path); if they cannot be, the view stays off.
    // mayAllocate false (the audio thread): the view passes the signal through at once, and the
    // tuner finds notes once its analysis buffers are there (GetTuner().TakeAnalysisBuffers).
    void SetTunerView(bool on, bool mayAllocate = true) {
        tunerView = on && (!mayAllocate || tuner.PrepareAnalysis());
    }
    // Where the tuner's readings go while the tuner view is on (null: nowhere). Not owned.
    void SetTunerDisplay(TunerDisplay* display) { tunerDisplay = display; }
    // Impulse convolution mixed after the block: on/off (kIrOn), the direct gain (-48..+24 dB;
    // -48 dB is silence) and the convolved gain (-24..+24 dB).
    void SetConvolutionEnabled(bool on) { convolutionEnabled = on; }
    void SetDryGain(double db);
    void SetWetGain(double db);
    // Installs an impulse and the gain applied to the convolved signal (a factor that is not
    // finite counts as 1). Allocates: call it outside the audio path. False when the memory
    // for the impulse could not be had (the convolved part is then silent).
    bool LoadImpulse(const ImpulseBuffer& impulse, double norm);
    bool LoadImpulse(const double* samples, int length, double norm);
    // Puts an engine prepared elsewhere in place, with its gain, and hands back the one it
    // replaces so the caller frees it off the audio path. Constant time; serialise it with
    // ProcessBlock as the setters. A null engine changes nothing and comes back null.
    std::unique_ptr<ConvolutionEngine> SwapConvolution(std::unique_ptr<ConvolutionEngine> engine,
                                                       double norm);

    // The amp models' rate factor: 1 (the host rate), 2, 4 or 8. Prepares the new path here
    // (allocates: call it outside the audio path); the audio path changes over at its next block
    // with a short crossfade. False, and nothing changes, for another factor or without memory.
    bool SetOversampling(int factor);
    // The same in two steps: Prepare anywhere (allocates; reads nothing of the chain but its
    // rate), Install on the audio path (see AmpOversampling::Install).
    bool PrepareOversampling(int factor, std::unique_ptr<OversampledAmp>& path) const;
    void InstallOversampling(int factor, std::unique_ptr<OversampledAmp> path,
                             std::unique_ptr<OversampledAmp> (&freed)[3]);
    int Oversampling() const { return ampOversampling.Factor(); }
    // Host samples the amp path delays at the factor set (the same for every model).
    int OversamplingLatency() const { return ampOversampling.Latency(); }

    bool GateEnabled() const { return gateEnabled; }
    double GateThreshold() const { return gateThreshold; }
    bool AmpEnabled() const { return ampEnabled; }
    int CabPreset() const { return cabPreset; }
    bool TunerView() const { return tunerView; }
    bool ConvolutionEnabled() const { return convolutionEnabled; }
    double DryGain() const { return dryGain; }
    double WetGain() const { return wetGain; }
    double IrNorm() const { return irNorm; }
    const ConvolutionEngine& Convolution() const { return *convolution; }
    const PostEq& GetPostEq() const { return postEq; }
    // True while digital silence has switched processing off.
    bool IsQuiet() const { return quiet; }

    DspBank& Bank() { return bank; }
    const DspBank& Bank() const { return bank; }
    AmpModels& Amp() { return amp; }
    // While on, the amp's designs wait and are made once when it goes off (AmpModels::DeferDesigns);
    // the host-rate models, while an oversampled path is heard instead, design before they next run.
    void DeferDesigns(bool defer) { amp.DeferDesigns(defer, ampOversampling.Plain()); }
    Tuner& GetTuner() { return tuner; }
    const Tuner& GetTuner() const { return tuner; }

private:
    enum class Mode { kBlockwise, kSampleBySample };

    void Process(const double* in0, const double* in1, double* out0, double* out1, int frames, Mode mode);
    void RunChain(const double* in0, const double* in1, double* out0, double* out1, int begin, int end,
                  Mode mode);
    void RunGate(double* x, int n);
    void UpdateQuietState(bool inputSilent, const double* out0, const double* out1, int frames);
    void RecoverFromNonFinite(double* out0, double* out1, int frames);
    void DesignRateDependent();
    void SetGateEnvelope();
    static const double* AntiDenormalTable();

    // Convolution stage, run after the block when the impulse is on: mixes the convolved block
    // into both outputs. Left empty until the convolution engine is attached.
    void ProcessConvolution(double* out0, double* out1, int frames);
    // Tuner view: hands input channel 0 to the tuner's analysis and display.
    void FeedTuner(const double* in0, int frames);

    static constexpr int kChunk = 256;

    DspBank bank;
    AmpModels amp;
    AmpOversampling ampOversampling;
    PostEq postEq;
    double sampleRate = 44100.0;

    // Settings; a block reads them once at its start.
    bool gateEnabled = false;
    bool ampEnabled = false;
    bool convolutionEnabled = false;
    bool tunerView = false;
    double gateThreshold = 0.0;
    double gateReleaseSeconds = 0.0;
    bool gateReleaseSet = false;

    int cabPreset = 0;
    // Every cabinet preset designed at the current rate (made while no blocks run), so a preset
    // change only copies its sections.
    std::vector<CabDesign> cabDesigns;
    void DesignCabinets();
    double eqLowDb = 0.0;
    double eqLowKnob = 0.5;
    double eqHighDb = 0.0;
    double loudnessDb = -15.0;
    double loudnessKnob = 0.5;
    double masterVolume = 0.5;

    Tuner tuner{Tuner::kBuffersWhenNeeded};
    TunerDisplay* tunerDisplay = nullptr;

    std::unique_ptr<ConvolutionEngine> convolution; // never null
    std::vector<double> convolved;                  // one piece of the engine's output
    double irNorm = 1.0;
    double dryGain = 0.0;
    double wetGain = 1.0;

    // Silence detector: quiet after quietAfter samples of whole all-zero input blocks whose
    // output stayed at or below kQuietLevel; woken by the first non-zero input sample.
    bool quiet = false;
    long long silentRun = 0;
    long long quietAfter = 0;

    const double* antiDenormal; // the process-wide table
    int antiDenormalIndex = 0;

    double scratch[kChunk];
};
