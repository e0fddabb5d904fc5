#include "StatusText.h"

#include <cmath>
#include <cstdio>

double PeakDb(float peak) { return peak > 1e-6f ? 20.0 * std::log10(static_cast<double>(peak)) : -120.0; }

StatusFields FormatStatus(const LiveStatus& status) {
    StatusFields fields;
    char text[160];
    std::snprintf(text, sizeof text, "%.0f Hz, %d frames", status.rate, status.period);
    fields.format = text;
    const double ms = status.rate > 0 ? 1000.0 * (status.pluginLatency + status.jackLatency) / status.rate : 0.0;
    std::snprintf(text, sizeof text, "latency %.1f ms (plug-in %d + JACK %d frames)", ms, status.pluginLatency,
                  status.jackLatency);
    fields.latency = text;
    std::snprintf(text, sizeof text, "DSP %.1f%%", status.dspLoad);
    fields.load = text;
    std::snprintf(text, sizeof text, "xruns %u", status.xruns);
    fields.xruns = text;
    const double db = PeakDb(status.inputPeak);
    if (db <= -120.0)
        std::snprintf(text, sizeof text, "input -inf dBFS");
    else
        std::snprintf(text, sizeof text, "input %.1f dBFS", db);
    fields.input = text;
    return fields;
}

std::string StatusLine(const LiveStatus& status) {
    const StatusFields f = FormatStatus(status);
    return f.format + " | " + f.latency + " | " + f.load + " | " + f.xruns + " | " + f.input +
           (status.clipped ? " CLIP" : "");
}
