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
// A spread job aims to be done after this share of its window, which leaves room for steps that
// cost more than their share.
constexpr int kJobPaceNum = 3, kJobPaceDen = 4;
// Samples between two advances of a forward front, and how far an inverse runs ahead of its
// output once its first samples are out. After its head an inverse's work per output sample
// falls off as the output goes on (each pass is done once the output reaches four times its
// butterflies), so short runs keep the calls after the head from carrying the next passes whole.
constexpr int kFrontRun = 1024;
constexpr int kFrontFineRun = 64, kFrontFineTail = 2048;
constexpr int kInverseRun = 128;

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

// Position 0 of a packed spectrum holds the real DC and Nyquist bins, which multiply
// component-wise: their sums over the terms go to spectrum[0] and spectrum[bins].
void SumEdgeBins(const ConvolutionEngineStage::Term* terms, int count, int bins, double* spectrum) {
    double dc = 0.0, nyquist = 0.0;
    for (int t = 0; t < count; ++t) {
        dc += terms[t].x[0] * terms[t].h[0];
        nyquist += terms[t].x[bins] * terms[t].h[bins];
    }
    spectrum[0] = dc;
    spectrum[bins] = nyquist;
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
    if (block >= kSpreadBlock && 2 * (offset - block) >= block) {
        spread = Spread::WholeBlockDeferred;
        pending.assign(block, 0.0);
        jobWindow = std::min(offset - block, block);
    } else if (block >= kFrontBlock) {
        spread = Spread::TransformsAsFed;
        front.assign(fftSize, 0.0);
        forwardFront.Reset(fftSize);
    }
}

void ConvolutionEngineStage::Align(int preFeed) {
    preFeed = std::max(0, std::min(preFeed, std::min(block - 1, offset)));
    queued = preFeed;
    std::fill(queue.begin(), queue.begin() + preFeed, 0.0);
    const int zeros = offset - preFeed;
    std::fill_n(ReserveOutput(zeros), zeros, 0.0);
    outWrite += zeros;
}

void ConvolutionEngineStage::Feed(const double* input, int count, bool holdSteps) {
    if (count <= 0) return;
    if (IsDirect())
        FeedDirect(input, count);
    else
        FeedFft(input, count, holdSteps);
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
        CompactOutput();
        if (outWrite + count > static_cast<int>(out.size())) out.resize(2 * (outWrite + count));
    }
    return &out[outWrite];
}

