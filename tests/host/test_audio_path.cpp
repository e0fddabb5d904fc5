// Audio through the three process entries, in single and double precision.
#include "BuiltPlugin.h"

#include <cmath>
#include <vector>

namespace {
class AudioPath : public BuiltPluginTest {
protected:
    // Settings under which the chain is transparent: amp off, no cabinet, flat EQ, no loudness cut, unity volume.
    void MakeTransparent() {
        plugin->SetParameter(30, 0.0f); // model 0's switch, which the shared amp switch follows
        plugin->SetParameter(15, 0.0f);
        plugin->SetParameter(16, 1.0f);
    }
    template <class T> void Signals(std::vector<T>& a, std::vector<T>& b, int n) {
        a.resize(static_cast<size_t>(n));
        b.resize(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            a[static_cast<size_t>(i)] = static_cast<T>(0.3 * std::sin(0.01 * i + 0.2));
            b[static_cast<size_t>(i)] = static_cast<T>(0.2 * std::cos(0.037 * i));
        }
    }
};

TEST_F(AudioPath, DoublePrecisionSumsBothInputsIntoBothOutputs) {
    MakeTransparent();
    const int n = 512;
    std::vector<double> a, b, o0(n, 9.0), o1(n, 9.0);
    Signals(a, b, n);
    double* in[] = {a.data(), b.data()};
    double* out[] = {o0.data(), o1.data()};
    plugin->ProcessDouble(in, out, n);
    for (int i = 0; i < n; ++i) {
        ASSERT_EQ(o0[i], a[i] + b[i]) << i;
        ASSERT_EQ(o1[i], a[i] + b[i]) << i;
    }
}

TEST_F(AudioPath, SinglePrecisionConvertsAndSums) {
    MakeTransparent();
    const int n = 300;
    std::vector<float> a, b, o0(n, 9.0f), o1(n, 9.0f);
    Signals(a, b, n);
    float* in[] = {a.data(), b.data()};
    float* out[] = {o0.data(), o1.data()};
    plugin->ProcessFloat(in, out, n);
    for (int i = 0; i < n; ++i) {
        ASSERT_EQ(o0[i], static_cast<float>(static_cast<double>(a[i]) + b[i])) << i;
        ASSERT_EQ(o1[i], o0[i]) << i;
    }
}

TEST_F(AudioPath, AccumulatingEntryAddsToTheOutput) {
    MakeTransparent();
    const int n = 64;
    std::vector<float> a, b, o0(n, 1.0f), o1(n, -1.0f);
    Signals(a, b, n);
    float* in[] = {a.data(), b.data()};
    float* out[] = {o0.data(), o1.data()};
    plugin->ProcessAccumulating(in, out, n);
    for (int i = 0; i < n; ++i) {
        const float y = static_cast<float>(static_cast<double>(a[i]) + b[i]);
        ASSERT_EQ(o0[i], 1.0f + y) << i;
        ASSERT_EQ(o1[i], -1.0f + y) << i;
    }
}

TEST_F(AudioPath, BlocksLongerThanAnnouncedAndEmptyBlocksAreSafe) {
    MakeTransparent();
    const int n = 2000; // the host announced 512
    std::vector<float> a, b, o0(n), o1(n);
    Signals(a, b, n);
    float* in[] = {a.data(), b.data()};
    float* out[] = {o0.data(), o1.data()};
    plugin->ProcessFloat(in, out, 0);
    plugin->ProcessFloat(in, out, n);
    for (int i = 0; i < n; ++i) ASSERT_EQ(o0[i], static_cast<float>(static_cast<double>(a[i]) + b[i])) << i;
}

TEST_F(AudioPath, EveryBlockAsksForMidi) {
    const int n = 16;
    std::vector<float> a(n), b(n), o0(n), o1(n);
    float* in[] = {a.data(), b.data()};
    float* out[] = {o0.data(), o1.data()};
    const int before = plugin->recorded.wantMidiCalls;
    plugin->ProcessFloat(in, out, n);
    plugin->ProcessFloat(in, out, n);
    EXPECT_EQ(plugin->recorded.wantMidiCalls, before + 2);
}

TEST_F(AudioPath, BlockSizeAndRateChangesWhileRunning) {
    MakeTransparent();
    plugin->Dispatch(effSetBlockSize, 0, 64);
    plugin->Dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f);
    plugin->Dispatch(effSetSampleRate, 0, 0, nullptr, std::nanf(""));
    plugin->Dispatch(effSetBlockSize, 0, -5);
    const int n = 100;
    std::vector<float> a, b, o0(n), o1(n);
    Signals(a, b, n);
    float* in[] = {a.data(), b.data()};
    float* out[] = {o0.data(), o1.data()};
    plugin->ProcessFloat(in, out, n);
    for (int i = 0; i < n; ++i) ASSERT_EQ(o0[i], static_cast<float>(static_cast<double>(a[i]) + b[i])) << i;
}
} // namespace
