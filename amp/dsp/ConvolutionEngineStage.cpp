#include "ConvolutionEngineStage.h"

#include "Fft.h"
#include "FftKernels.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <emmintrin.h>

namespace {

constexpr int kDirectChunk = 256;
// Bins per pass over all partitions: keeps the running sum in the first-level cache.
constexpr int kTileBins = 512;
constexpr double kSilentInput = 1e-6;
constexpr double kSilentImpulse = 1e-14;

// y (+)= sum over kCount terms of x * h for the bins [begin, end): complex products, x in
// double and h in single precision, each stored as `bins` real parts followed by `bins`
// imaginary parts. With kWrite the sum replaces y.
template <int kCount, bool kWrite>
void MultiplySpectra(double* __restrict yr, double* __restrict yi, const ConvolutionEngineStage::Term* terms,
                     int bins, int begin, int end) {
    for (int p = begin; p < end; p += 2) {
        __m128d re = kWrite ? _mm_setzero_pd() : _mm_loadu_pd(yr + p);
        __m128d im = kWrite ? _mm_setzero_pd() : _mm_loadu_pd(yi + p);
        for (int t = 0; t < kCount; ++t) {
            const double* x = terms[t].x;
            const float* h = terms[t].h;
            const __m128d ar = _mm_loadu_pd(x + p);
            const __m128d ai = _mm_loadu_pd(x + bins + p);
            const __m128d br =
                _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(h + p))));
            const __m128d bi = _mm_cvtps_pd(
                _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(h + bins + p))));
            re = _mm_add_pd(re, _mm_sub_pd(_mm_mul_pd(ar, br), _mm_mul_pd(ai, bi)));
            im = _mm_add_pd(im, _mm_add_pd(_mm_mul_pd(ar, bi), _mm_mul_pd(ai, br)));
        }
        _mm_storeu_pd(yr + p, re);
        _mm_storeu_pd(yi + p, im);
    }
}

template <bool kWrite>
void MultiplyGroup(double* yr, double* yi, const ConvolutionEngineStage::Term* terms, int count, int bins,
                   int begin, int end) {
    if (UseWideVectors()) {
        const double* xs[4];
        const float* hs[4];
        for (int t = 0; t < count; ++t) {
            xs[t] = terms[t].x;
            hs[t] = terms[t].h;
        }
        MultiplySpectraWide(yr, yi, xs, hs, count, bins, begin, end, kWrite);
        return;
    }
    switch (count) {
    case 1:
        MultiplySpectra<1, kWrite>(yr, yi, terms, bins, begin, end);
        break;
    case 2:
        MultiplySpectra<2, kWrite>(yr, yi, terms, bins, begin, end);
        break;
    case 3:
        MultiplySpectra<3, kWrite>(yr, yi, terms, bins, begin, end);
        break;
    default:
        MultiplySpectra<4, kWrite>(yr, yi, terms, bins, begin, end);
        break;
    }
}

// Sum of x[k] * h[k] over k, two products at a time, for n outputs y[i] = sum_k h[k] x[i + k].
void DirectConvolve(const double* __restrict h, int taps, const double* __restrict x, double* __restrict y,
                    int n) {
    int i = 0;
    // Four outputs per pass share each pair of taps: the pairs (x[i+k], x[i+k+1]) and
    // (x[i+k+2], x[i+k+3]) for outputs i, i+1 and i+2, i+3 against the broadcast tap h[k].
    for (; i + 4 <= n; i += 4) {
        __m128d a01 = _mm_setzero_pd();
        __m128d a23 = _mm_setzero_pd();
        __m128d b01 = _mm_setzero_pd();
        __m128d b23 = _mm_setzero_pd();
        const double* xi = x + i;
        for (int k = 0; k < taps; k += 2) {
            const __m128d h0 = _mm_set1_pd(h[k]);
            const __m128d h1 = _mm_set1_pd(h[k + 1]);
            a01 = _mm_add_pd(a01, _mm_mul_pd(h0, _mm_loadu_pd(xi + k)));
            a23 = _mm_add_pd(a23, _mm_mul_pd(h0, _mm_loadu_pd(xi + k + 2)));
            b01 = _mm_add_pd(b01, _mm_mul_pd(h1, _mm_loadu_pd(xi + k + 1)));
            b23 = _mm_add_pd(b23, _mm_mul_pd(h1, _mm_loadu_pd(xi + k + 3)));
        }
        _mm_storeu_pd(y + i, _mm_add_pd(a01, b01));
        _mm_storeu_pd(y + i + 2, _mm_add_pd(a23, b23));
    }
    for (; i < n; ++i) {
        double s0 = 0.0, s1 = 0.0;
        for (int k = 0; k < taps; k += 2) {
            s0 += h[k] * x[i + k];
            s1 += h[k + 1] * x[i + k + 1];
        }
        y[i] = s0 + s1;
    }
}

