#pragma once

#include <functional>
#include <string>
#include <vector>

// A scripted host session with the built plug-in, as a busy live host runs it:
// - the audio thread plays 64-sample blocks in real time, automating every automatable parameter
//   in turn (host automation playback), sending MIDI controllers and program changes, and moving
//   kBankPosition across the factory bank and two user banks;
// - a control thread gets and sets program and bank chunks (plain and carrying an impulse's
//   samples), loads a 10-s 96-kHz impulse through a restored state (and a short one after it),
//   switches the quality (the oversampling vendor call) and recalls preset files by path;
// - an editor thread opens the editor in an X11 window (DISPLAY), idles it, steps models and
//   cabinets and browses presets and banks through the editor's parameters, and closes and
//   reopens it.
// With the audit library preloaded, the audio thread is marked in audio only inside
// processReplacing/processDoubleReplacing, effProcessEvents and its own setParameter calls.
struct SessionOptions {
    enum class Plant { Off, Malloc, Read };
    std::string plugin;
    double rate = 48000.0;
    int block = 64;
    int loads = 3;            // rounds of the control script, each with one 10-s impulse load
    bool audit = false;       // mark the audio sections for the preloaded audit (fails without it)
    bool realtime = false;    // run the audio thread at SCHED_FIFO
    bool editor = true;       // the editor thread (off: to tell its share of the waits)
    Plant plant = Plant::Off; // the driver's own allocation or file read inside one section
};

struct SessionFigures;
// Called when the session has ended, while the plug-in is still loaded (so an audit report can
// name the plug-in's functions).
using SessionEnded = std::function<void(const SessionFigures&)>;

struct SessionFigures {
    std::vector<double> blockMicros; // every block's host call time (automation, MIDI, process)
    double median = 0, p99 = 0, worst = 0;
    double worstLoad = 0, worstBank = 0, worstProgram = 0;
    int loadBlocks = 0, bankBlocks = 0, programBlocks = 0, lateBlocks = 0;
    bool realtimeGranted = false;
    int failures = 0;
    double seconds = 0;
    unsigned long long plantedCounted = 0;     // audit counts made by the planted call
    std::vector<std::string> slowest;          // the slowest blocks and what went on meanwhile
    std::vector<std::string> byControlStep;    // the blocks' CPU time during each control step
    std::vector<std::string> overMedianCauses; // what the blocks over 3x the median did
    unsigned long long pageFaults = 0;         // page faults the audio thread took in its blocks
};

// Runs the session; false with an error when it could not run (no plug-in, no display, no audit).
bool RunSession(const SessionOptions& options, SessionFigures& figures, std::string& error,
                const SessionEnded& ended = nullptr);

// The deterministic single-threaded host script (Transcript.cpp): prints each step, every
// audioMasterAutomate call (index, value) in order and every parameter value after the step.
// Its second half repeats the script with the editor open (needs DISPLAY).
bool RunTranscript(const std::string& plugin, std::string& out, std::string& error);
