#include "ConvolutionEngine.h"

#include "Fft.h"

#include <algorithm>
#include <new>

namespace {

constexpr int kHeadTaps = ConvolutionEngineStage::kMaxDirectTaps;
constexpr int kLargestFft = kRealFftMaxSize;
// The stage with 32768-point transforms keeps the whole rest up to 32 partitions: below that
// the extra partitions cost less per sample than a stage of 65536-point transforms (whose
// products move half the memory per sample but whose transforms cost more).
constexpr int kLongTail = 32 * (kLargestFft / 4);
// The 32768-point stage starts at one and a half of its blocks, so each block's output is due
// half a block after its last input sample and the whole block can be spread over the calls in
// between. The 8192-point stage before it runs on to there (five partitions instead of three).
constexpr int kSpreadFft = kLargestFft / 2;
constexpr int kSpreadOffset = 3 * kSpreadFft / 4;

int PowerOfTwoAtMost(int n) {
    int p = 1;
    while (2 * p <= n)
        p *= 2;
    return p;
}

} // namespace

std::vector<ConvolutionEngine::Piece> ConvolutionEngine::Plan(int length) {
    std::vector<Piece> plan;
    if (length <= 0) {
        plan.push_back({0, 0, 0});
        return plan;
    }
    int offset = 0;
    int size = kHeadTaps;
    int nominal = kHeadTaps;
    int rest = length;
    while (rest > 0) {
        int piece;
        if (offset == 0) {
            // The direct head is never longer than 64 taps, so even a short impulse gets an FFT
            // stage behind it rather than one FFT stage with nothing to hide its delay.
            piece = std::min(rest, kHeadTaps);
        } else if (size == kSpreadFft / 4) {
            piece = std::min(rest, kSpreadOffset - offset);
        } else if (size < kLargestFft) {
            piece = rest < 3 * nominal || (size == kSpreadFft && rest <= kLongTail) ? rest : nominal;
        } else {
            size = kLargestFft;
            piece = rest;
        }
        plan.push_back({offset, piece, size <= kHeadTaps ? 0 : size});
        rest -= piece;
        offset += piece;
        size = std::min(kLargestFft, PowerOfTwoAtMost(2 * offset));
        nominal = 3 * (size / 2);
    }
    return plan;
}

ConvolutionEngine::ConvolutionEngine() {
    LoadImpulse(nullptr, 0);
}

ConvolutionEngine::~ConvolutionEngine() = default;

bool ConvolutionEngine::LoadImpulse(const ImpulseBuffer& impulse) {
    if (impulse.channelCount < 1 || impulse.channels.empty()) return LoadImpulse(nullptr, 0);
    const std::vector<double>& c = impulse.channels[0];
    return LoadImpulse(c.data(), static_cast<int>(std::min<size_t>(c.size(), kMaxImpulseLength)));
}

bool ConvolutionEngine::LoadImpulse(const double* samples, int length) {
    if (!samples) length = 0;
    length = std::max(0, std::min(length, kMaxImpulseLength));
    bool loaded = true;
    stages.clear();
    // No impulse needs no stage: the engine then answers silence at once.
    if (length == 0) {
        feedIn = true;
        return true;
    }
    try {
        for (const Piece& p : Plan(length))
            stages.push_back(std::make_unique<ConvolutionEngineStage>(samples, length, p.offset, p.length,
                                                                      p.fftSize, kReserveBlock));
    } catch (const std::bad_alloc&) {
        stages.clear();
        loaded = false;
    }
    feedIn = true;
    return loaded;
}

int ConvolutionEngine::Process(const double* in, double* out, int n) {
    if (!in || !out || n <= 0) return 0;
    int written = 0;
    while (written < n) {
        const int piece = std::min(n - written, kReserveBlock);
        const int ready = ProcessPiece(in + written, out + written, piece);
        written += ready;
        if (ready < piece) break;
    }
    return written;
}

// The whole piece enters every stage before out is written, so out may alias in.
int ConvolutionEngine::ProcessPiece(const double* in, double* out, int n) {
    if (feedIn) {
        // Middle stages start an eighth of their transform early so that their blocks do not all
        // complete in the same host block.
        const int count = StageCount();
        for (int i = 0; i < count; ++i) {
            ConvolutionEngineStage& s = *stages[i];
            s.Align(i > 0 && i < count - 1 && !s.IsDirect() ? s.FftSize() / 8 : 0);
        }
        feedIn = false;
    }
    // Spread steps keep out of a call that already carries a stage's transforms.
    bool transforms = false;
    for (const auto& s : stages)
        transforms = transforms || s->CompletesTransformBlock(n);
    for (auto& s : stages)
        s->Feed(in, n, transforms && !s->CompletesTransformBlock(n));
    int ready = n;
    for (const auto& s : stages)
        ready = std::min(ready, s->Available());
    std::fill_n(out, ready, 0.0);
    for (auto& s : stages)
        s->TakeAdd(out, ready);
    return ready;
}

long long ConvolutionEngine::TransformCount() const {
    long long n = 0;
    for (const auto& s : stages)
        n += s->Transforms();
    return n;
}
