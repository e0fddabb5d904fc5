#pragma once

// Receives the tuner's reading from the audio path, 25 times a second while the tuner view is
// on. The plug-in implements it by storing the values into its editor controls; an
// implementation must not allocate, lock or block.
class TunerDisplay {
public:
    virtual ~TunerDisplay() = default;
    // meter: smoothed position within the semitone, 0..1 with 0.5 in tune. note: the note-strip
    // value (note index + 0.5) / 72. text: the frequency, note name or string hint, or " ".
    virtual void ShowTunerReading(double meter, double note, const char* text) = 0;
};