// A sample that is not finite would poison every output from then on; it counts as silence.
double Finite(double v) {
    return std::isfinite(v) ? v : 0.0;
}

} // namespace

ConvolutionEngineStage::ConvolutionEngineStage(const double* impulse, int impulseLength, int offsetIn,
                                               int lengthIn, int fftSizeIn, int reserveBlock)
    : offset(offsetIn), length(std::max(0, std::min(lengthIn, impulseLength - offsetIn))),
      fftSize(fftSizeIn) {
    const double* piece = impulse + offset;
    // Settles the choice of kernels here rather than on the first block.
    UseWideVectors();
    if (fftSize == 0) {
        // Taps padded to a multiple of four with zeros in front of the reversed piece.
        taps = std::max(4, (std::min(length, kMaxDirectTaps) + 3) / 4 * 4);
        reversedTaps.assign(taps, 0.0);
        for (int k = 0; k < std::min(length, kMaxDirectTaps); ++k)
            reversedTaps[taps - 1 - k] = static_cast<float>(Finite(piece[k]));
        history.assign(taps - 1 + kDirectChunk, 0.0);
        out.assign(2 * static_cast<size_t>(reserveBlock) + kDirectChunk, 0.0);
        return;
    }

    InitFftTables();
    block = fftSize / 2;
    const int bins = fftSize / 2;
    partitions = std::max(1, (length + block - 1) / block);
    // The 4 d in the packed product and its inverse, undone once here.
    const double scale = 1.0 / (4.0 * fftSize);
    impulseSpectra.assign(static_cast<size_t>(partitions) * 2 * bins, 0.0f);
    partitionActive.assign(partitions, 0);
    terms.assign(partitions, Term{nullptr, nullptr});
    work.assign(fftSize, 0.0);
    std::vector<double> re(bins), im(bins);
    for (int j = 0; j < partitions; ++j) {
        const int begin = j * block;
        const int count = std::max(0, std::min(block, length - begin));
        double peak = 0.0;
        std::fill(work.begin(), work.end(), 0.0);
        for (int i = 0; i < count; ++i) {
            const double v = Finite(piece[begin + i]);
            work[i] = v * scale;
            peak = std::max(peak, std::abs(v));
        }
        if (peak / fftSize <= kSilentImpulse) continue;
        partitionActive[j] = 1;
        anyPartitionActive = true;
        RealFftForward(work.data(), re.data(), im.data(), fftSize, true);
        float* spectrum = &impulseSpectra[static_cast<size_t>(j) * 2 * bins];
        for (int p = 0; p < bins; ++p) {
            spectrum[p] = static_cast<float>(re[p]);
            spectrum[bins + p] = static_cast<float>(im[p]);
        }
    }
    inputSpectra.assign(static_cast<size_t>(partitions) * 2 * bins, 0.0);
    inputActive.assign(partitions, 0);
    sum.assign(2 * static_cast<size_t>(bins), 0.0);
    queue.assign(block, 0.0);
    tail.assign(block, 0.0);
    out.assign(2 * (static_cast<size_t>(offset) + block + reserveBlock), 0.0);
}

void ConvolutionEngineStage::Align(int preFeed) {
    preFeed = std::max(0, std::min(preFeed, std::min(block - 1, offset)));
    queued = preFeed;
    std::fill(queue.begin(), queue.begin() + preFeed, 0.0);
    const int zeros = offset - preFeed;
    std::fill_n(ReserveOutput(zeros), zeros, 0.0);
    outWrite += zeros;
}

void ConvolutionEngineStage::Feed(const double* input, int count) {
    if (count <= 0) return;
    if (IsDirect())
        FeedDirect(input, count);
    else
        FeedFft(input, count);
}

void ConvolutionEngineStage::TakeAdd(double* dst, int count) {
    count = std::max(0, std::min(count, Available()));
    const double* src = &out[outRead];
    for (int i = 0; i < count; ++i)
        dst[i] += src[i];
    outRead += count;
    if (outRead == outWrite) outRead = outWrite = 0;
}

