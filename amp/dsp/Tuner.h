#pragma once

#include "TunerDisplay.h"

#include <array>
#include <vector>

class DspBank;

// Chromatic tuner: takes one input sample in every `Decimation()` (about 3 kHz), analyses each
// window of 512 such samples with a zero-padded 16384-point transform, and turns the
// fundamental into a note index 0..71 above A0 (27.5 Hz) and a position within the semitone.
// Every `DisplayInterval()` input samples (25 times a second) the reading goes to a
// TunerDisplay: the meter smoothed by follower 1 of the DspBank, the note strip and a text
// (the frequency in the chromatic mode, else the note's label or string hint).
//
// Real-time contract: Feed allocates nothing, takes no lock and does no I/O; all buffers are
// made by the constructor. The other operations run between blocks.
class Tuner {
public:
    static constexpr int kWindow = 512;
    static constexpr int kFftSize = 16384;
    static constexpr int kBins = kFftSize / 2;
    static constexpr int kNotes = 72;
    static constexpr int kTunings = 12;
    static constexpr int kStrings = 6;
    static constexpr int kMaxLabel = 20;
    static constexpr int kMaxText = 32;
    static constexpr int kMeterFrames = 40;
    static constexpr int kMeterFollower = 1;

    // A tuner made with kBuffersWhenNeeded holds no analysis buffers until PrepareAnalysis; until
    // then it collects and displays, but finds no note.
    enum Buffers { kBuffersNow, kBuffersWhenNeeded };
    explicit Tuner(Buffers buffers = kBuffersNow);
    // Makes the analysis buffers if they are missing; false when they cannot be made.
    bool PrepareAnalysis();
    // The same in two steps, so the audio path never waits for the allocation: Make fills a
    // pair of buffers anywhere, Take swaps them in when the tuner has none (constant time).
    bool AnalysisReady() const { return !real.empty(); }
    static bool MakeAnalysisBuffers(std::vector<double>& re, std::vector<double>& im);
    void TakeAnalysisBuffers(std::vector<double>& re, std::vector<double>& im);

    // Decimation floor(rate / 3000) and display interval trunc(rate / 25), each at least 1.
    // The collection state is kept.
    void SetSampleRate(double sampleRate);
    // Write position, decimation and display counters back to 0.
    void ResetCollection();

    // The tuner-view feed: input channel 0's samples. display may be null.
    void Feed(const double* in, int frames, DspBank& bank, TunerDisplay* display);
    // Analyses the collected window (positions beyond it count as zero), all at once. The feed
    // spreads the same work over the samples that follow a full window instead (kAnalysisSteps
    // decimated samples), so no block carries a whole 16384-point transform; its reading comes
    // that much later and is the same.
    void AnalyseTuner();
    static constexpr int kAnalysisSteps = 384;
    bool AnalysisPending() const { return phase != kIdle; }
    // One display update: smooths the meter, composes the texts, hands them to display.
    void UpdateDisplay(DspBank& bank, TunerDisplay* display);

    int Decimation() const { return decimation; }
    int DisplayInterval() const { return displayInterval; }
    double SampleRate() const { return sampleRate; }

    // Results of the last analysis; all 0 when no note was found (below 27.5 Hz).
    double Frequency() const { return frequency; }
    double SemitonePosition() const { return semitonePosition; }
    int NoteIndex() const { return noteIndex; }
    // Deviation from the nearest equal-tempered note, -50..+50 cents.
    double Cents() const { return (semitonePosition - 0.5) * 100.0; }

    // What the last display update showed.
    double MeterValue() const { return meterValue; }
    int MeterFrame() const { return MeterFrameOf(meterValue); }
    double NoteValue() const { return noteValue; }
    const char* Text() const { return text; }
    // The frame 0..39 of the meter strip that shows a meter value, as a 40-frame bitmap control
    // picks it: in tune (0.5) is frame 20, flat readings go down from there, sharp ones up.
    static int MeterFrameOf(double meter);

    // Tunings 0..11; 0 is the chromatic tuner.
    int TuningIndex() const { return tuningIndex; }
    // Out-of-range indices are clamped into 0..11.
    void SetTuningIndex(int index);
    // The tuning button's step: the next tuning, from 11 back to 0.
    int NextTuning();
    static const char* TuningName(int index);
    // Open-string note of a tuning, string 6 (lowest) to 1; index 0 gives the standard tuning.
    static int OpenStringNote(int tuning, int string);

    // Replaces the 72 labels by string hints for the tuning (0 uses the standard tuning).
    void BuildStringHints(int tuning);
    // The label of a note: its name ("A0" .. "G#6") until hints are built, then the hint.
    const char* Label(int note) const;

private:
    // The analysis in phases of countable items: clearing the padding, the transform's stages
    // (butterflies), the bit-reversal order, the magnitudes, then the peak search.
    enum Phase { kIdle = -1, kClear = 0, kFirstStage = 1, kLastStage = 14, kReorder, kMagnitudes, kPeak };
    static constexpr int kItemsPerStep = 406; // all items fit in kAnalysisSteps steps
    void BeginAnalysis();
    void ContinueAnalysis(int items);
    int PhaseItems(int which) const;
    void RunItems(int which, int from, int to);
    void FindPeak();

    double sampleRate = 44100.0;
    int decimation = 14;
    int displayInterval = 1764;

    int writePosition = 0;
    int decimationCounter = 0;
    int displayCounter = 0;
    int phase = kIdle;
    int phaseDone = 0; // items of the phase done

    double window[kWindow] = {};
    std::vector<double> real;
    std::vector<double> imag;
    // The FFT's twiddles and bit-reversal order: the same for every tuner, so built once per process.
    struct FftTables {
        FftTables();
        std::array<double, kBins> cosines;
        std::array<double, kBins> sines;
        std::array<int, kFftSize> bitReverse;
    };
    static const FftTables& SharedFftTables();
    const FftTables& fftTables;

    double frequency = 0.0;
    double semitonePosition = 0.0;
    int noteIndex = 0;

    double meterValue = 0.0;
    double noteValue = 0.5 / kNotes;
    char text[kMaxText] = " ";

    int tuningIndex = 0;
    char labels[kNotes][kMaxLabel] = {};
};

// Writes "%.1f Hz" of a non-negative frequency without the C library's formatter (which may
// allocate): correctly rounded, ties to even as printf does. Values not below 1e9 or not finite
// give " ". size must be at least 16.
void FormatTenthsHz(double hz, char* out, int size);
