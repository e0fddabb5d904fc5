#include "IFreqResponseControl.h"

#include "IEditorGraphics.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxColumns = 1024;

double WindowValue(int type, int n, int d) {
    const double x = d > 0 ? static_cast<double>(n) / d : 0.0;
    switch (type) {
    case 0:
        return 1.0;
    case 1:
        return 0.42 - 0.5 * std::cos(2 * kPi * x) + 0.08 * std::cos(4 * kPi * x);
    case 2: {
        const double y = d > 0 ? (n + 0.5) / d : 0.0;
        return 0.35875 - 0.48829 * std::cos(2 * kPi * y) + 0.14128 * std::cos(4 * kPi * y) -
               0.01168 * std::cos(6 * kPi * y);
    }
    case 3:
        return 0.54 - 0.46 * std::cos(2 * kPi * x);
    case 4:
        return 0.5 * (1 - std::cos(2 * kPi * x));
    case 6:
        return std::pow(std::sin(kPi * x), 3);
    case 7:
        return std::pow(0.5 * (1 - std::cos(2 * kPi * x)), 2);
    default:
        return std::sin(kPi * x);
    }
}

// Unscaled forward radix-2 transform, in place; n is a power of two.
void Fft(std::vector<std::complex<double>>& a) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> step = std::polar(1.0, -2 * kPi / static_cast<double>(len));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> w = 1.0;
            for (size_t k = 0; k < len / 2; ++k, w *= step) {
                const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

// Four-point cubic through a[i-1..i+2] at fraction t; indices are kept inside the array.
double Cubic(const std::vector<double>& a, int limit, int i, double t) {
    auto at = [&](int k) { return a[static_cast<size_t>(std::clamp(k, 0, limit - 1))]; };
    const double m = at(i - 1), p0 = at(i), p1 = at(i + 1), p2 = at(i + 2);
    const double c1 = 0.5 * (p1 - m);
    const double c2 = m + 2 * p1 - 0.5 * (5 * p0 + p2);
    const double c3 = 0.5 * (3 * (p0 - p1) - m + p2);
    return ((c3 * t + c2) * t + c1) * t + p0;
}
} // namespace

IFreqResponseControl::IFreqResponseControl(IPluginBase* owner, const IColorARGB& c, const IRect& r,
                                           int analysisSize, int type)
    : IControl(owner, r, -1, IBlendSpec::kNone), windowType(type), width(std::min(r.W(), kMaxColumns)),
      height(r.H()), left(r.left), top(r.top), size(analysisSize < 2 ? 2 : analysisSize), colour(c),
      fresh(static_cast<size_t>(std::max(width, 0))), smoothing(kMaxColumns), columns(fresh.size()),
      drawn(fresh.size()) {
    SetRange(minFreq, maxFreq, dbSpan, dbOffset);
}

void IFreqResponseControl::SetRange(double lo, double hi, double span, double offset) {
    minFreq = lo;
    maxFreq = hi;
    dbSpan = span;
    dbOffset = offset;
    logSpan = std::log10(maxFreq / minFreq);
    logMin = std::log10(minFreq);
}

void IFreqResponseControl::Analyze(const double* samples) {
    if (!samples || width <= 0) return;
    const int k = static_cast<int>(std::log10(static_cast<double>(size)) / std::log10(2.0));
    const size_t n = size_t(1) << k;
    // The analysis buffers live only while a curve is computed (an impulse load, off the audio
    // path), so an idle editor holds just its columns.
    std::vector<std::complex<double>> bins(n);
    for (size_t i = 0; i < n; ++i) {
        const double w = WindowValue(windowType, static_cast<int>(i), size - 1);
        bins[i] = samples[i] * (w * w);
    }
    std::vector<double> magnitudes(static_cast<size_t>(size)), logMagnitudes(static_cast<size_t>(size));
    Fft(bins);
    const int half = size / 2;
    for (int j = 0; j < half; ++j)
        magnitudes[static_cast<size_t>(j)] = std::abs(bins[static_cast<size_t>(j)]);
    for (int j = 0; j < half; ++j) {
        const double f = std::pow(10.0, static_cast<double>(j) / half * logSpan + logMin);
        const double p = f * half / (sampleRate / 2);
        int i = static_cast<int>(std::floor(p));
        const double t = p - i;
        if (i < 1) i = 1;
        logMagnitudes[static_cast<size_t>(j)] = Cubic(magnitudes, size, i, t);
    }
    const double rise = std::exp(-1.0 / (0.03 * height)), fall = std::exp(-1.0 / (0.3 * height));
    double s = 0.0;
    for (int c = 0; c < width; ++c, s += static_cast<double>(half) / width) {
        int i = static_cast<int>(std::floor(s));
        const double t = s - i;
        if (i < 1) i = 1;
        const double v = std::max(Cubic(logMagnitudes, size, i, t), 0.00001);
        double y = height / dbSpan * (dbOffset - 20 * std::log10(v));
        if (hold == 0) {
            double& q = smoothing[static_cast<size_t>(c)];
            y = (q - y) * (y > q ? fall : rise) + y;
            q = y;
        }
        fresh[static_cast<size_t>(c)] = std::clamp(y, 0.0, static_cast<double>(height));
    }
    std::lock_guard<std::mutex> hold(columnsLock);
    columns = fresh;
}

double IFreqResponseControl::ColumnValue(int c) const {
    std::lock_guard<std::mutex> hold(columnsLock);
    return columns[static_cast<size_t>(c)];
}

void IFreqResponseControl::OnMouseOver(int x, int y, const IMouseKeys&) {
    hovering = true;
    hoverX = x;
    hoverY = y;
}

void IFreqResponseControl::OnMouseOut() {
    hovering = false;
    redrawAgain = true;
}

void IFreqResponseControl::HoverText(int x, int y, char* out, int outSize) const {
    const double frequency = std::pow(10.0, static_cast<double>(x - left) / width * logSpan + logMin);
    const double gain = dbSpan / height * (y - top);
    if (frequency >= 1000)
        std::snprintf(out, static_cast<size_t>(outSize), "Freq: %2.3f kHz\nGain: -%4.1f dB",
                      frequency * 0.001, gain);
    else
        std::snprintf(out, static_cast<size_t>(outSize), "Freq: %4.0f Hz\nGain: -%4.1f dB", frequency, gain);
}

bool IFreqResponseControl::Draw(IEditorGraphics* graphics) {
    {
        std::lock_guard<std::mutex> hold(columnsLock);
        drawn = columns;
    }
    const IBlendSpec clobber(IBlendSpec::kClobber, 1.0f);
    for (int c = 0; c + 1 < width; ++c) {
        const double y = drawn[static_cast<size_t>(c)];
        if (y <= 0.0 || y >= height) continue;
        graphics->DrawLine(colour, static_cast<float>(left + c), static_cast<float>(top + y),
                           static_cast<float>(left + c + 1),
                           static_cast<float>(top + drawn[static_cast<size_t>(c + 1)]), &clobber, true);
    }
    graphics->EnableHoverTracking();
    if (hovering) {
        char text[96];
        HoverText(hoverX, hoverY, text, sizeof(text));
        const IRect box = hoverX - left < width - 100
                              ? IRect(hoverX + 10, hoverY + 10, hoverX + 100, hoverY + 38)
                              : IRect(hoverX - 90, hoverY + 10, hoverX, hoverY + 38);
        graphics->FillRect(colour, box, nullptr);
        graphics->DrawText(hoverStyle, text, box);
    }
    return true;
}
