#!/usr/bin/python3
"""Writes the factory preset bank (Vulpane/Presets/Factory/*.vzp) beside this script.

Each file is a version-3 preset: the magic "kvzp03", five zero-ended texts, then 17
little-endian floats holding normalised parameter values in the order the plug-in reads them.
"""
import os
import struct

MODELS = ["Clean 1", "Clean 2", "Clean 3", "Clean 4", "Piezo Acoustic", "Tube Creamer", "Fuzzz",
          "Metal Charter", "Metal Machine", "Metal Style", "JGM900", "Dirty Box", "Darktorsion", "Bat",
          "Poltergeist", "Noise Soldier"]
CABINETS = ["Cabinet Off", "Vulpane CAB1", "Vulpane CAB2", "Selection G12H", "Mandarin 4x12",
            "Vulpane CAB3", "Hit Watt", "Mpeg+Marsall", "Cox", "Phender DR", "Harley Beton",
            "Vulpane CAB4", "SLO 100", "4x12 CAB+eq1", "Metal Style", "4x12 CAB+eq2", "JGM 900",
            "Randoll", "PowerDude 1", "PowerDude 2", "Vulpane CAB5", "HighWidth4x12", "Meza style",
            "Mpeg 8x10", "Fender P.man", "CAB 4x12", "Meza 2x12 A", "Diesel 4x12", "Sidewinter",
            "Pro Jr.", "Vulpane CAB6", "Marsall 1960", "Meza Cookie", "Death Metal", "Metal Maestro",
            "Modern 1", "Modern 2", "Modern 3", "90s Spirit"]

# name, style, model, cabinet, gate (on, threshold, release), volume, gain, tone (freq, resonance),
# bass, middle, treble, eq (low, high), master
FACTORY = [
    ("Clean Sparkle", "Clean", "Clean 2", "Phender DR", (0, 0.2, 0.4), 0.60, 0.30, (0.55, 0.40),
     0.45, 0.50, 0.65, (0.50, 0.62), 0.50),
    ("Blues Crunch", "Blues", "Tube Creamer", "Pro Jr.", (1, 0.25, 0.45), 0.55, 0.55, (0.50, 0.45),
     0.50, 0.62, 0.55, (0.52, 0.50), 0.50),
    ("Metal Rhythm", "Metal", "Metal Machine", "Mandarin 4x12", (1, 0.50, 0.25), 0.50, 0.78, (0.45, 0.50),
     0.62, 0.35, 0.60, (0.55, 0.52), 0.45),
    ("Lead", "Rock", "JGM900", "JGM 900", (1, 0.35, 0.55), 0.55, 0.70, (0.55, 0.55), 0.50, 0.66, 0.58,
     (0.50, 0.48), 0.50),
    ("Poltergeist Swirl", "Experimental", "Poltergeist", "Vulpane CAB3", (1, 0.30, 0.60), 0.50, 0.60,
     (0.60, 0.65), 0.55, 0.50, 0.50, (0.50, 0.50), 0.48),
]


def preset_bytes(name, style, model, cabinet, gate, volume, gain, tone, bass, middle, treble, eq, master):
    values = [float(gate[0]), gate[1], gate[2], 1.0, MODELS.index(model) / 15.0, volume, gain, tone[0],
              tone[1], bass, middle, treble, CABINETS.index(cabinet) / 38.0, eq[0], eq[1], 0.0, master]
    texts = [name, "Vulpane", style, "Factory preset", ""]
    out = b"kvzp03" + b"".join(t.encode("ascii") + b"\0" for t in texts)
    return out + struct.pack("<17f", *values)


def main():
    bank = os.path.join(os.path.dirname(os.path.abspath(__file__)), "Vulpane", "Presets", "Factory")
    os.makedirs(bank, exist_ok=True)
    for preset in FACTORY:
        path = os.path.join(bank, preset[0] + ".vzp")
        with open(path, "wb") as f:
            f.write(preset_bytes(*preset))


if __name__ == "__main__":
    main()
