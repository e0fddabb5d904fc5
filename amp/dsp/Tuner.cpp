#include "Tuner.h"

#include "DspBank.h"

#include <cmath>
#include <cstring>
#include <new>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kLowestNoteHz = 27.5;
// log10(2) / 12: one semitone in decades.
constexpr double kSemitoneDecades = 0.0250858329719985;

const char* const kTuningNames[Tuner::kTunings] = {
    "Chromatic tuner",     "Standard E-E,A,D,G,B,E", "Drop D-D,A,D,G,B,E",    "Open E-E,B,E,G#,B,E",
    "Open A-E,A,E,A,C#,E", "Open D-D,A,D,F#,A,D",    "Open G-D,G,D,G,B,D",    "Standard D-D,G,C,F,A,D",
    "D Susp.-D,A,D,G,A,D", "G 6th-D,G,D,G,B,E",      "G Wahine-D,G,D,F#,B,D", "E Minor-E,B,E,G,B,E",
};

// Open-string notes, 6th string first; row 0 (chromatic) repeats the standard tuning.
constexpr int kOpenStrings[Tuner::kTunings][Tuner::kStrings] = {
    {19, 24, 29, 34, 38, 43}, {19, 24, 29, 34, 38, 43}, {17, 24, 29, 34, 38, 43}, {19, 26, 31, 35, 38, 43},
    {19, 24, 31, 36, 40, 43}, {17, 24, 29, 33, 36, 41}, {17, 22, 29, 34, 38, 41}, {17, 22, 27, 32, 36, 41},
    {17, 24, 29, 34, 36, 41}, {17, 22, 29, 34, 38, 43}, {17, 22, 29, 33, 38, 41}, {19, 26, 31, 34, 38, 43},
};

// The tuning whose second string is hinted one semitone closer ("D Susp.", whose 2nd and 3rd
// strings are only two semitones apart).
constexpr int kCloseSecondString = 8;

// Copies at most size - 1 characters and always terminates.
void CopyText(char* to, const char* from, int size) {
    int i = 0;
    for (; i < size - 1 && from[i]; ++i)
        to[i] = from[i];
    to[i] = 0;
}

int ClampInt(int v, int lo, int hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

} // namespace

Tuner::FftTables::FftTables() : cosines{}, sines{}, bitReverse{} {
    for (int k = 0; k < kBins; ++k) {
        const double angle = 2.0 * kPi * k / kFftSize;
        cosines[static_cast<size_t>(k)] = std::cos(angle);
        sines[static_cast<size_t>(k)] = std::sin(angle);
    }
    int bits = 0;
    while ((1 << bits) < kFftSize)
        ++bits;
    for (int i = 0; i < kFftSize; ++i) {
        int r = 0;
        for (int b = 0; b < bits; ++b)
            if (i & (1 << b)) r |= 1 << (bits - 1 - b);
        bitReverse[static_cast<size_t>(i)] = r;
    }
}

const Tuner::FftTables& Tuner::SharedFftTables() {
    // Static storage with no destructor: an instance still running while the library unloads
    // keeps reading it, and nothing is left on the heap.
    static const FftTables tables;
    return tables;
}

Tuner::Tuner(Buffers buffers) : fftTables(SharedFftTables()) {
    if (buffers == kBuffersNow) PrepareAnalysis();
    static const char* const kNames[12] = {"A", "A#", "B", "C", "C#", "D", "D#", "E", "F", "F#", "G", "G#"};
    for (int n = 0; n < kNotes; ++n) {
        char name[kMaxLabel];
        std::strcpy(name, kNames[n % 12]);
        const size_t len = std::strlen(name);
        name[len] = static_cast<char>('0' + (n + 9) / 12);
        name[len + 1] = 0;
        CopyText(labels[n], name, kMaxLabel);
    }
    SetSampleRate(sampleRate);
}

bool Tuner::PrepareAnalysis() {
    if (!real.empty()) return true;
    return MakeAnalysisBuffers(real, imag);
}

bool Tuner::MakeAnalysisBuffers(std::vector<double>& re, std::vector<double>& im) {
    try {
        re.assign(kFftSize, 0.0);
        im.assign(kFftSize, 0.0);
    } catch (const std::bad_alloc&) {
        re.clear();
        im.clear();
        return false;
    }
    return true;
}

void Tuner::TakeAnalysisBuffers(std::vector<double>& re, std::vector<double>& im) {
    if (!real.empty() || re.size() != static_cast<size_t>(kFftSize) ||
        im.size() != static_cast<size_t>(kFftSize))
        return;
    real.swap(re);
    imag.swap(im);
}

void Tuner::SetSampleRate(double rate) {
    if (!(rate > 0.0) || !std::isfinite(rate)) return;
    sampleRate = rate;
    const double d = std::floor(rate / 3000.0);
    const double i = std::trunc(rate / 25.0);
    decimation = d >= 1.0 ? static_cast<int>(d) : 1;
    displayInterval = i >= 1.0 ? static_cast<int>(i) : 1;
}