// Room for count more samples at the end of the output stream: compacts first, and grows only
// when a caller feeds more than the reserve allows.
double* ConvolutionEngineStage::ReserveOutput(int count) {
    if (outWrite + count > static_cast<int>(out.size())) {
        const int ready = outWrite - outRead;
        std::memmove(out.data(), out.data() + outRead, sizeof(double) * ready);
        outRead = 0;
        outWrite = ready;
        if (outWrite + count > static_cast<int>(out.size())) out.resize(2 * (outWrite + count));
    }
    return &out[outWrite];
}

void ConvolutionEngineStage::FeedDirect(const double* input, int count) {
    const int keep = taps - 1;
    for (int done = 0; done < count;) {
        const int n = std::min(kDirectChunk, count - done);
        std::memcpy(&history[keep], input + done, sizeof(double) * n);
        if (UseWideVectors())
            DirectConvolveWide(reversedTaps.data(), taps, history.data(), ReserveOutput(n), n);
        else
            DirectConvolve(reversedTaps.data(), taps, history.data(), ReserveOutput(n), n);
        outWrite += n;
        std::memmove(history.data(), &history[n], sizeof(double) * keep);
        done += n;
    }
}

void ConvolutionEngineStage::FeedFft(const double* input, int count) {
    for (int done = 0; done < count;) {
        const int n = std::min(block - queued, count - done);
        std::memcpy(&queue[queued], input + done, sizeof(double) * n);
        queued += n;
        done += n;
        if (queued == block) {
            ProcessFftBlock();
            queued = 0;
        }
    }
}

void ConvolutionEngineStage::ProcessFftBlock() {
    const int bins = fftSize / 2;
    newestInput = (newestInput + 1) % partitions;
    bool loud = false;
    for (int i = 0; i < block; ++i)
        loud |= std::abs(queue[i]) > kSilentInput;
    // A stage whose impulse partitions are all silent has nothing to multiply, so the input is
    // not transformed either.
    loud = loud && anyPartitionActive;
    inputActive[newestInput] = loud ? 1 : 0;
    if (loud) {
        std::memcpy(work.data(), queue.data(), sizeof(double) * block);
        std::fill(work.begin() + block, work.end(), 0.0);
        double* spectrum = &inputSpectra[static_cast<size_t>(newestInput) * 2 * bins];
        RealFftForward(work.data(), spectrum, spectrum + bins, fftSize, true);
        ++transforms;
    }

    const bool any = Accumulate(newestInput);

    double* dst = ReserveOutput(block);
    outWrite += block;
    if (!any) {
        if (tailSilent) {
            std::fill_n(dst, block, 0.0);
        } else {
            std::memcpy(dst, tail.data(), sizeof(double) * block);
            std::fill(tail.begin(), tail.end(), 0.0);
            tailSilent = true;
        }
        return;
    }
    RealFftInverse(sum.data(), sum.data() + bins, work.data(), fftSize);
    ++transforms;
    for (int i = 0; i < block; ++i)
        dst[i] = work[i] + tail[i];
    std::memcpy(tail.data(), work.data() + block, sizeof(double) * block);
    tailSilent = false;
}

// Sum over the partitions j of X(newest - j) * H(j), skipping terms whose input block or
// impulse partition is silent; false when no term is left. Terms go four at a time over tiles
// of bins, so the running sum stays in the first-level cache and is stored once per group.
// Position 0 holds the real DC and Nyquist bins, which multiply component-wise.
bool ConvolutionEngineStage::Accumulate(int newest) {
    const int bins = fftSize / 2;
    int count = 0;
    double dc = 0.0, nyquist = 0.0;
    for (int j = 0; j < partitions; ++j) {
        const int slot = (newest - j + partitions) % partitions;
        if (!inputActive[slot] || !partitionActive[j]) continue;
        const Term t = {&inputSpectra[static_cast<size_t>(slot) * 2 * bins],
                        &impulseSpectra[static_cast<size_t>(j) * 2 * bins]};
        dc += t.x[0] * t.h[0];
        nyquist += t.x[bins] * t.h[bins];
        terms[count++] = t;
    }
    if (count == 0) return false;
    double* yr = sum.data();
    double* yi = yr + bins;
    for (int begin = 0; begin < bins; begin += kTileBins) {
        const int end = std::min(bins, begin + kTileBins);
        for (int g = 0; g < count; g += 4) {
            const int n = std::min(4, count - g);
            if (g == 0)
                MultiplyGroup<true>(yr, yi, &terms[g], n, bins, begin, end);
            else
                MultiplyGroup<false>(yr, yi, &terms[g], n, bins, begin, end);
        }
    }
    yr[0] = dc;
    yi[0] = nyquist;
    return true;
}