// Moves the samples not yet taken to the front of the output buffer.
void ConvolutionEngineStage::CompactOutput() {
    const int ready = outWrite - outRead;
    std::memmove(out.data(), out.data() + outRead, sizeof(double) * ready);
    outRead = 0;
    outWrite = ready;
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

void ConvolutionEngineStage::FeedFft(const double* input, int count, bool holdSteps) {
    const bool fronts = RunsFronts();
    // The head of an inverse is as heavy as a block's transforms: the stage's own steps wait too.
    const bool hold = holdSteps || InverseHeadDue();
    for (int done = 0; done < count;) {
        const int n = std::min(block - queued, count - done);
        const double* src = input + done;
        std::memcpy(&queue[queued], src, sizeof(double) * n);
        if (fronts) std::memcpy(&front[queued], src, sizeof(double) * n);
        bool loud = false;
        for (int i = 0; i < n; ++i)
            loud |= std::abs(src[i]) > kSilentInput;
        queueLoud = queueLoud || loud;
        queued += n;
        done += n;
        // A block silent so far may stay silent and need no transform at all. The front moves in
        // long runs, and in short ones near the block's end, where every sample frees butterflies
        // of more passes and what is left over falls to the completing call.
        const int run = queued >= block - kFrontFineTail ? kFrontFineRun : kFrontRun;
        if (fronts && queueLoud && anyPartitionActive && queued < block && queued >= frontFed + run) {
            forwardFront.Advance(front.data(), queued);
            frontFed = queued;
        }
        if (jobDone < jobSteps) AdvanceJob(n, hold);
        if (queued == block) {
            if (spread == Spread::WholeBlockDeferred)
                StartDeferredBlock();
            else if (fronts)
                CompleteFrontBlock();
            else
                ProcessFftBlock();
            queued = 0;
            queueLoud = false;
        }
    }
    if (inverseActive && Available() < count) EmitInverse(count - Available());
}

// Fronts: the rest of the forward transform; the products, the join and the inverse follow as
// the output is taken.
void ConvolutionEngineStage::CompleteFrontBlock() {
    const int bins = fftSize / 2;
    if (inverseActive) EmitInverse(block);
    newestInput = (newestInput + 1) % partitions;
    const bool loud = queueLoud && anyPartitionActive;
    inputActive[newestInput] = loud ? 1 : 0;
    if (loud) {
        double* spectrum = &inputSpectra[static_cast<size_t>(newestInput) * 2 * bins];
        forwardFront.Finish(front.data(), spectrum, spectrum + bins);
        ++transforms;
    }
    forwardFront.Reset(fftSize);
    frontFed = 0;
    // The block's products are summed newest first, as a block done whole does, a third of the
    // bins here and the rest with the inverse's head: this call and the next then carry about
    // the same work.
    joinTerms = CollectTerms(newestInput, 0);
    if (joinTerms > 0) {
        MultiplyTiles(terms.data(), joinTerms, 0, FirstJoinBins(), false);
        joinPending = true;
        ++transforms;
        inverseActive = true;
        inverseEmitted = 0;
    } else {
        EmitBlock(false);
    }
}

// Fronts: the next count output samples of the block being inverted (the whole inverse once the
// block's end is reached, as the tail is then due).
void ConvolutionEngineStage::EmitInverse(int count) {
    if (joinPending) JoinNewestBlock();
    const int target = std::min(block, inverseEmitted + count);
    if (target > inverseFinal) {
        const int ask = target == block ? fftSize : inverseFinal == 0 ? target : target + kInverseRun;
        inverseFinal = inverseFront.Advance(work.data(), ask);
    }
    const int n = target - inverseEmitted;
    double* dst = ReserveOutput(n);
    const double* w = work.data() + inverseEmitted;
    const double* t = tail.data() + inverseEmitted;
    for (int i = 0; i < n; ++i)
        dst[i] = w[i] + t[i];
    outWrite += n;
    inverseEmitted = target;
    if (target < block) return;
    std::memcpy(tail.data(), work.data() + block, sizeof(double) * block);
    tailSilent = false;
    inverseActive = false;
}

// The whole block at once.
void ConvolutionEngineStage::ProcessFftBlock() {
    const int bins = fftSize / 2;
    newestInput = (newestInput + 1) % partitions;
    // A stage whose impulse partitions are all silent has nothing to multiply, so the input is
    // not transformed either.
    const bool loud = queueLoud && anyPartitionActive;
    inputActive[newestInput] = loud ? 1 : 0;
    if (loud) {
        std::memcpy(work.data(), queue.data(), sizeof(double) * block);
        std::fill(work.begin() + block, work.end(), 0.0);
        double* spectrum = &inputSpectra[static_cast<size_t>(newestInput) * 2 * bins];
        RealFftForward(work.data(), spectrum, spectrum + bins, fftSize, true);
        ++transforms;
    }
    const bool any = Accumulate(newestInput);
    if (any) {
        RealFftInverse(sum.data(), sum.data() + bins, work.data(), fftSize);
        ++transforms;
    }
    EmitBlock(any);
}

// Appends the block's output: the inverse transform in work (when any product was summed) plus
// the tail the previous block left.
void ConvolutionEngineStage::EmitBlock(bool any) {
    EmitBlockPart(any, 0, 1);
}

// Part `part` of `parts` of EmitBlock, the parts in order: an even share of the block's samples.
void ConvolutionEngineStage::EmitBlockPart(bool any, int part, int parts) {
    // A stage with slack is never drained, so its buffer needs compacting now and then. Before a
    // deferred block's output few samples wait, so the move is short here, where it would cost as
    // much as the whole block's output when the buffer runs full.
    if (part == 0 && parts > 1) CompactOutput();
    const int begin = static_cast<int>(static_cast<long long>(block) * part / parts);
    const int end = static_cast<int>(static_cast<long long>(block) * (part + 1) / parts);
    const int n = end - begin;
    double* dst = ReserveOutput(n);
    outWrite += n;
    const bool last = part + 1 == parts;
    if (!any) {
        if (tailSilent) {
            std::fill_n(dst, n, 0.0);
        } else {
            std::memcpy(dst, tail.data() + begin, sizeof(double) * n);
            std::fill_n(tail.begin() + begin, n, 0.0);
            if (last) tailSilent = true;
        }
        return;
    }
    // Each sample of the old tail is read before the new tail takes its place.
    for (int i = begin; i < end; ++i)
        dst[i - begin] = work[i] + tail[i];
    std::memcpy(tail.data() + begin, work.data() + block + begin, sizeof(double) * n);
    if (last) tailSilent = false;
}

// Job steps for the products of `count` terms: one per group of four terms and tile of bins, a
// few microseconds each, with the few memory streams of a group, which keep the prefetcher busy.
int ConvolutionEngineStage::ProductSteps(int count) const {
    return count > 0 ? (count + 3) / 4 * ((fftSize / 2 + kTileBins - 1) / kTileBins) : 0;
}

// Terms X(newest - j) * H(j) for j from firstPartition on, skipping those whose input block or
// impulse partition is silent; returns how many.
int ConvolutionEngineStage::CollectTerms(int newest, int firstPartition) {
    const int bins = fftSize / 2;
    int count = 0;
    for (int j = firstPartition; j < partitions; ++j) {
        const int slot = (newest - j + partitions) % partitions;
        if (!inputActive[slot] || !partitionActive[j]) continue;
        terms[count++] = {&inputSpectra[static_cast<size_t>(slot) * 2 * bins],
                          &impulseSpectra[static_cast<size_t>(j) * 2 * bins]};
    }
    return count;
}

// Sums the first count terms over the bins [begin, end) (multiples of four): four terms at a time over
// tiles of bins, so the running sum stays in the first-level cache and is stored once per group.
// The first group replaces the sum unless add is set.
void ConvolutionEngineStage::MultiplyTiles(const Term* list, int count, int begin, int end, bool add) {
    const int bins = fftSize / 2;
    double* yr = sum.data();
    double* yi = yr + bins;
    for (int tile = begin; tile < end; tile += kTileBins) {
        const int tileEnd = std::min(end, tile + kTileBins);
        for (int g = 0; g < count; g += 4) {
            const int n = std::min(4, count - g);
            if (g == 0 && !add)
                MultiplyGroup<true>(yr, yi, list + g, n, bins, tile, tileEnd);
            else
                MultiplyGroup<false>(yr, yi, list + g, n, bins, tile, tileEnd);
        }
    }
}

// Sum over the partitions j of X(newest - j) * H(j), skipping silent terms; false when no term
// is left. Position 0 holds the real DC and Nyquist bins, which multiply component-wise.
bool ConvolutionEngineStage::Accumulate(int newest) {
    const int bins = fftSize / 2;
    const int count = CollectTerms(newest, 0);
    if (count == 0) return false;
    MultiplyTiles(terms.data(), count, 0, bins, false);
    SumEdgeBins(terms.data(), count, bins, sum.data());
    return true;
}

// Fronts: the rest of the bins of the products CompleteFrontBlock began, and the join of the sum
// into work for the inverse.
void ConvolutionEngineStage::JoinNewestBlock() {
    const int bins = fftSize / 2;
    MultiplyTiles(terms.data(), joinTerms, FirstJoinBins(), bins, false);
    SumEdgeBins(terms.data(), joinTerms, bins, sum.data());
    inverseFront.Start(sum.data(), sum.data() + bins, work.data(), fftSize);
    inverseFinal = 0;
    joinPending = false;
}

// Deferred: the completed block is set aside and its whole work becomes a job.
void ConvolutionEngineStage::StartDeferredBlock() {
    newestInput = (newestInput + 1) % partitions;
    const bool loud = queueLoud && anyPartitionActive;
    inputActive[newestInput] = loud ? 1 : 0;
    std::swap(queue, pending);
    jobTerms = CollectTerms(newestInput, 0);
    const int parts = TransformParts();
    jobForwardSteps = loud ? (1 + RealFftStepCount(fftSize)) * parts : 0;
    jobProductSteps = ProductSteps(jobTerms);
    jobInverseSteps = jobTerms > 0 ? RealFftStepCount(fftSize) * parts : 0;
    jobSteps = jobForwardSteps + jobProductSteps + jobInverseSteps + parts;
    jobDone = jobFed = 0;
}

// Runs the steps due after `samples` more samples: an even share of the job per sample, all of
// it by the end of its window. Steps held back catch up by at most one extra share per call, so
// that the call after a hold does not carry the held calls' steps as well; the pace leaves a
// quarter of the window for that.
void ConvolutionEngineStage::AdvanceJob(int samples, bool holdSteps) {
    jobFed += samples;
    const long long paced = static_cast<long long>(jobWindow) * kJobPaceNum / kJobPaceDen;
    if (holdSteps && jobFed < paced) return;
    long long due =
        jobFed >= paced ? jobSteps : (static_cast<long long>(jobSteps) * jobFed + paced - 1) / paced;
    if (jobFed < paced) {
        const long long share = (static_cast<long long>(jobSteps) * samples + paced - 1) / paced;
        due = std::min(due, jobDone + 2 * share);
    }
    while (jobDone < due)
        RunJobStep(jobDone++);
}

void ConvolutionEngineStage::RunJobStep(int step) {
    const int bins = fftSize / 2;
    double* spectrum = &inputSpectra[static_cast<size_t>(newestInput) * 2 * bins];
    const int parts = TransformParts();
    if (step < jobForwardSteps) {
        const int part = step % parts;
        if (step < parts) {
            // The block and its zero half into work, a share per part.
            const int begin = block / parts * part, n = block / parts;
            std::memcpy(work.data() + begin, pending.data() + begin, sizeof(double) * n);
            std::fill_n(work.begin() + block + begin, n, 0.0);
            if (part == 0) ++transforms;
        } else {
            RealFftForwardStepPart(work.data(), spectrum, spectrum + bins, fftSize, step / parts - 1, part,
                                   parts, true);
        }
        return;
    }
    step -= jobForwardSteps;
    if (step < jobProductSteps) {
        // One group of up to four terms over one tile of bins, the tiles in order and within a
        // tile the groups in order: each bin sums its terms as MultiplyTiles does.
        const int groups = (jobTerms + 3) / 4;
        const int begin = step / groups * kTileBins, end = std::min(bins, begin + kTileBins);
        const int first = step % groups * 4, n = std::min(4, jobTerms - first);
        double* yr = sum.data();
        if (first == 0)
            MultiplyGroup<true>(yr, yr + bins, terms.data(), n, bins, begin, end);
        else
            MultiplyGroup<false>(yr, yr + bins, terms.data() + first, n, bins, begin, end);
        if (step == jobProductSteps - 1) SumEdgeBins(terms.data(), jobTerms, bins, sum.data());
        return;
    }
    step -= jobProductSteps;
    if (step < jobInverseSteps) {
        if (step == 0) ++transforms;
        RealFftInverseStepPart(sum.data(), sum.data() + bins, work.data(), fftSize, step / parts,
                               step % parts, parts);
        return;
    }
    step -= jobInverseSteps;
    EmitBlockPart(jobTerms > 0, step, parts);
}