void Tuner::ResetCollection() {
    phase = kIdle;
    writePosition = 0;
    decimationCounter = 0;
    displayCounter = 0;
}

void Tuner::Feed(const double* in, int frames, DspBank& bank, TunerDisplay* display) {
    for (int i = 0; i < frames; ++i) {
        if (decimationCounter >= decimation - 1) {
            decimationCounter = 0;
            if (writePosition >= kWindow) {
                writePosition = 0;
                if (phase != kIdle) ContinueAnalysis(1 << 30); // a feed that outran the steps
                BeginAnalysis();
            }
            window[writePosition++] = in[i];
            if (phase != kIdle) ContinueAnalysis(kItemsPerStep);
        } else {
            ++decimationCounter;
        }
        if (displayCounter >= displayInterval) {
            displayCounter = 0;
            UpdateDisplay(bank, display);
        }
        ++displayCounter;
    }
}

// The transform is a radix-2 decimation in frequency, in place, spectrum left in natural
// order, not scaled; stage s (1..14) works on spans of kFftSize >> (s - 1).
int Tuner::PhaseItems(int which) const {
    if (which == kClear || which == kReorder) return kFftSize;
    if (which == kPeak) return 1;
    return kBins; // a stage's butterflies, or the magnitudes
}

void Tuner::RunItems(int which, int from, int to) {
    double* re = real.data();
    double* im = imag.data();
    if (which == kClear) {
        std::memset(im + from, 0, sizeof(double) * static_cast<size_t>(to - from));
        const int lo = from > kWindow ? from : kWindow;
        if (to > lo) std::memset(re + lo, 0, sizeof(double) * static_cast<size_t>(to - lo));
    } else if (which <= kLastStage) {
        const int halfBits = 13 - (which - kFirstStage); // half = kBins >> (which - 1)
        const int half = 1 << halfBits;
        const int stride = kBins >> halfBits;
        const double* wc = fftTables.cosines.data();
        const double* ws = fftTables.sines.data();
        for (int t = from; t < to; ++t) {
            const int g = t & (half - 1);
            const int a = ((t >> halfBits) << (halfBits + 1)) + g;
            const int b = a + half;
            const double c = wc[g * stride];
            const double s = ws[g * stride];
            const double dr = re[a] - re[b];
            const double di = im[a] - im[b];
            re[a] += re[b];
            im[a] += im[b];
            // (dr + i di) (c - i s)
            re[b] = dr * c + di * s;
            im[b] = di * c - dr * s;
        }
    } else if (which == kReorder) {
        const int* rev = fftTables.bitReverse.data();
        for (int i = from; i < to; ++i) {
            const int j = rev[i];
            if (j > i) {
                const double tr = re[i], ti = im[i];
                re[i] = re[j];
                im[i] = im[j];
                re[j] = tr;
                im[j] = ti;
            }
        }
    } else if (which == kMagnitudes) {
        // The magnitudes replace the real parts they are computed from.
        for (int k = from; k < to; ++k)
            re[k] = std::sqrt(re[k] * re[k] + im[k] * im[k]);
    } else {
        FindPeak();
    }
}

void Tuner::BeginAnalysis() {
    if (real.empty()) return;
    std::memcpy(real.data(), window, sizeof window);
    phase = kClear;
    phaseDone = 0;
}

void Tuner::ContinueAnalysis(int items) {
    while (phase != kIdle && items > 0) {
        const int total = PhaseItems(phase);
        const int to = total - phaseDone < items ? total : phaseDone + items;
        RunItems(phase, phaseDone, to);
        items -= to - phaseDone;
        phaseDone = to;
        if (phaseDone == total) {
            phase = phase == kPeak ? kIdle : phase + 1;
            phaseDone = 0;
        }
    }
}

void Tuner::AnalyseTuner() {
    BeginAnalysis();
    ContinueAnalysis(1 << 30);
}

void Tuner::FindPeak() {
    const double* m = real.data();
    // Global maximum over bins 1..8191; among equal maxima the highest bin wins.
    int best = kBins - 1;
    for (int k = kBins - 2; k >= 1; --k)
        if (m[k] > m[best]) best = k;
    const double top = m[best];
    // A window of digital silence has no peak at all; without this its highest bin would read
    // as a note near 1.5 kHz.
    if (!(top > 0.0)) {
        frequency = 0.0;
        semitonePosition = 0.0;
        noteIndex = 0;
        return;
    }

    // The first bin where a rise above 0.3 of the maximum turns down: the lowest strong peak.
    int peak = best;
    double running = 0.0;
    for (int j = 0; j < kBins; ++j) {
        if (m[j] > running) running = m[j];
        if (m[j] < running && running > 0.3 * top) {
            peak = j - 1;
            break;
        }
    }
    // A strong component an octave below is the fundamental the harmonic belongs to.
    if (m[peak] * 0.1 < m[peak / 2]) peak /= 2;

    const double f = (sampleRate / decimation) * peak / kFftSize;
    if (!(f >= kLowestNoteHz)) {
        frequency = 0.0;
        semitonePosition = 0.0;
        noteIndex = 0;
        return;
    }
    const double e = std::log10(f / kLowestNoteHz) / kSemitoneDecades + 0.5;
    const double whole = std::floor(e);
    semitonePosition = e - whole;
    noteIndex = whole > kNotes - 1 ? kNotes - 1 : static_cast<int>(whole);
    frequency = f;
}

