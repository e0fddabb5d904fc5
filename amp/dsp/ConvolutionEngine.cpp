#include "ConvolutionEngine.h"

#include "Fft.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr int kHeadTaps = ConvolutionEngineStage::kMaxDirectTaps;
constexpr int kLargestFft = kRealFftMaxSize;
// The stage with 32768-point transforms keeps the whole rest up to 32 partitions: below that
// the extra partitions cost less per sample than a stage of 65536-point transforms (whose
// products move half the memory per sample but whose transforms cost more).
constexpr int kLongTail = 32 * (kLargestFft / 4);

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
        } else if (size < kLargestFft) {
            piece = rest < 3 * nominal || (size == kLargestFft / 2 && rest <= kLongTail) ? rest : nominal;
        } else {
            size = kLargestFft;
            piece = rest;
        }
        plan.push_back({offset, piece, size <= kHeadTaps ? 0 : size});
        rest -= piece;
        offset += piece;
        nominal = 3 * offset;
        size = offset >= kLargestFft ? kLargestFft : 2 * offset;
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
    try {
        for (const Piece& p : Plan(length))
            stages.push_back(std::make_unique<ConvolutionEngineStage>(samples, length, p.offset, p.length,
                                                                      p.fftSize, kReserveBlock));
    } catch (const std::bad_alloc&) {
        stages.clear();
        stages.push_back(std::make_unique<ConvolutionEngineStage>(nullptr, 0, 0, 0, 0, kReserveBlock));
        loaded = false;
    }
    output.assign(2 * static_cast<size_t>(kReserveBlock), 0.0);
    outputRead = outputSize = 0;
    outputChannelCount = 0;
    outputPointers[0] = nullptr;
    feedIn = true;
    return loaded;
}

void ConvolutionEngine::FeedInput(const double* const* inputs, int count) {
    outputChannelCount = 1;
    if (!inputs || !inputs[0] || count <= 0) return;
    if (feedIn) {
        // Middle stages start an eighth of their transform early so that their blocks do not all
        // complete in the same host block.
        const int n = StageCount();
        for (int i = 0; i < n; ++i) {
            ConvolutionEngineStage& s = *stages[i];
            s.Align(i > 0 && i < n - 1 && !s.IsDirect() ? s.FftSize() / 8 : 0);
        }
        feedIn = false;
    }
    for (auto& s : stages)
        s->Feed(inputs[0], count);
}

int ConvolutionEngine::ProduceOutput(int wanted) {
    if (wanted <= 0) return 0;
    int ready = wanted;
    for (const auto& s : stages)
        ready = std::min(ready, s->Available());
    if (ready > 0) {
        if (outputSize + ready > static_cast<int>(output.size())) {
            const int unread = outputSize - outputRead;
            std::memmove(output.data(), output.data() + outputRead, sizeof(double) * unread);
            outputRead = 0;
            outputSize = unread;
            if (outputSize + ready > static_cast<int>(output.size())) output.resize(2 * (outputSize + ready));
        }
        double* dst = &output[outputSize];
        std::fill_n(dst, ready, 0.0);
        for (auto& s : stages)
            s->TakeAdd(dst, ready);
        outputSize += ready;
    }
    return std::min(wanted, outputSize - outputRead);
}

double* const* ConvolutionEngine::OutputChannels() {
    outputPointers[0] = outputSize > outputRead ? &output[outputRead] : nullptr;
    return outputPointers;
}

void ConvolutionEngine::ConsumeOutput(int count) {
    outputRead = std::max(0, std::min(outputSize, outputRead + count));
    if (outputRead == outputSize) {
        outputRead = outputSize = 0;
    } else if (outputRead > outputSize / 2) {
        const int unread = outputSize - outputRead;
        std::memmove(output.data(), output.data() + outputRead, sizeof(double) * unread);
        outputRead = 0;
        outputSize = unread;
    }
}

long long ConvolutionEngine::TransformCount() const {
    long long n = 0;
    for (const auto& s : stages)
        n += s->Transforms();
    return n;
}