void Tuner::UpdateDisplay(DspBank& bank, TunerDisplay* display) {
    meterValue = bank.TrackEnvelope(semitonePosition, kMeterFollower);
    const int note = ClampInt(noteIndex, 0, kNotes - 1);
    noteValue = (note + 0.5) / kNotes;
    if (frequency > 20.0) {
        if (tuningIndex != 0) {
            CopyText(text, labels[note], kMaxText);
        } else {
            FormatTenthsHz(frequency, text, kMaxText);
        }
    } else {
        text[0] = ' ';
        text[1] = 0;
    }
    if (display) display->ShowTunerReading(meterValue, noteValue, text);
}

int Tuner::MeterFrameOf(double meter) {
    const double position = (kMeterFrames - 1) * meter + 0.5;
    if (!(position >= 0.0)) return 0;
    if (position >= kMeterFrames - 1) return kMeterFrames - 1;
    return static_cast<int>(position);
}

void Tuner::SetTuningIndex(int index) {
    tuningIndex = ClampInt(index, 0, kTunings - 1);
}

int Tuner::NextTuning() {
    tuningIndex = tuningIndex >= kTunings - 1 ? 0 : tuningIndex + 1;
    return tuningIndex;
}

const char* Tuner::TuningName(int index) {
    return kTuningNames[ClampInt(index, 0, kTunings - 1)];
}

int Tuner::OpenStringNote(int tuning, int string) {
    return kOpenStrings[ClampInt(tuning, 0, kTunings - 1)][kStrings - ClampInt(string, 1, kStrings)];
}

void Tuner::BuildStringHints(int tuning) {
    tuning = ClampInt(tuning, 0, kTunings - 1);
    const int* s = kOpenStrings[tuning];
    static const char* const kOrdinal[kStrings] = {"6th", "5th", "4th", "3rd", "2nd", "1st"};
    for (int k = 0; k < kNotes; ++k) {
        char hint[kMaxLabel];
        std::strcpy(hint, "Too Low");
        // Each string claims the notes from a little below it up to the next string's claim;
        // the last rule that applies names the note.
        for (int string = 0; string < kStrings; ++string) {
            int below = string == 0 ? 3 : 2;
            if (string == 4 && tuning == kCloseSecondString) below = 1;
            if (k >= s[string] - below) {
                std::strcpy(hint, "Lower than ");
                std::strcat(hint, kOrdinal[string]);
            }
            if (k == s[string]) {
                std::strcpy(hint, kOrdinal[string]);
                std::strcat(hint, " string");
            }
            if (k > s[string]) {
                std::strcpy(hint, "Higher than ");
                std::strcat(hint, kOrdinal[string]);
            }
        }
        if (k > s[kStrings - 1] + 3) std::strcpy(hint, "Too High");
        CopyText(labels[k], hint, kMaxLabel);
    }
}

const char* Tuner::Label(int note) const {
    return labels[ClampInt(note, 0, kNotes - 1)];
}

void FormatTenthsHz(double hz, char* out, int size) {
    if (!out || size < 16) return;
    if (!(hz >= 0.0 && hz < 1.0e9)) {
        out[0] = ' ';
        out[1] = 0;
        return;
    }
    // t + err is hz * 10 exactly (Dekker's product: hz split into two 26-bit halves, each of
    // which times 10 is exact), so the tenths round as the exact decimal value would.
    const double t = hz * 10.0;
    const double split = 134217729.0 * hz;
    const double high = split - (split - hz);
    const double low = hz - high;
    const double err = (high * 10.0 - t) + low * 10.0;
    double whole = std::floor(t);
    const double frac = t - whole;
    if (frac > 0.5 || (frac == 0.5 && (err > 0.0 || (err == 0.0 && std::fmod(whole, 2.0) != 0.0))))
        whole += 1.0;
    long long tenths = static_cast<long long>(whole);
    char digits[24];
    int n = 0;
    digits[n++] = static_cast<char>('0' + tenths % 10);
    digits[n++] = '.';
    tenths /= 10;
    do {
        digits[n++] = static_cast<char>('0' + tenths % 10);
        tenths /= 10;
    } while (tenths > 0);
    int pos = 0;
    while (n > 0)
        out[pos++] = digits[--n];
    std::strcpy(out + pos, " Hz");
}
